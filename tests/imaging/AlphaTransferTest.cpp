#include <gtest/gtest.h>

#include "PixelHelpers.h"
#include "imaging/FuncGraphicWork.h"
#include "imaging/AlphaTransfer.h"

namespace {

TBitmap Filled(int32_t w, int32_t h, Bgra v) {
  TBitmap b = Bitmap32(w, h);
  FillWith(b, v);
  return b;
}

TTransferParams Params(TBitmap& dest, const TBitmap& source, TRect rect, uint8_t mode, int32_t opacity = 255) {
  return TTransferParams{&dest, &source, rect, rect, opacity, mode, 0};
}

}  // namespace

TEST(AlphaTransfer, ModeArithmetic) {
  struct Case {
    uint8_t mode;
    uint8_t s, d, v;
  } cases[] = {
      {tmNormal, 200, 100, 200},   {tmAdd, 200, 100, 255},       {tmSubtract, 200, 100, 0},
      {tmSubtract, 40, 100, 60},   {tmMultiply, 200, 100, 78},   {tmDivide, 200, 100, 126},
      {tmDivide, 0, 100, 255},     {tmScreen, 200, 100, 221},    {tmSoftLight, 200, 100, 156},
      {tmSoftLight, 50, 200, 167}, {tmHalfLight, 200, 100, 228}, {tmHalfDark, 201, 100, 100},
      {10, 200, 100, 200},         {tmPremultiplied, 200, 100, 200}, {13, 200, 100, 200},
  };
  for (const Case& c : cases) {
    for (TRect rect : {TRect{0, 0, 2, 2}, TRect{0, 0, 3, 3}}) {  // unscaled, then scaled
      TBitmap dest = Filled(3, 3, {c.d, c.d, c.d, 40});
      const TBitmap source = Filled(2, 2, {c.s, c.s, c.s, 255});
      TTransferParams p = Params(dest, source, rect, c.mode);
      AlphaTransfer(p);
      EXPECT_EQ(PixelAt(dest, 1, 1)[0], c.v) << int(c.mode) << " rect " << rect.Right;
    }
  }
}

TEST(AlphaTransfer, PartialAlphaDiffersBetweenThePaths) {
  const uint8_t d = 100, s = 200;
  TBitmap unscaled = Filled(2, 2, {d, d, d, 255});
  const TBitmap source = Filled(2, 2, {s, s, s, 128});
  TTransferParams p = Params(unscaled, source, {0, 0, 2, 2}, tmNormal);
  AlphaTransfer(p);
  EXPECT_EQ(PixelAt(unscaled, 0, 0), (Bgra{(d * 127 + s * 128) / 255, (d * 127 + s * 128) / 255,
                                           (d * 127 + s * 128) / 255, 255}));
  TBitmap scaled = Filled(4, 4, {d, d, d, 77});
  TTransferParams q = Params(scaled, source, {0, 0, 4, 4}, tmNormal);
  AlphaTransfer(q);
  EXPECT_EQ(PixelAt(scaled, 2, 2), (Bgra{(d * 127 + s * 128) >> 8, (d * 127 + s * 128) >> 8,
                                         (d * 127 + s * 128) >> 8, 77}));
}

TEST(AlphaTransfer, OpacityZeroAndAboveRange) {
  TBitmap dest = Filled(2, 2, {1, 1, 1, 1});
  const TBitmap source = Filled(2, 2, {9, 9, 9, 255});
  TTransferParams none = Params(dest, source, {0, 0, 2, 2}, tmNormal, 0);
  AlphaTransfer(none);
  EXPECT_EQ(PixelAt(dest, 0, 0), (Bgra{1, 1, 1, 1}));
  TTransferParams over = Params(dest, source, {0, 0, 2, 2}, tmNormal, 300);
  AlphaTransfer(over);
  EXPECT_EQ(over.Opacity, 255);
  EXPECT_EQ(PixelAt(dest, 0, 0), (Bgra{9, 9, 9, 255}));
}

TEST(AlphaTransfer, CopyIsBitExactWithAlphaAndClipNarrowsInPlace) {
  TBitmap source = Bitmap32(3, 2);
  for (int i = 0; i < 6; ++i) SetPixel(source, i % 3, i / 3, {uint8_t(i), uint8_t(10 + i), uint8_t(20 + i), uint8_t(i * 40)});
  TBitmap dest = Filled(4, 4, {255, 255, 255, 255});
  TTransferParams p{&dest, &source, {2, 1, 5, 3}, {-10, -10, 100, 100}, 255, tmCopy, 0};
  AlphaTransfer(p);
  EXPECT_EQ(p.ClipRect, (TRect{2, 1, 4, 3}));
  EXPECT_EQ(PixelAt(dest, 2, 1), PixelAt(source, 0, 0));
  EXPECT_EQ(PixelAt(dest, 3, 2), PixelAt(source, 1, 1));
  EXPECT_EQ(PixelAt(dest, 1, 1), (Bgra{255, 255, 255, 255}));
}

