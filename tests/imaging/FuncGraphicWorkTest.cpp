#include <gtest/gtest.h>

#include <climits>

#include "PixelHelpers.h"
#include "imaging/FuncGraphicWork.h"
#include "platform/Exception.h"

TEST(FillBitmap32, SwapsRedAndBlueIntoMemoryOrder) {
  TBitmap b = Bitmap32(3, 2);
  FillBitmap32(b, 0xFFC0E0E0);
  EXPECT_EQ(PixelAt(b, 2, 1), (Bgra{0xC0, 0xE0, 0xE0, 0xFF}));
  FillBitmap32(b, 0x04030201);
  EXPECT_EQ(PixelAt(b, 0, 0), (Bgra{3, 2, 1, 4}));
}

TEST(FillBitmap32, RefusesOtherFormatsWithTheSystemMessage) {
  TBitmap b;
  b.SetSize(2, 2);
  for (auto fill : {+[](TBitmap& t) { FillBitmap32(t, 0xFFFFFFFF); },
                    +[](TBitmap& t) { FillRect32(t, {0, 0, 1, 1}, 0xFFFFFFFF); }}) {
    try {
      fill(b);
      FAIL() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(ToUtf8(e.Message()), "32bitBmp以外を塗りつぶそうとしました");
    }
    EXPECT_EQ(b.ScanLine(0)[0], 0);
  }
}

TEST(FillRect32, ClipsToTheBitmap) {
  struct Case {
    TRect rect;
    int filled;
  } cases[] = {{{-2, -2, 2, 1}, 2}, {{3, 3, 10, 10}, 1}, {{5, 0, 9, 4}, 0},
               {{-5, -5, -1, -1}, 0}, {{2, 2, 1, 3}, 0}, {{0, 0, 4, 4}, 16}};
  for (const Case& c : cases) {
    TBitmap b = Bitmap32(4, 4);
    FillRect32(b, c.rect, 0xFF0000FF);
    int filled = 0;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) filled += PixelAt(b, x, y)[3] == 0xFF;
    EXPECT_EQ(filled, c.filled) << c.rect.Left << "," << c.rect.Top;
  }
}

TEST(SetAlphaRect32, PunchesTheStringHoleOnly) {
  TBitmap b = Bitmap32(24, 92);
  FillWith(b, {1, 2, 3, 200});
  SetAlphaRect32(b, {11, 1, 13, 3}, 0);
  int holes = 0;
  for (int y = 0; y < 92; ++y)
    for (int x = 0; x < 24; ++x) holes += PixelAt(b, x, y)[3] == 0;
  EXPECT_EQ(holes, 4);
  EXPECT_EQ(PixelAt(b, 12, 2), (Bgra{1, 2, 3, 0}));
  SetAlpha32(b, 9);
  EXPECT_EQ(PixelAt(b, 12, 2), (Bgra{1, 2, 3, 9}));
}

TEST(ColorKeyAlpha32, KeyIsTheTopLeftColour) {
  TBitmap b = Bitmap32(3, 1);
  FillWith(b, {5, 6, 7, 0});
  ColorKeyAlpha32(b, 255);
  EXPECT_EQ(PixelAt(b, 2, 0)[3], 0);
  SetPixel(b, 1, 0, {5, 6, 8, 0});
  ColorKeyAlpha32(b, 180);
  EXPECT_EQ(PixelAt(b, 0, 0), (Bgra{5, 6, 7, 0}));
  EXPECT_EQ(PixelAt(b, 1, 0), (Bgra{5, 6, 8, 180}));
}

TEST(GetVisibleBounds, ThirtyTwoBitUsesAlphaAboveTwenty) {
  TBitmap b = Bitmap32(10, 10);
  EXPECT_EQ(GetVisibleBounds(b), (TRect{0, 0, 0, 0}));
  SetAlpha32(b, 20);
  EXPECT_EQ(GetVisibleBounds(b), (TRect{0, 0, 0, 0}));
  SetPixel(b, 5, 7, {0, 0, 0, 21});
  EXPECT_EQ(GetVisibleBounds(b), (TRect{5, 7, 6, 8}));
  SetPixel(b, 2, 9, {0, 0, 0, 255});
  EXPECT_EQ(GetVisibleBounds(b), (TRect{2, 7, 6, 10}));
}

