#include <gtest/gtest.h>
#include <chrono>
#include <functional>
#include <thread>

#include "BmpBuilder.h"
#include "ChimoraProbe.h"
#include "PixelHelpers.h"
#include "TempFolder.h"
#include "imaging/ImageLoading.h"

namespace {

using Painter = std::function<Bgra(int x, int y)>;

constexpr Bgra kRed{0, 0, 255, 255};
constexpr Bgra kBlue{255, 0, 0, 255};

class ChimePictures : public ::testing::Test {
 protected:
  // A 24-bit BMP file, rows from the top.
  AnsiString Picture(const std::string& name, int w, int h, const Painter& paint) {
    BmpSpec s;
    s.width = w;
    s.height = -h;
    const int stride = (w * 3 + 3) / 4 * 4;
    s.pixels.assign(size_t(stride) * h, 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const Bgra c = paint(x, y);
        std::copy_n(c.begin(), 3, &s.pixels[size_t(y) * stride + 3 * x]);
      }
    return Write(name, BuildBmp(s));
  }
  AnsiString Write(const std::string& name, const std::vector<uint8_t>& bytes) { return folder.Write(name, bytes); }

  void ExpectOpaqueWithHole() {
    const TBitmap& paper = probe.Paper();
    ASSERT_EQ(paper.PixelFormat(), TPixelFormat::pf32bit);
    for (int y = 0; y < paper.Height(); ++y)
      for (int x = 0; x < paper.Width(); ++x) {
        const bool hole = (x == 11 || x == 12) && (y == 1 || y == 2);
        ASSERT_EQ(PixelAt(paper, x, y)[3], hole ? 0 : 255) << x << "," << y;
      }
  }

  static bool Reddish(Bgra p) { return p[2] > 180 && p[0] < 80; }
  static bool Bluish(Bgra p) { return p[0] > 180 && p[2] < 80; }

  TempFolder folder{"pictures"};
  TChimora chime;
  ChimoraProbe probe{chime};
};

bool SamePixels(const TBitmap& a, const TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (PixelAt(a, x, y) != PixelAt(b, x, y)) return false;
  return true;
}

}  // namespace

TEST_F(ChimePictures, StringHoleAfterEveryPaperOperation) {
  const AnsiString good = Picture("good.bmp", 30, 90, [](int, int) { return kBlue; });
  const AnsiString unknown = Write("notes.txt", {1, 2, 3});
  const std::function<void()> operations[] = {
      [] {},
      [&] { chime.SetDefaultPaper(0); },
      [&] { chime.SetDefaultPaper(1); },
      [&] { chime.SetDefaultPaper(2); },
      [&] { chime.SetBellType(0); },
      [&] { chime.LoadPaperFile(good); },
      [&] { chime.LoadPaperFile(good + "-missing"); },
      [&] { chime.LoadPaperFile(unknown); },
      [&] { chime.LoadPaperFile(""); },
  };
  for (const auto& operation : operations) {
    operation();
    ExpectOpaqueWithHole();
  }
}

TEST_F(ChimePictures, LandscapeTurnsAQuarterClockwiseFirst) {
  auto topRed = [](int, int y) { return y < 20 ? kRed : kBlue; };
  chime.LoadPaperFile(Picture("landscape.bmp", 300, 200, topRed));
  EXPECT_TRUE(Reddish(PixelAt(probe.Paper(), 24, 50)));  // the top edge became the right edge
  EXPECT_TRUE(Bluish(PixelAt(probe.Paper(), 0, 50)));
  EXPECT_TRUE(Bluish(PixelAt(probe.Paper(), 12, 99)));

  chime.LoadPaperFile(Picture("portrait.bmp", 200, 300, topRed));
  EXPECT_TRUE(Reddish(PixelAt(probe.Paper(), 3, 3)));  // only scaled
  EXPECT_TRUE(Bluish(PixelAt(probe.Paper(), 24, 50)));

  chime.LoadPaperFile(Picture("square.bmp", 100, 100, topRed));
  EXPECT_TRUE(Reddish(PixelAt(probe.Paper(), 3, 10)));  // not turned
  EXPECT_TRUE(Bluish(PixelAt(probe.Paper(), 24, 50)));
  EXPECT_EQ(probe.Paper().Width(), 25);
  EXPECT_EQ(probe.Paper().Height(), 100);
}

TEST_F(ChimePictures, UnreadableFilesFallBackToTheDefault) {
  chime.SetBellType(0);
  TBitmap defaultFace = probe.Paper();
  std::vector<uint8_t> brokenPng = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                    0, 0, 0, 4, 0, 0, 0, 4, 16, 2, 0, 0, 0, 0, 0, 0, 0};
  const AnsiString files[] = {Write("broken.png", brokenPng), Write("short.jpg", {0xFF, 0xD8, 0xFF}),
                              Write("garbage.bmp", std::vector<uint8_t>(100, 7)), AnsiString(""),
                              Write("empty.png", {}), AnsiString("/no/such/folder/a.png")};
  for (const AnsiString& file : files) {
    chime.LoadPaperFile(Picture("blue.bmp", 30, 90, [](int, int) { return kBlue; }));
    ASSERT_FALSE(chime.PaperFile().empty());
    chime.LoadPaperFile(file);
    EXPECT_TRUE(chime.PaperFile().empty()) << ToUtf8(file);
    EXPECT_TRUE(SamePixels(probe.Paper(), defaultFace)) << ToUtf8(file);
  }
}

