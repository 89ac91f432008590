#include <gtest/gtest.h>

#include <cstdlib>

#include "BmpBuilder.h"
#include "PixelHelpers.h"
#include "TestData.h"
#include "imaging/ImageLoading.h"
#include "platform/graphics/BmpReader.h"

namespace {

TBitmap ReadBmp(const std::vector<uint8_t>& bytes) {
  TMemoryStream stream(bytes);
  TBitmap b;
  LoadBmpFromStream(b, stream);
  return b;
}

std::string ErrorOf(const std::vector<uint8_t>& bytes) {
  try {
    ReadBmp(bytes);
    return "";
  } catch (const Exception& e) {
    return ToUtf8(e.Message());
  }
}

// Largest difference of blue, green and red over the whole picture.
int MaxColourDifference(const TBitmap& a, const TBitmap& b) {
  int worst = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(a.ScanLine(y)[x * a.BytesPerPixel() + c] - b.ScanLine(y)[x * b.BytesPerPixel() + c]));
  return worst;
}

}  // namespace

TEST(BmpReader, BmpSuiteGoodFilesMatchTheReferencePictures) {
  const std::pair<const char*, const char*> cases[] = {
      {"pal1", "pal1"},         {"pal1bg", "pal1bg"},     {"pal4", "pal4"},         {"pal4rle", "pal4"},
      {"pal8", "pal8"},         {"pal8-0", "pal8"},       {"pal8os2", "pal8"},      {"pal8rle", "pal8"},
      {"pal8topdown", "pal8"},  {"pal8v4", "pal8"},       {"pal8v5", "pal8"},       {"pal8w124", "pal8w124"},
      {"pal8w125", "pal8w125"}, {"pal8w126", "pal8w126"}, {"rgb16", "rgb16"},       {"rgb16-565", "rgb16-565"},
      {"rgb16-565pal", "rgb16-565"}, {"rgb24", "rgb24"},  {"rgb24pal", "rgb24"},    {"rgb32", "rgb24"},
      {"rgb32bf", "rgb24"}};
  for (const auto& [bmp, png] : cases) {
    const TBitmap b = ReadBmp(ReadFileBytes(TestDataPath(std::string("bmp/bmpsuite/g/") + bmp + ".bmp")));
    TBitmap reference;
    AnsiString name;
    ASSERT_TRUE(FromUtf8(TestDataPath(std::string("bmp/bmpsuite/html/") + png + ".png").string(), name));
    LoadImageFromFile(reference, name);
    ASSERT_EQ(b.Width(), reference.Width()) << bmp;
    ASSERT_EQ(b.Height(), reference.Height()) << bmp;
    EXPECT_LE(MaxColourDifference(b, reference), 1) << bmp;  // 5- and 6-bit channels may round either way
  }
}

TEST(BmpReader, ThirtyTwoBitFilesKeepTheirAlpha) {
  const TBitmap b = ReadBmp(ReadFileBytes(TestDataPath("bmp/bmpsuite/q/rgba32.bmp")));
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
  int translucent = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) translucent += PixelAt(b, x, y)[3] < 255;
  EXPECT_GT(translucent, 0);
}

TEST(BmpReader, PaintNetFilesEqualTheirPngs) {
  for (const char* name : {"basn6a08", "basn2c08"}) {
    const auto path = TestDataPath(std::string("bmp/paintnet-from-pngsuite/") + name + ".bmp");
    if (!std::filesystem::exists(path)) continue;  // TestDataPath already failed the test
    const TBitmap b = ReadBmp(ReadFileBytes(path));
    TBitmap reference;
    AnsiString png;
    ASSERT_TRUE(FromUtf8(TestDataPath(std::string("png/") + name + ".png").string(), png));
    LoadImageFromFile(reference, png);
    EXPECT_EQ(MaxColourDifference(b, reference), 0) << name;
  }
}

TEST(BmpReader, RowOrderAndPadding) {
  BmpSpec s;
  s.width = 1;
  s.height = 2;
  s.pixels = {1, 2, 3, 0, 4, 5, 6, 0};  // bottom row first
  const TBitmap bottomUp = ReadBmp(BuildBmp(s));
  EXPECT_EQ(bottomUp.ScanLine(0)[0], 4);
  EXPECT_EQ(bottomUp.ScanLine(1)[0], 1);
  s.height = -2;
  const TBitmap topDown = ReadBmp(BuildBmp(s));
  EXPECT_EQ(topDown.ScanLine(0)[0], 1);
}