TEST(GetVisibleBounds, TwentyFourBitUsesTheTopLeftColour) {
  TBitmap b;
  b.SetSize(4, 3);
  EXPECT_EQ(GetVisibleBounds(b), (TRect{0, 0, 0, 0}));
  b.ScanLine(1)[3 * 2 + 2] = 1;  // red of (2, 1)
  EXPECT_EQ(GetVisibleBounds(b), (TRect{2, 1, 3, 2}));
}

namespace {
// A 3 x 2 bitmap whose pixels are numbered in their blue byte, row by row.
TBitmap Numbered(int32_t w, int32_t h) {
  TBitmap b = Bitmap32(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) SetPixel(b, x, y, {uint8_t(y * w + x), 0, 0, 255});
  return b;
}
}  // namespace

TEST(RotateQuarters, ReducesTheCountAndMovesCorners) {
  struct Case {
    int32_t q;
    int32_t w, h;     // size afterwards
    int32_t x, y;     // where the old top-left pixel ends
  } cases[] = {{1, 2, 3, 1, 0},  {-1, 2, 3, 0, 2}, {3, 2, 3, 0, 2},  {5, 2, 3, 1, 0},
               {2, 3, 2, 2, 1},  {-2, 3, 2, 2, 1}, {0, 3, 2, 0, 0},  {4, 3, 2, 0, 0},
               {-4, 3, 2, 0, 0}, {INT_MIN, 3, 2, 0, 0}, {INT_MAX, 2, 3, 0, 2}};
  for (const Case& c : cases) {
    TBitmap b = Numbered(3, 2);
    RotateQuarters(b, c.q);
    ASSERT_EQ(b.Width(), c.w) << c.q;
    ASSERT_EQ(b.Height(), c.h) << c.q;
    EXPECT_EQ(PixelAt(b, c.x, c.y)[0], 0) << c.q;
  }
}

TEST(RotateQuarters, QuarterTurnMapsEveryPixel) {
  TBitmap b = Numbered(3, 2);
  RotateQuarters(b, 1);
  // Clockwise: the left column, read bottom-up, becomes the top row.
  EXPECT_EQ(PixelAt(b, 0, 0)[0], 3);
  EXPECT_EQ(PixelAt(b, 1, 0)[0], 0);
  EXPECT_EQ(PixelAt(b, 0, 2)[0], 5);
  EXPECT_EQ(PixelAt(b, 1, 2)[0], 2);
}

TEST(RotateQuarters, HalfTurnReversesAnOddMiddleRow) {
  TBitmap b = Numbered(3, 3);
  RotateQuarters(b, 2);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(PixelAt(b, i % 3, i / 3)[0], 8 - i);
}

TEST(MirrorHorizontal32, OddWidthKeepsTheMiddleColumn) {
  TBitmap b = Numbered(3, 2);
  MirrorHorizontal32(b);
  EXPECT_EQ(PixelAt(b, 0, 1)[0], 5);
  EXPECT_EQ(PixelAt(b, 1, 1)[0], 4);
  EXPECT_EQ(PixelAt(b, 2, 1)[0], 3);
}

TEST(HalveInPlace32, AveragesTwoByTwoBlocksTruncating) {
  TBitmap b = Numbered(3, 3);
  SetPixel(b, 0, 0, {0, 1, 255, 1});
  SetPixel(b, 1, 0, {1, 1, 255, 2});
  HalveInPlace32(b);
  // (0 + 1 + 3 + 4) / 4 = 2; green (1 + 1 + 0 + 0) / 4 = 0; red 510 / 4 = 127.
  EXPECT_EQ(PixelAt(b, 0, 0), (Bgra{2, 0, 127, 128}));
  EXPECT_EQ(PixelAt(b, 1, 0)[0], 1);  // untouched: only one output pixel for 3 x 3
  EXPECT_EQ(b.Width(), 3);
}

TEST(Rects, ClipCollapsesWidthAndGrowCopiesIntoEmpty) {
  TRect r{5, 5, 10, 10};
  ClipRectTo(r, {0, 0, 4, 4});
  EXPECT_EQ(r.Right, r.Left);
  TRect tall{1, 8, 3, 2};
  ClipRectTo(tall, {0, 0, 10, 10});
  EXPECT_EQ(tall, (TRect{1, 8, 1, 2}));
  GrowRectTo(tall, {4, 4, 6, 6});
  EXPECT_EQ(tall, (TRect{4, 4, 6, 6}));
  GrowRectTo(tall, {-1, 5, 5, 9});
  EXPECT_EQ(tall, (TRect{-1, 4, 6, 9}));
}
