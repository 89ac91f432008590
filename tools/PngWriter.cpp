#include "PngWriter.h"

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include <stdexcept>

namespace {

void PutBigEndian(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const std::vector<uint8_t>& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  const size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  const uLong crc = crc32(0, out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
  PutBigEndian(out, static_cast<uint32_t>(crc));
}

std::vector<uint8_t> RgbaRows(const TBitmap& bitmap) {
  const int32_t bpp = bitmap.BytesPerPixel();
  std::vector<uint8_t> raw;
  raw.reserve(static_cast<size_t>(bitmap.Height()) * (1 + 4 * static_cast<size_t>(bitmap.Width())));
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    raw.push_back(0);  // filter type None
    const uint8_t* p = bitmap.ScanLine(y);
    for (int32_t x = 0; x < bitmap.Width(); ++x, p += bpp) {
      raw.insert(raw.end(), {p[2], p[1], p[0], bpp == 4 ? p[3] : uint8_t{255}});
    }
  }
  return raw;
}

}  // namespace

void WritePng(const TBitmap& bitmap, const std::string& utf8Path) {
  const std::vector<uint8_t> raw = RgbaRows(bitmap);
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) {
    throw std::runtime_error("PNG compression failed");
  }
  packed.resize(packedSize);

  std::vector<uint8_t> header;
  PutBigEndian(header, static_cast<uint32_t>(bitmap.Width()));
  PutBigEndian(header, static_cast<uint32_t>(bitmap.Height()));
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA, deflate, no interlace

  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", packed);
  PutChunk(file, "IEND", {});

  std::ofstream out(std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end())), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + utf8Path);
}