TEST(AlphaTransfer, MirrorReadsColumnsBackwards) {
  TBitmap source = Bitmap32(3, 1);
  for (int x = 0; x < 3; ++x) SetPixel(source, x, 0, {uint8_t(x), 0, 0, 255});
  TBitmap dest = Bitmap32(3, 1);
  TTransferParams p = Params(dest, source, {0, 0, 3, 1}, tmCopy);
  p.Mirror = 1;
  AlphaTransfer(p);
  EXPECT_EQ(PixelAt(dest, 0, 0)[0], 2);
  EXPECT_EQ(PixelAt(dest, 2, 0)[0], 0);
  // Scaled: the enlarged picture is mirrored too.
  TBitmap wide = Bitmap32(9, 1);
  TTransferParams q = Params(wide, source, {0, 0, 9, 1}, tmCopy);
  q.Mirror = 1;
  AlphaTransfer(q);
  // dx 0: fx = 128 * 2 div 9 = 28; c0 = column 2, c1 = column 1: (228 * 2 + 28 * 1) / 256 = 1.89.
  EXPECT_EQ(PixelAt(wide, 0, 0)[0], 1);
  EXPECT_EQ(PixelAt(wide, 8, 0)[0], 0);
}

TEST(AlphaTransfer, AlphaOver) {
  TBitmap dest = Filled(2, 2, {10, 20, 30, 0});
  TBitmap source = Filled(2, 2, {200, 150, 100, 100});
  SetPixel(source, 1, 1, {1, 2, 3, 0});
  TTransferParams p = Params(dest, source, {0, 0, 2, 2}, tmAlphaOver);
  AlphaTransfer(p);
  EXPECT_EQ(PixelAt(dest, 0, 0), (Bgra{200, 150, 100, 100}));
  EXPECT_EQ(PixelAt(dest, 1, 1), (Bgra{10, 20, 30, 0}));
  // Over an opaque pixel: e = 155, colour (d * 155 + s * 100) / 255.
  TBitmap opaque = Filled(2, 2, {0, 0, 0, 255});
  TTransferParams q = Params(opaque, source, {0, 0, 2, 2}, tmAlphaOver);
  AlphaTransfer(q);
  EXPECT_EQ(PixelAt(opaque, 0, 0), (Bgra{200 * 100 / 255, 150 * 100 / 255, 100 * 100 / 255, 255}));
}

TEST(AlphaTransfer, ReductionAveragesAndEnlargementInterpolates) {
  TBitmap stripes = Bitmap32(50, 1);
  for (int x = 0; x < 50; ++x) SetPixel(stripes, x, 0, {uint8_t(x % 2 ? 255 : 0), 0, 0, 255});
  TBitmap reduced = Bitmap32(24, 1);
  TTransferParams p = Params(reduced, stripes, {0, 0, 24, 1}, tmCopy);
  AlphaTransfer(p);
  for (int x = 0; x < 24; ++x) {
    EXPECT_GT(PixelAt(reduced, x, 0)[0], 60) << x;  // an average, never a single stripe
    EXPECT_LT(PixelAt(reduced, x, 0)[0], 195) << x;
  }
  TBitmap ramp = Bitmap32(10, 1);
  SetPixel(ramp, 1, 0, {255, 0, 0, 255});
  TBitmap enlarged = Bitmap32(24, 1);
  TTransferParams q = Params(enlarged, ramp, {0, 0, 24, 1}, tmCopy);
  AlphaTransfer(q);
  // dx 0: fx = 128 * 9 div 24 = 48, so column 1 weighs 48 / 256: 255 * 48 * 256 SHR 16 = 47.
  EXPECT_EQ(PixelAt(enlarged, 0, 0)[0], 47);
  TBitmap single = Bitmap32(1, 1);
  SetPixel(single, 0, 0, {7, 8, 9, 255});
  TBitmap spread = Bitmap32(24, 3);
  TTransferParams r = Params(spread, single, {0, 0, 24, 3}, tmCopy);
  AlphaTransfer(r);
  for (int x = 0; x < 24; ++x) EXPECT_EQ(PixelAt(spread, x, 2), (Bgra{7, 8, 9, 255})) << x;
}

TEST(AlphaTransfer, FootprintsWithoutWeightAreSkipped) {
  const TBitmap source = Filled(2, 1, {50, 50, 50, 255});
  TBitmap dest = Filled(1, 600, {1, 1, 1, 1});
  TTransferParams p = Params(dest, source, {0, 0, 1, 600}, tmCopy);
  AlphaTransfer(p);
  int untouched = 0;
  for (int y = 0; y < 600; ++y) untouched += PixelAt(dest, 0, y)[0] == 1;
  EXPECT_GT(untouched, 0);
  EXPECT_LT(untouched, 600);
}

