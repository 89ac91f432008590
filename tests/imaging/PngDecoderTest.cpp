#include <gtest/gtest.h>

#include <regex>

#include "PixelHelpers.h"
#include "imaging/FuncGraphicWork.h"
#include "PngBuilder.h"
#include "ReferencePng.h"
#include "TestData.h"
#include "imaging/PngDecoder.h"
#include "platform/io/ZStream.h"

namespace {

TBitmap Decode(const std::vector<uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  TBitmap bitmap;
  LoadPngFromStream(bitmap, stream);
  return bitmap;
}

// The decoder's message in UTF-8, or "" when it succeeded.
std::string ErrorOf(const std::vector<uint8_t>& bytes) {
  try {
    Decode(bytes);
    return "";
  } catch (const Exception& e) {
    return ToUtf8(e.Message());
  }
}

std::vector<uint8_t> Rows(std::initializer_list<std::vector<uint8_t>> rows) {
  std::vector<uint8_t> out;
  for (const auto& r : rows) out.insert(out.end(), r.begin(), r.end());
  return out;
}

}  // namespace

TEST(PngDecoder, PngSuiteMatchesTheReferencePixels) {
  const std::filesystem::path folder = TestDataPath("png");
  const std::regex name("([a-z0-9]{3})([ni])([0-6])([a-z])([0-9]{2})\\.png");
  int decoded = 0, refused = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string file = entry.path().filename().string();
    std::smatch m;
    if (!std::regex_match(file, m, name) || file[0] == 'x') continue;
    const auto bytes = ReadFileBytes(entry.path());
    const int depth = std::stoi(m[5]);
    if (depth == 16) {
      EXPECT_EQ(ErrorOf(bytes), "16bit色深度には対応していません") << file;
      ++refused;
      continue;
    }
    if (m[2] == "i") {
      EXPECT_EQ(ErrorOf(bytes), "PNGインターレースには対応していません") << file;
      ++refused;
      continue;
    }
    const TBitmap b = Decode(bytes);
    int w = 0, h = 0;
    const std::vector<uint8_t> rgba = ReferencePngRawRgba(entry.path(), w, h);
    ASSERT_EQ(w, b.Width()) << file;
    ASSERT_EQ(h, b.Height()) << file;
    const int colourType = std::stoi(m[3]);
    const bool alpha = colourType == 4 || colourType == 6;
    ASSERT_EQ(b.PixelFormat(), alpha ? TPixelFormat::pf32bit : TPixelFormat::pf24bit) << file;
    int wrong = 0;
    for (int y = 0; y < b.Height(); ++y) {
      const uint8_t* p = b.ScanLine(y);
      for (int x = 0; x < b.Width(); ++x, p += b.BytesPerPixel()) {
        const uint8_t* ref = &rgba[4 * (size_t(y) * b.Width() + x)];
        wrong += p[0] != ref[2] || p[1] != ref[1] || p[2] != ref[0] || (alpha && p[3] != ref[3]);
      }
    }
    EXPECT_EQ(wrong, 0) << file;
    ++decoded;
  }
  EXPECT_GT(decoded, 90);
  EXPECT_GT(refused, 40);
}

TEST(PngDecoder, BrokenPngSuiteFiles) {
  struct Case {
    const char* file;
    const char* message;  // "" for a file that decodes
  } cases[] = {
      {"xs1n0g01.png", "PNGファイルではありません"},   {"xs2n0g01.png", "PNGファイルではありません"},
      {"xs4n0g01.png", "PNGファイルではありません"},   {"xs7n0g01.png", "PNGファイルではありません"},
      {"xcrn0g04.png", "PNGファイルではありません"},   {"xlfn0g04.png", "PNGファイルではありません"},
      {"xc1n0g08.png", "このPNGには対応していません[ColorType=1]"},
      {"xc9n2c08.png", "このPNGには対応していません[ColorType=9]"},
      {"xd0n2c08.png", "0bit色深度には対応していません"}, {"xd3n2c08.png", "3bit色深度には対応していません"},
      {"xd9n2c08.png", "99bit色深度には対応していません"},
      {"xhdn0g08.png", ""},  // wrong IHDR checksum: checksums are not verified
      {"xcsn0g01.png", ""},  // wrong IDAT checksum
      {"xdtn0g01.png", ""},  // no IDAT at all: rows of zeros
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorOf(ReadFileBytes(TestDataPath("png/" + std::string(c.file)))), c.message) << c.file;
  }
  const TBitmap empty = Decode(ReadFileBytes(TestDataPath("png/xdtn0g01.png")));
  EXPECT_EQ(GetVisibleBounds(empty), (TRect{0, 0, 0, 0}));  // all black like its top-left pixel
}

