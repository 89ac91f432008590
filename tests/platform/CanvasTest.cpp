#include <gtest/gtest.h>

#include "PixelHelpers.h"
#include "platform/graphics/Canvas.h"
#include "platform/Exception.h"
#include "platform/Types.h"

namespace {

TBitmap White(int32_t w, int32_t h) {
  TBitmap b = Bitmap32(w, h);
  FillWith(b, {255, 255, 255, 255});
  return b;
}

// Sum of darkness (255 - blue) over a rectangle.
int64_t Ink(const TBitmap& b, TRect r) {
  int64_t sum = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) sum += 255 - PixelAt(b, x, y)[0];
  return sum;
}

}  // namespace

TEST(Canvas, CellHeightAndFullWidthCharacters) {
  TBitmap b = White(10, 10);
  TCanvas canvas(b);
  canvas.Font.Name = Ansi(u8"ＭＳ 明朝");
  canvas.Font.Height = 16;
  canvas.Font.Bold = true;
  EXPECT_EQ(canvas.TextHeight(Ansi(u8"■")), 16);
  const int32_t square = canvas.TextWidth(Ansi(u8"■"));
  EXPECT_GE(square, 13);
  EXPECT_LE(square, 17);
  EXPECT_EQ(canvas.TextWidth(Ansi(u8"■■")), 2 * square);
  EXPECT_EQ(canvas.TextWidth(""), 0);
  canvas.Font.Height = 32;
  EXPECT_EQ(canvas.TextHeight("x"), 32);
}

TEST(Canvas, TextOutPaintsTheBrushThenTheInk) {
  TBitmap b = White(40, 24);
  TCanvas canvas(b);
  canvas.Font.Name = Ansi(u8"ＭＳ 明朝");
  canvas.Font.Height = 16;
  canvas.Font.Color = 0x000000;
  canvas.Brush.Color = 0x0000FF;  // red
  canvas.TextOut(4, 4, Ansi(u8"風"));
  const int32_t w = canvas.TextWidth(Ansi(u8"風"));
  EXPECT_EQ(PixelAt(b, 4, 4)[2], 255);  // brush corner: red stays full
  EXPECT_EQ(PixelAt(b, 4, 4)[0], 0);    // and blue is gone
  EXPECT_EQ(PixelAt(b, 3, 4), (Bgra{255, 255, 255, 255}));  // outside the cell: untouched
  EXPECT_EQ(PixelAt(b, 4 + w, 4), (Bgra{255, 255, 255, 255}));
  EXPECT_EQ(PixelAt(b, 4, 20), (Bgra{255, 255, 255, 255}));
  int dark = 0;
  for (int y = 4; y < 20; ++y)
    for (int x = 4; x < 4 + w; ++x) dark += PixelAt(b, x, y)[2] < 128;
  EXPECT_GT(dark, 20);
  EXPECT_EQ(PixelAt(b, 10, 10)[3], 255);  // alpha bytes are left alone
}

TEST(Canvas, BoldIsHeavierAndTextClipsAtTheEdges) {
  auto inkOf = [](bool bold) {
    TBitmap b = White(30, 20);
    TCanvas canvas(b);
    canvas.Font.Name = Ansi(u8"ＭＳ 明朝");
    canvas.Font.Height = 16;
    canvas.Font.Bold = bold;
    canvas.TextOut(2, 2, Ansi(u8"一期"));
    return Ink(b, {0, 0, 30, 20});
  };
  EXPECT_GT(inkOf(true), inkOf(false));
  TBitmap small = White(6, 6);
  TCanvas canvas(small);
  canvas.Font.Name = Ansi(u8"ＭＳ 明朝");
  canvas.Font.Height = 16;
  canvas.TextOut(-5, -7, Ansi(u8"一期一会"));  // mostly outside: cut by the bitmap
  canvas.TextOut(4, 4, Ansi(u8"会"));
}

TEST(Canvas, EverySystemFontNameHasAStandIn) {
  for (const char8_t* name : {u8"ＭＳ 明朝", u8"ＭＳ Ｐ明朝", u8"ＭＳ ゴシック", u8"ＭＳ Ｐゴシック", u8"HGP創英角ｺﾞｼｯｸUB", u8"Arial Black"}) {
    TBitmap b = White(4, 4);
    TCanvas canvas(b);
    canvas.Font.Name = Ansi(name);
    canvas.Font.Height = 12;
    EXPECT_GT(canvas.TextWidth("A"), 0) << ToUtf8(Ansi(name));
  }
}

#ifndef _WIN32
// Fontconfig finds no stand-in; the Windows font mapper always picks one.
TEST(Canvas, AMissingFontIsAClearError) {
  TBitmap b = White(4, 4);
  TCanvas canvas(b);
  canvas.Font.Name = "No Such Font Family 42";
  try {
    canvas.TextWidth("A");
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_NE(ToUtf8(e.Message()).find("No Such Font Family 42"), std::string::npos);
    EXPECT_NE(ToUtf8(e.Message()).find("見つかりません"), std::string::npos);
  }
}
#endif

// A rounded outline: symmetric, one pixel thick along the sides, corners cut,
// the inside untouched under a clear brush.
TEST(Canvas, RoundRectOutline) {
  TBitmap b = White(20, 12);
  TCanvas canvas(b);
  canvas.Brush.Style = TBrushStyle::bsClear;
  canvas.Pen.Color = 0x0000FF;
  canvas.RoundRect(0, 0, 20, 12, 8, 8);
  auto inked = [&](int x, int y) { return PixelAt(b, x, y)[2] == 255 && PixelAt(b, x, y)[0] == 0; };
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 20; ++x) {
      EXPECT_EQ(inked(x, y), inked(19 - x, y)) << x << "," << y;
      EXPECT_EQ(inked(x, y), inked(x, 11 - y)) << x << "," << y;
    }
  }
  EXPECT_FALSE(inked(0, 0));
  EXPECT_TRUE(inked(0, 6));
  EXPECT_FALSE(inked(1, 6));
  EXPECT_TRUE(inked(10, 0));
  EXPECT_FALSE(inked(10, 1));
  // The corner's staircase is closed: each outline row meets the next one.
  for (int y = 0; y < 5; ++y) {
    int first = 0;
    while (!inked(first, y)) ++first;
    int next = 0;
    while (!inked(next, y + 1)) ++next;
    EXPECT_LE(next, first) << y;
    EXPECT_GE(next + 1, first - 1) << y;
  }
}

// Pictures: 24-bit without the transparent colour, 32-bit by alpha, both within the clip.
TEST(Canvas, DrawTransparentBlendedAndClipped) {
  TBitmap picture;
  picture.SetPixelFormat(TPixelFormat::pf24bit);
  picture.SetSize(2, 1);
  picture.ScanLine(0)[0] = 10;  // left: blue 10, the key colour
  picture.ScanLine(0)[3] = 20;
  TBitmap b = White(4, 1);
  TCanvas canvas(b);
  canvas.Draw(0, 0, picture, 0x0A0000);
  EXPECT_EQ(PixelAt(b, 0, 0)[0], 255);
  EXPECT_EQ(PixelAt(b, 1, 0)[0], 20);
  EXPECT_EQ(PixelAt(b, 1, 0)[3], 255);  // alpha stays
  TBitmap half = Bitmap32(2, 1);
  FillWith(half, {0, 0, 0, 128});
  canvas.Draw(2, 0, half, std::nullopt, TRect{0, 0, 3, 1});
  EXPECT_EQ(PixelAt(b, 2, 0)[0], 127);
  EXPECT_EQ(PixelAt(b, 3, 0)[0], 255);
}
