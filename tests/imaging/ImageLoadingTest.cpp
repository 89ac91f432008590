#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <cstring>
#include <fstream>

#include "BmpBuilder.h"
#include "PixelHelpers.h"
#include "PngBuilder.h"
#include "TempFolder.h"
#include "TestData.h"
#include "imaging/ImageLoading.h"
#include "platform/io/FileStream.h"
#include "platform/io/Resources.h"

namespace fs = std::filesystem;

namespace {

class ImageLoading : public ::testing::Test {
 protected:
  AnsiString Write(const std::string& name, const std::vector<uint8_t>& bytes) { return folder.Write(name, bytes); }
  TempFolder folder{"loading"};
};

std::vector<uint8_t> TinyPng() {
  return PngBuilder().Signature().Header(2, 1, 8, 6).ImageData({0, 1, 2, 3, 4, 5, 6, 7, 8}).End().Bytes();
}

std::vector<uint8_t> TinyBmp() {
  BmpSpec s;
  s.width = 1;
  s.height = 1;
  s.pixels = {9, 8, 7, 0};
  return BuildBmp(s);
}

}  // namespace

TEST_F(ImageLoading, ExtensionPicksTheDecoder) {
  const auto jpeg = ReadFileBytes(TestDataPath("jpeg/libjpeg-turbo/testorig.jpg"));
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
    int width;  // 0: nothing decoded
    TPixelFormat format;
  } cases[] = {
      {"a.png", TinyPng(), 2, TPixelFormat::pf32bit},
      {"B.PNG", TinyPng(), 2, TPixelFormat::pf32bit},
      {"archive.tar.png", TinyPng(), 2, TPixelFormat::pf32bit},
      {"c.Bmp", TinyBmp(), 1, TPixelFormat::pf24bit},
      {"photo.JPEG", jpeg, 227, TPixelFormat::pf24bit},
      {"photo.jpg", jpeg, 227, TPixelFormat::pf24bit},
      {"picture.gif", TinyPng(), 0, TPixelFormat::pf24bit},
      {"a.b/picture", TinyPng(), 0, TPixelFormat::pf24bit},
      {"trailing.png.", TinyPng(), 0, TPixelFormat::pf24bit},
      {"名前.png", TinyPng(), 2, TPixelFormat::pf32bit},
  };
  for (const Case& c : cases) {
    TBitmap b;
    LoadImageFromFile(b, Write(c.name, c.bytes));
    EXPECT_EQ(b.Width(), c.width) << c.name;
    if (c.width > 0) {
      EXPECT_EQ(b.PixelFormat(), c.format) << c.name;
    }
  }
}

TEST_F(ImageLoading, UnknownExtensionLeavesTheBitmapAlone) {
  TBitmap b = Bitmap32(4, 4);
  LoadImageFromFile(b, Write("x.txt", TinyPng()));
  EXPECT_EQ(b.Width(), 4);
}

TEST_F(ImageLoading, MissingFilesAndFoldersRaiseTheOpenFailure) {
  TBitmap b;
  EXPECT_THROW(LoadImageFromFile(b, Write("exists.png", TinyPng()) + "-not"), EFOpenError);
  fs::create_directories(folder / "folder.png");
  EXPECT_THROW(LoadImageFromFile(b, folder.Name("folder.png")), EFOpenError);
  // A name CP932 cannot hold is refused like an unreadable file, not mangled.
  EXPECT_THROW(LoadImageFromFile(b, AnsiString("bad\x81")), EFOpenError);
}

TEST_F(ImageLoading, ScrambledJpegRoundTrip) {
  auto bytes = ReadFileBytes(TestDataPath("jpeg/libjpeg-turbo/testorig.jpg"));
  TBitmap plain, scrambled;
  LoadImageFromFile(plain, Write("p.jpg", bytes));
  auto jpx = bytes;
  ScrambleJpx(jpx);
  EXPECT_NE(jpx, bytes);
  EXPECT_EQ(jpx[0], bytes[0] ^ JpxKeyStart);
  LoadImageFromFile(scrambled, Write("p.JPX", jpx));
  ASSERT_EQ(scrambled.Width(), plain.Width());
  ASSERT_EQ(scrambled.Height(), plain.Height());
  for (int y = 0; y < plain.Height(); ++y)
    ASSERT_EQ(0, std::memcmp(plain.ScanLine(y), scrambled.ScanLine(y), 3 * size_t(plain.Width())));
  ScrambleJpx(jpx);
  EXPECT_EQ(jpx, bytes);
}