TEST(PngDecoder, EveryFilterRestoresExactBytes) {
  struct Case {
    uint8_t colourType, depth, samples;
    uint32_t width;
  } cases[] = {{2, 8, 3, 5}, {6, 8, 4, 5}, {4, 8, 2, 5}, {0, 8, 1, 5}, {0, 1, 1, 8}, {3, 4, 1, 6}};
  for (const Case& c : cases) {
    const uint32_t width = c.width;
    const size_t distance = std::max(1, c.samples * c.depth / 8);
    const size_t rowBytes = (size_t{width} * c.samples * c.depth + 7) / 8;
    std::vector<std::vector<uint8_t>> raw(5, std::vector<uint8_t>(rowBytes));
    for (size_t y = 0; y < raw.size(); ++y)
      for (size_t i = 0; i < rowBytes; ++i) raw[y][i] = static_cast<uint8_t>((y * 71 + i * 37 + (i * i) % 13) * 29);
    std::vector<uint8_t> filtered;
    const uint8_t types[5] = {1, 2, 3, 4, 0};
    for (size_t y = 0; y < raw.size(); ++y) {
      const auto f = PngBuilder::Filter(types[y], raw[y], y ? raw[y - 1] : std::vector<uint8_t>{}, distance);
      filtered.insert(filtered.end(), f.begin(), f.end());
    }
    std::vector<uint8_t> plte;
    for (int i = 0; i < 256 * 3; ++i) plte.push_back(static_cast<uint8_t>(i));
    PngBuilder png;
    png.Signature().Header(width, 5, c.depth, c.colourType);
    if (c.colourType == 3) png.Chunk("PLTE", plte);
    const TBitmap b = Decode(png.ImageData(filtered).End().Bytes());
    ASSERT_EQ(b.Width(), static_cast<int>(width));
    // Rebuild the raw bytes from the pixels and compare.
    for (int y = 0; y < 5; ++y) {
      const uint8_t* p = b.ScanLine(y);
      for (uint32_t x = 0; x < width; ++x) {
        if (c.colourType == 2) {
          ASSERT_EQ(p[3 * x + 2], raw[y][3 * x]) << y;
          ASSERT_EQ(p[3 * x], raw[y][3 * x + 2]) << y;
        } else if (c.colourType == 6) {
          ASSERT_EQ(p[4 * x + 2], raw[y][4 * x]) << y;
          ASSERT_EQ(p[4 * x + 3], raw[y][4 * x + 3]) << y;
        } else if (c.colourType == 4) {
          ASSERT_EQ(p[4 * x], raw[y][2 * x]) << y;
          ASSERT_EQ(p[4 * x + 3], raw[y][2 * x + 1]) << y;
        } else {
          const uint32_t bit = x * c.depth;
          const uint32_t sample = (raw[y][bit / 8] >> (8 - c.depth - bit % 8)) & ((1u << c.depth) - 1);
          if (c.colourType == 3) {
            ASSERT_EQ(p[3 * x + 2], 3 * sample % 256) << y;  // red of entry `sample`
          } else {
            ASSERT_EQ(p[3 * x], c.depth == 1 ? sample * 255 : sample) << y;
          }
        }
      }
    }
  }
}

TEST(PngDecoder, LowDepthsScaleToFullRange) {
  struct Case {
    uint8_t depth;
    uint8_t packed;
    std::vector<uint8_t> grey;
  } cases[] = {{1, 0b10110000, {255, 0, 255, 255, 0}},
               {2, 0b11100100, {255, 170, 85, 0}},
               {4, 0xF7, {255, 119}}};
  for (const Case& c : cases) {
    const uint32_t width = static_cast<uint32_t>(c.grey.size());
    const TBitmap b = Decode(PngBuilder().Signature().Header(width, 1, c.depth, 0).ImageData({0, c.packed}).End().Bytes());
    for (uint32_t x = 0; x < width; ++x) EXPECT_EQ(PixelAt3(b, x, 0), c.grey[x]) << int(c.depth) << " " << x;
  }
}