TEST(BmpReader, PalettesAndMasks) {
  BmpSpec pal;
  pal.width = 9;
  pal.height = 1;
  pal.bitCount = 1;
  pal.palette = {0x000000, 0x102030};
  pal.pixels = {0b10000000, 0b10000000, 0, 0};
  const TBitmap one = ReadBmp(BuildBmp(pal));
  EXPECT_EQ(PixelAt3(one, 0, 0), 0x30);
  EXPECT_EQ(one.ScanLine(0)[2], 0x10);
  EXPECT_EQ(PixelAt3(one, 1, 0), 0);
  EXPECT_EQ(PixelAt3(one, 8, 0), 0x30);

  BmpSpec index;  // an index past the palette reads black, not outside it
  index.width = 1;
  index.height = 1;
  index.bitCount = 8;
  index.palette = {0xFFFFFF};
  index.pixels = {200, 0, 0, 0};
  EXPECT_EQ(PixelAt3(ReadBmp(BuildBmp(index)), 0, 0), 0);

  BmpSpec fields;  // 16-bit 5-6-5 through masks after the header
  fields.width = 1;
  fields.height = 1;
  fields.bitCount = 16;
  fields.compression = 3;
  fields.masks = {0xF800, 0x07E0, 0x001F};
  fields.pixels = {0xFF, 0xFF, 0, 0};
  const TBitmap white = ReadBmp(BuildBmp(fields));
  EXPECT_EQ(white.ScanLine(0)[0], 255);
  EXPECT_EQ(white.ScanLine(0)[1], 255);

  BmpSpec alpha;  // 32-bit with an alpha mask inside a version 5 header
  alpha.width = 1;
  alpha.height = 1;
  alpha.bitCount = 32;
  alpha.compression = 3;
  alpha.headerSize = 124;
  alpha.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
  alpha.pixels = {10, 20, 30, 40};
  EXPECT_EQ(PixelAt(ReadBmp(BuildBmp(alpha)), 0, 0), (Bgra{10, 20, 30, 40}));
}

TEST(BmpReader, RunLengthRunsAbsoluteRunsAndDeltas) {
  BmpSpec s;
  s.width = 6;
  s.height = 2;
  s.bitCount = 8;
  s.compression = 1;
  s.palette = {0x000000, 0x0000FF, 0x00FF00};
  // Bottom row: three of index 1, then absolute 2, 1, 2 (padded); top row: delta 2 right, one of 2.
  s.pixels = {3, 1, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 2, 0, 1, 2, 0, 1};
  const TBitmap b = ReadBmp(BuildBmp(s));
  const int bottom[6] = {255, 255, 255, 0, 255, 0};  // blue bytes
  for (int x = 0; x < 6; ++x) EXPECT_EQ(PixelAt3(b, x, 1), bottom[x]) << x;
  EXPECT_EQ(b.ScanLine(1)[3 * 3 + 1], 255);  // absolute pixel 2 is green
  EXPECT_EQ(b.ScanLine(0)[2 * 3 + 1], 255);  // after the delta
  EXPECT_EQ(b.ScanLine(0)[0 * 3 + 1], 0);    // skipped: black
}

TEST(BmpReader, BadFilesFailCleanly) {
  for (const auto& entry : std::filesystem::directory_iterator(TestDataPath("bmp/bmpsuite/b"))) {
    try {
      ReadBmp(ReadFileBytes(entry.path()));
    } catch (const Exception&) {
    }
  }
  EXPECT_EQ(ErrorOf(ReadFileBytes(TestDataPath("bmp/bmpsuite/b/shortfile.bmp"))), "BMPファイルが壊れています");
  EXPECT_EQ(ErrorOf(ReadFileBytes(TestDataPath("bmp/bmpsuite/b/reallybig.bmp"))), "画像が大きすぎます (3000000 x 2000000)");
  EXPECT_EQ(ErrorOf({'G', 'I', 'F', '8'}), "BMPファイルではありません");
  EXPECT_EQ(ErrorOf({}), "BMPファイルではありません");
  BmpSpec lying;
  lying.dataOffset = 0x7FFFFFF0;  // pixels claimed far past the end
  lying.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
  EXPECT_EQ(ErrorOf(BuildBmp(lying)), "BMPファイルが壊れています");
  BmpSpec jpeg;
  jpeg.bitCount = 0;
  jpeg.compression = 4;
  EXPECT_EQ(ErrorOf(BuildBmp(jpeg)), "このBMPには対応していません [0 bit]");
}

TEST(BmpReader, FailureLeavesTheBitmapAlone) {
  TBitmap b = Bitmap32(3, 3);
  TMemoryStream stream(ReadFileBytes(TestDataPath("bmp/bmpsuite/b/shortfile.bmp")));
  EXPECT_THROW(LoadBmpFromStream(b, stream), Exception);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit);
}

TEST(BmpReader, EveryTruncationAndBitFlipFailsCleanly) {
  const auto valid = ReadFileBytes(TestDataPath("bmp/bmpsuite/g/pal4rle.bmp"));
  int failures = 0;
  for (size_t n = 0; n < valid.size(); n += 3) failures += !ErrorOf(std::vector<uint8_t>(valid.begin(), valid.begin() + n)).empty();
  for (size_t bit = 0; bit < std::min<size_t>(valid.size(), 300) * 8; ++bit) {
    std::vector<uint8_t> flipped = valid;
    flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    failures += !ErrorOf(flipped).empty();
  }
  EXPECT_GT(failures, 0);
}