TEST(AlphaTransfer, EmptySourceOrClipDrawsNothing) {
  TBitmap dest = Filled(4, 4, {1, 1, 1, 1});
  const TBitmap empty;
  TTransferParams p = Params(dest, empty, {0, 0, 4, 4}, tmCopy);
  AlphaTransfer(p);
  const TBitmap source = Filled(2, 2, {9, 9, 9, 255});
  TTransferParams outside = Params(dest, source, {10, 10, 12, 12}, tmCopy);
  AlphaTransfer(outside);
  EXPECT_EQ(GetAlphaSum(dest), 16);
}

TEST(DrawBitmapAt, NegativeOffsetsCropTheSource) {
  TBitmap source = Bitmap32(10, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) SetPixel(source, x, y, {uint8_t(x), uint8_t(y), 0, 255});
  TBitmap dest = Bitmap32(7, 8);
  DrawBitmapAt(-3, -2, dest, tmCopy, source);
  EXPECT_EQ(PixelAt(dest, 0, 0), (Bgra{3, 2, 0, 255}));
  EXPECT_EQ(PixelAt(dest, 6, 7), (Bgra{9, 9, 0, 255}));
  TBitmap beyond = Bitmap32(4, 4);
  DrawBitmapAt(2, 3, beyond, tmCopy, source);
  EXPECT_EQ(PixelAt(beyond, 3, 3), (Bgra{1, 0, 0, 255}));
  EXPECT_EQ(PixelAt(beyond, 1, 3)[3], 0);
  DrawBitmapAt(5, 5, beyond, tmCopy, source);  // wholly outside
  DrawBitmapAt(-20, 0, beyond, tmCopy, source);
}

TEST(DrawBitmapAt, PremultipliedCopy) {
  // Pairs of clear, of opaque and of mixed pixels, then an odd one at the end.
  const uint8_t alphas[] = {0, 0, 255, 255, 128, 0, 0, 128, 255};
  TBitmap source = Bitmap32(9, 1);
  for (int x = 0; x < 9; ++x) SetPixel(source, x, 0, {200, 100, 50, alphas[x]});
  TBitmap dest = Filled(9, 1, {9, 9, 9, 9});
  DrawBitmapAt(0, 0, dest, tmPremultiplied, source);
  for (int x = 0; x < 9; ++x) {
    const int a = alphas[x];
    EXPECT_EQ(PixelAt(dest, x, 0), (Bgra{uint8_t(200 * a / 255), uint8_t(100 * a / 255), uint8_t(50 * a / 255), uint8_t(a)})) << x;
  }
  EXPECT_EQ(PixelAt(dest, 4, 0), (Bgra{100, 50, 25, 128}));
}

// A premultiplied copy over the one before tells which pixels changed: inside a
// group of four, in the odd column at the end, in none.
TEST(DrawBitmapAt, PremultipliedCopyReturnsWhatChanged) {
  TBitmap before = Bitmap32(9, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) SetPixel(before, x, y, {uint8_t(20 * x), uint8_t(30 * y), 7, uint8_t(x == 2 ? 128 : 255)});
  struct Case {
    std::vector<TPoint> touched;
    TRect clip;
    TRect changed;
  };
  const Case cases[] = {
      {{}, {0, 0, 9, 4}, {}},
      {{{5, 1}}, {0, 0, 9, 4}, {5, 1, 6, 2}},
      {{{2, 0}, {8, 3}}, {0, 0, 9, 4}, {2, 0, 9, 4}},
      {{{1, 2}, {6, 2}}, {0, 0, 9, 4}, {1, 2, 7, 3}},
      {{{1, 2}, {6, 2}}, {3, 0, 9, 4}, {6, 2, 7, 3}},  // a change outside the clip is not copied
  };
  for (const Case& c : cases) {
    TBitmap shown = Bitmap32(9, 4);
    DrawBitmapAt(0, 0, shown, tmPremultiplied, before);
    TBitmap now = before;
    for (const TPoint p : c.touched) now.ScanLine(p.y)[4 * p.x] ^= 0x40;
    EXPECT_EQ(DrawBitmapAt(0, 0, shown, tmPremultiplied, now, c.clip), c.changed) << c.touched.size();
  }
}

TEST(DrawBitmapAt, PremultipliesEveryByteWithEveryAlpha) {
  TBitmap source = Bitmap32(256, 256);  // column: colour byte, row: alpha
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c) SetPixel(source, c, a, {uint8_t(c), uint8_t(255 - c), uint8_t(c / 2), uint8_t(a)});
  TBitmap dest = Bitmap32(256, 256);
  DrawBitmapAt(0, 0, dest, tmPremultiplied, source);
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c)
      ASSERT_EQ(PixelAt(dest, c, a), (Bgra{uint8_t(c * a / 255), uint8_t((255 - c) * a / 255), uint8_t(c / 2 * a / 255), uint8_t(a)}))
          << c << "," << a;
}