TEST(PngDecoder, OneBitRowOfTenReadsTwoBytes) {
  // Two rows: if the decoder read the wrong row length, row 1 would come out shifted.
  const TBitmap b = Decode(
      PngBuilder().Signature().Header(10, 2, 1, 0).ImageData({0, 0x80, 0x40, 0, 0x00, 0xC0}).End().Bytes());
  EXPECT_EQ(PixelAt3(b, 0, 0), 255);
  EXPECT_EQ(PixelAt3(b, 1, 0), 0);
  EXPECT_EQ(PixelAt3(b, 9, 0), 255);
  EXPECT_EQ(PixelAt3(b, 8, 1), 255);
  EXPECT_EQ(PixelAt3(b, 9, 1), 255);
  EXPECT_EQ(PixelAt3(b, 0, 1), 0);
}

TEST(PngDecoder, PaletteIgnoresTransparencyAndMissingEntriesAreBlack) {
  const TBitmap b = Decode(PngBuilder()
                               .Signature()
                               .Header(3, 1, 8, 3)
                               .Chunk("PLTE", {10, 20, 30, 40, 50, 60})
                               .Chunk("tRNS", {0, 0})
                               .ImageData({0, 1, 0, 200})
                               .End()
                               .Bytes());
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf24bit);
  const uint8_t* p = b.ScanLine(0);
  EXPECT_EQ(std::vector<uint8_t>(p, p + 9), (std::vector<uint8_t>{60, 50, 40, 30, 20, 10, 0, 0, 0}));
}

TEST(PngDecoder, OverlongPaletteKeepsTheFirst256Entries) {
  std::vector<uint8_t> plte(300 * 3, 7);
  plte[255 * 3] = 99;
  const TBitmap b =
      Decode(PngBuilder().Signature().Header(1, 1, 8, 3).Chunk("PLTE", plte).ImageData({0, 255}).End().Bytes());
  EXPECT_EQ(b.ScanLine(0)[2], 99);
}

TEST(PngDecoder, AncillaryChunksAreSkippedAndIdatMaySplit) {
  const std::vector<uint8_t> rows = Rows({{0, 1, 2, 3, 4, 5, 6}, {0, 7, 8, 9, 10, 11, 12}});
  const auto plain = PngBuilder().Signature().Header(2, 2, 8, 2).ImageData(rows).End().Bytes();
  const auto busy = PngBuilder()
                        .Signature()
                        .Chunk("tEXt", {'a', 0, 'b'})
                        .Chunk("tIME", std::vector<uint8_t>(7, 1))
                        .Header(2, 2, 8, 2)
                        .Chunk("pHYs", std::vector<uint8_t>(9, 2))
                        .Chunk("bKGD", {0, 1, 0, 2, 0, 3})
                        .ImageData(rows, 3)
                        .End()
                        .Bytes();
  const TBitmap a = Decode(plain), b = Decode(busy);
  for (int y = 0; y < 2; ++y) EXPECT_EQ(std::vector<uint8_t>(a.ScanLine(y), a.ScanLine(y) + 6),
                                        std::vector<uint8_t>(b.ScanLine(y), b.ScanLine(y) + 6));
  EXPECT_EQ(a.ScanLine(1)[0], 9);
}

TEST(PngDecoder, OnlyTheFirstRunOfIdatCounts) {
  // The image data split in two, with a text chunk between: the second half is
  // not read. Noise-like pixels keep the compressed halves proportional to the rows.
  std::vector<uint8_t> raw;
  uint32_t noise = 1;
  for (int y = 0; y < 40; ++y) {
    raw.push_back(0);
    for (int i = 0; i < 6; ++i) raw.push_back(static_cast<uint8_t>((noise = noise * 1103515245u + 12345u) >> 24 | 1));
  }
  const auto packed = PngBuilder::Deflate(raw);
  const size_t half = packed.size() / 2;
  const auto bytes = PngBuilder()
                         .Signature()
                         .Header(2, 40, 8, 2)
                         .Chunk("IDAT", std::vector<uint8_t>(packed.begin(), packed.begin() + half))
                         .Chunk("tEXt", {'x', 0})
                         .Chunk("IDAT", std::vector<uint8_t>(packed.begin() + half, packed.end()))
                         .End()
                         .Bytes();
  const TBitmap b = Decode(bytes);
  EXPECT_EQ(b.ScanLine(0)[0], raw[3]);  // blue is the third byte of the row's first pixel
  EXPECT_EQ(b.ScanLine(39)[0], 0);       // never reached: zeros
}

