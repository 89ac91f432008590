#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "PixelHelpers.h"
#include "PngWriter.h"
#include "TempFolder.h"

namespace {

uint32_t BigEndian(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

struct Png {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> header, raw;
};

// Reads back what the writer made, checking every chunk's CRC on the way.
Png ReadPng(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
  const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (file.size() < 8 || !std::equal(signature, signature + 8, file.begin())) throw std::runtime_error("signature");
  Png png;
  std::vector<uint8_t> packed;
  for (size_t at = 8; at + 12 <= file.size();) {
    const uint32_t length = BigEndian(&file[at]);
    const std::string type(file.begin() + at + 4, file.begin() + at + 8);
    const uint8_t* data = &file[at + 8];
    const uLong crc = crc32(0, &file[at + 4], length + 4);
    if (crc != BigEndian(data + length)) throw std::runtime_error("crc of " + type);
    if (type == "IHDR") png.header.assign(data, data + length);
    if (type == "IDAT") packed.insert(packed.end(), data, data + length);
    at += 12 + length;
  }
  png.width = BigEndian(png.header.data());
  png.height = BigEndian(png.header.data() + 4);
  png.raw.resize(png.height * (1 + 4 * png.width));
  uLongf size = png.raw.size();
  if (uncompress(png.raw.data(), &size, packed.data(), packed.size()) != Z_OK || size != png.raw.size())
    throw std::runtime_error("inflate");
  return png;
}

}  // namespace

TEST(PngWriter, WritesStraightRgbaRowByRow) {
  TBitmap b = Bitmap32(3, 2);
  SetPixel(b, 0, 0, {1, 2, 3, 4});
  SetPixel(b, 2, 1, {200, 100, 50, 0});
  TempFolder folder("pngwriter");
  WritePng(b, (folder / "out.png").string());
  const Png png = ReadPng(folder / "out.png");
  EXPECT_EQ(png.width, 3u);
  EXPECT_EQ(png.height, 2u);
  EXPECT_EQ(png.header[8], 8);  // bit depth
  EXPECT_EQ(png.header[9], 6);  // RGBA
  const uint8_t first[5] = {0, 3, 2, 1, 4};  // filter byte, then R G B A
  EXPECT_TRUE(std::equal(first, first + 5, png.raw.begin()));
  const size_t last = 13 + 1 + 8;  // row 1 starts at 13; pixel 2
  EXPECT_EQ(png.raw[last], 50);
  EXPECT_EQ(png.raw[last + 2], 200);
  EXPECT_EQ(png.raw[last + 3], 0);
}

TEST(PngWriter, TwentyFourBitIsOpaqueAndEmptyWorks) {
  TBitmap b;
  b.SetSize(1, 1);
  b.ScanLine(0)[2] = 9;
  TempFolder folder("pngwriter24");
  WritePng(b, (folder / "out.png").string());
  const Png png = ReadPng(folder / "out.png");
  EXPECT_EQ(png.raw[1], 9);
  EXPECT_EQ(png.raw[4], 255);
  EXPECT_THROW(WritePng(b, "/nonexistent-folder/x.png"), std::runtime_error);
}