TEST_F(ChimePictures, UnknownExtensionKeepsThePictureButTakesTheName) {
  chime.LoadPaperFile(Picture("blue.bmp", 30, 90, [](int, int) { return kBlue; }));
  const AnsiString text = Write("readme.txt", {'h', 'i'});
  chime.LoadPaperFile(text);
  EXPECT_EQ(chime.PaperFile(), text);
  EXPECT_TRUE(Bluish(PixelAt(probe.Paper(), 5, 50)));
}

TEST_F(ChimePictures, DefaultPaperOfAnUnknownTypeKeepsThePicture) {
  const AnsiString blue = Picture("blue.bmp", 30, 90, [](int, int) { return kBlue; });
  chime.LoadPaperFile(blue);
  EXPECT_EQ(chime.PaperFile(), blue);
  chime.SetDefaultPaper(2);
  EXPECT_TRUE(chime.PaperFile().empty());
  EXPECT_TRUE(Bluish(PixelAt(probe.Paper(), 5, 50)));
  ExpectOpaqueWithHole();
}

// Faces made on the worker end as the same operations one after the other would
// leave them, whichever finishes first; each lands on a tick.
TEST_F(ChimePictures, RequestedFacesEndAsTheOperationsInTurn) {
  const AnsiString big = Picture("big.bmp", 1500, 1000, [](int x, int) { return x < 750 ? kRed : kBlue; });
  const AnsiString blue = Picture("blue.bmp", 30, 90, [](int, int) { return kBlue; });
  const AnsiString text = Write("notes.txt", {1}), missing = folder.Name("missing.png");
  using Step = std::function<void(TChimora&, bool requested)>;
  auto drop = [](const AnsiString& name) -> Step {
    return [name](TChimora& c, bool requested) { requested ? c.RequestPaperFiles({name}) : c.LoadPaperFile(name); };
  };
  auto bell = [](int32_t type) -> Step { return [type](TChimora& c, bool) { c.SetBellType(type); }; };
  const std::vector<std::vector<Step>> cases = {
      {drop(big), drop(blue)},                // the last drop wins, though the first is still decoding
      {drop(blue), drop(big)},
      {drop(big), bell(0), drop(text)},       // a later bell takes the face; the text keeps it
      {drop(big), drop(missing), drop(text)},  // the default, then kept with the text's name
      {bell(7), drop(blue), drop(missing)},   // no default: the failure keeps the blue face
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    TChimora made, reference;
    for (const Step& step : cases[i]) {
      step(made, true);
      step(reference, false);
    }
    for (int n = 0; n < 2000 && made.PaperPending(); ++n) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      made.Tick();
    }
    ASSERT_FALSE(made.PaperPending()) << i;
    EXPECT_EQ(made.PaperFile(), reference.PaperFile()) << i;
    EXPECT_TRUE(SamePixels(ChimoraProbe(made).Paper(), ChimoraProbe(reference).Paper())) << i;
  }
}

TEST_F(ChimePictures, BellTypesChooseBellAndDefaultFace) {
  struct Case {
    int32_t type;
    const char* bell;
    const char* paper;  // nullptr: the previous picture stays
  } cases[] = {{0, "namb.png", "korvessa.png"}, {1, "glass.png", "blackgold.png"}, {7, "glass.png", nullptr}};
  for (const Case& c : cases) {
    chime.SetBellType(0);
    const TBitmap before = probe.Paper();
    chime.SetBellType(c.type);
    EXPECT_EQ(chime.BellType(), c.type);
    TBitmap bell, paper;
    LoadImageFromResource(bell, c.bell);
    EXPECT_TRUE(SamePixels(probe.Bell(), bell)) << c.type;
    if (c.paper == nullptr) {
      EXPECT_TRUE(SamePixels(probe.Paper(), before));
      continue;
    }
    LoadImageFromResource(paper, c.paper);
    EXPECT_EQ(PixelAt(probe.Paper(), 5, 50)[1], paper.ScanLine(50)[5 * 3 + 1]) << c.type;
  }
}

TEST_F(ChimePictures, BlankTextFace) {
  chime.SetStripText("");
  const TBitmap& face = probe.TextFace();
  for (auto [x, y] : {std::pair{0, 0}, {1, 45}, {23, 91}, {22, 3}}) EXPECT_EQ(PixelAt(face, x, y), (Bgra{0xC0, 0xE0, 0xE0, 0xFF}));
  for (auto [x, y] : {std::pair{2, 2}, {12, 45}, {21, 89}}) EXPECT_EQ(PixelAt(face, x, y), (Bgra{0xF8, 0xFF, 0xFF, 0xFF}));
}

TEST_F(ChimePictures, IdiomFillsRowsThirteenToSeventySix) {
  chime.SetStripText(Ansi(u8"一期一会"));
  const TBitmap& face = probe.TextFace();
  int top = 100, bottom = -1, left = 100, right = -1;
  for (int y = 2; y < 90; ++y)
    for (int x = 2; x < 22; ++x) {
      ASSERT_EQ(PixelAt(face, x, y)[3], 255);
      if (PixelAt(face, x, y) == Bgra{0xF8, 0xFF, 0xFF, 0xFF}) continue;
      top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x), right = std::max(right, x);
    }
  EXPECT_GE(top, 13);
  EXPECT_LE(bottom, 76);
  EXPECT_LT(top, 20);
  EXPECT_GT(bottom, 68);
  // Centred on column 12, stored mirrored: centred on column 11.
  EXPECT_LE(std::abs((left + right) - 23), 3);
}