TEST(PngDecoder, RefusalsCarryTheirMessages) {
  auto header = [](uint32_t w, uint32_t h, uint8_t depth, uint8_t type, uint8_t compression = 0,
                   uint8_t interlace = 0) {
    return PngBuilder().Signature().Header(w, h, depth, type, compression, 0, interlace).End().Bytes();
  };
  std::vector<uint8_t> shortHeader = PngBuilder().Signature().Bytes();
  shortHeader.insert(shortHeader.end(), {0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 1});
  const std::string gif = "GIF89a\x01\x00\x01\x00";
  struct Case {
    std::vector<uint8_t> bytes;
    const char* message;
  } cases[] = {
      {std::vector<uint8_t>(gif.begin(), gif.end()), "PNGファイルではありません"},
      {{0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F'}, "PNGファイルではありません"},
      {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A}, "PNGファイルではありません"},
      {{}, "PNGファイルではありません"},
      {header(4, 4, 16, 2, 1, 1), "16bit色深度には対応していません"},
      {header(4, 4, 8, 2, 1, 1), "このPNG圧縮には対応していません"},
      {header(4, 4, 8, 2, 0, 1), "PNGインターレースには対応していません"},
      {header(4, 4, 8, 5), "このPNGには対応していません[ColorType=5]"},
      {header(4, 4, 8, 7, 1), "このPNG圧縮には対応していません"},
      {header(4, 4, 3, 0), "3bit色深度には対応していません"},
      {header(4, 4, 2, 2), "2bit色深度には対応していません"},
      {header(4, 4, 32, 6), "32bit色深度には対応していません"},
      {header(4, 4, 0, 3), "0bit色深度には対応していません"},
      {header(4, 4, 12, 0), "12bit色深度には対応していません"},
      {header(100000, 4, 8, 2), "画像が大きすぎます (100000 x 4)"},
      {header(10000, 10000, 8, 2), "画像が大きすぎます (10000 x 10000)"},
      {header(0, 4, 8, 2), "画像の大きさが不正です (0 x 4)"},
      {shortHeader, "PNGファイルが壊れています"},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.bytes), c.message) << c.message;
}

TEST(PngDecoder, WithoutHeaderOrOnFailureTheBitmapStays) {
  TBitmap b = Bitmap32(3, 3);
  FillWith(b, {1, 2, 3, 4});
  TMemoryStream noHeader(PngBuilder().Signature().Chunk("tEXt", {'a', 0}).End().Bytes());
  LoadPngFromStream(b, noHeader);
  TMemoryStream bad(PngBuilder().Signature().Header(9, 9, 16, 2).End().Bytes());
  EXPECT_THROW(LoadPngFromStream(b, bad), Exception);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(PixelAt(b, 2, 2), (Bgra{1, 2, 3, 4}));
}

TEST(PngDecoder, DamagedImageDataRaisesTheInflateFailure) {
  std::vector<uint8_t> garbage(64, 0xFF);
  garbage[0] = 0x78;
  garbage[1] = 0x9C;
  TMemoryStream stream(PngBuilder().Signature().Header(4, 4, 8, 2).Chunk("IDAT", garbage).End().Bytes());
  TBitmap b;
  EXPECT_THROW(LoadPngFromStream(b, stream), EZDecompressionError);
}

TEST(PngDecoder, EveryTruncationAndBitFlipFailsCleanly) {
  std::vector<uint8_t> raw;
  for (int y = 0; y < 6; ++y) {
    raw.push_back(static_cast<uint8_t>(y % 5));
    for (int i = 0; i < 6 * 4; ++i) raw.push_back(static_cast<uint8_t>(i * y + 7));
  }
  const auto valid = PngBuilder().Signature().Header(6, 6, 8, 6).ImageData(raw).End().Bytes();
  int failures = 0;
  for (size_t n = 0; n < valid.size(); ++n) {
    failures += !ErrorOf(std::vector<uint8_t>(valid.begin(), valid.begin() + n)).empty();
  }
  for (size_t bit = 0; bit < valid.size() * 8; ++bit) {
    std::vector<uint8_t> flipped = valid;
    flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    try {
      Decode(flipped);
    } catch (const Exception&) {
      ++failures;
    }
  }
  EXPECT_GT(failures, 0);
}