TEST_F(ImageLoading, OversizedJpxIsIgnored) {
  TMemoryStream huge(std::vector<uint8_t>(MaxJpxBytes + 1, 0xFF));
  TBitmap b = Bitmap32(3, 3);
  LoadScrambledJpegFromStream(b, huge);
  EXPECT_EQ(b.Width(), 3);
}

TEST(ResourceLoading, ByNameWithoutRegardToCase) {
  for (const char* name : {"glass.png", "GLASS.PNG", "Glass.Png"}) {
    TBitmap b;
    LoadImageFromResource(b, name);
    EXPECT_EQ(b.Width(), 32) << name;
    EXPECT_EQ(b.PixelFormat(), TPixelFormat::pf32bit) << name;
  }
  TBitmap gif = Bitmap32(5, 5);
  LoadImageFromResource(gif, "glass.gif");
  EXPECT_EQ(gif.Width(), 0);
  EXPECT_EQ(gif.Height(), 0);
  TBitmap missing = Bitmap32(5, 5);
  EXPECT_THROW(LoadImageFromResource(missing, "nothing.png"), EResNotFound);
  EXPECT_TRUE(missing.Empty());
}

TEST(ResourceLoading, StreamsAndText) {
  EXPECT_EQ(OpenResourceStream("no-such-resource"), nullptr);
  auto title = OpenResourceStream("AppTitle");
  ASSERT_NE(title, nullptr);
  TBitmap b;
  LoadImageFromStream(b, "AppTitle.png", *title);
  EXPECT_EQ(b.Width(), 160);
  EXPECT_EQ(b.Height(), 32);
  const AnsiString text = LoadResourceText("HOLIDAYS.XML");
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"shift_jis\"?>", 0), 0u);
  EXPECT_NE(text.find(Ansi(u8"元日")), AnsiString::npos);
  EXPECT_THROW(LoadResourceText("missing"), EResNotFound);
}

TEST(PackagedPictures, SizesFormatsAndOpacity) {
  struct Case {
    const char* name;
    int w, h;
    TPixelFormat format;
  } cases[] = {{"namb.png", 32, 32, TPixelFormat::pf32bit},     {"glass.png", 32, 32, TPixelFormat::pf32bit},
               {"korvessa.png", 25, 100, TPixelFormat::pf24bit}, {"blackgold.png", 25, 100, TPixelFormat::pf24bit},
               {"apptitle.png", 160, 32, TPixelFormat::pf24bit}};
  for (const Case& c : cases) {
    TBitmap b;
    LoadImageFromResource(b, c.name);
    EXPECT_EQ(b.Width(), c.w) << c.name;
    EXPECT_EQ(b.Height(), c.h) << c.name;
    EXPECT_EQ(b.PixelFormat(), c.format) << c.name;
    if (c.format != TPixelFormat::pf32bit) continue;
    for (auto [x, y] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}}) EXPECT_EQ(PixelAt(b, x, y)[3], 0) << c.name;
  }
  TBitmap iron, glass;
  LoadImageFromResource(iron, "namb.png");
  LoadImageFromResource(glass, "glass.png");
  EXPECT_EQ(PixelAt(iron, 16, 14)[3], 255);
  int translucent = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) translucent += PixelAt(glass, x, y)[3] > 30 && PixelAt(glass, x, y)[3] < 220;
  EXPECT_GT(translucent, 100);
}

TEST(PackagedResources, AllAreThere) {
  std::vector<std::string> names;
  for (const ResourceEntry& e : ProgramResources()) {
    EXPECT_GT(e.Data.size(), 100u);
    names.push_back(std::string(e.Type) + ":" + e.Name);
  }
  std::sort(names.begin(), names.end());  // the system lists them in its own order
  EXPECT_EQ(names, (std::vector<std::string>{"APPICON:MAINICON", "FORMDATA:VERSIONINFO_IMAGE1", "RC_DATA:APPTITLE",
                                             "RC_DATA:BLACKGOLD", "RC_DATA:GLASS", "RC_DATA:HOLIDAYS", "RC_DATA:KORVESSA",
                                             "RC_DATA:NAMB"}));
}
