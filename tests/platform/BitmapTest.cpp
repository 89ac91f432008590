#include <gtest/gtest.h>

#include "platform/graphics/Bitmap.h"
#include "platform/Exception.h"

namespace {
TBitmap Make(TPixelFormat format, int32_t w, int32_t h) {
  TBitmap b;
  b.SetPixelFormat(format);
  b.SetSize(w, h);
  return b;
}
}  // namespace

TEST(Bitmap, NewPixelsAreZeroAndRowsPaddedToFourBytes) {
  TBitmap b = Make(TPixelFormat::pf24bit, 3, 2);
  EXPECT_EQ(b.ScanLine(1) - b.ScanLine(0), 12);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(b.ScanLine(0)[i], 0);
  TBitmap c = Make(TPixelFormat::pf32bit, 3, 2);
  EXPECT_EQ(c.ScanLine(1) - c.ScanLine(0), 12);
}

TEST(Bitmap, ResizeKeepsCommonArea) {
  TBitmap b = Make(TPixelFormat::pf32bit, 2, 2);
  b.ScanLine(1)[4] = 7;  // pixel (1, 1), blue
  b.SetSize(4, 3);
  EXPECT_EQ(b.ScanLine(1)[4], 7);
  EXPECT_EQ(b.ScanLine(2)[12], 0);
  b.SetSize(1, 1);
  EXPECT_EQ(b.Width(), 1);
  EXPECT_EQ(b.Height(), 1);
}

TEST(Bitmap, FormatChangeKeepsColourAnd24To32IsTransparent) {
  TBitmap b = Make(TPixelFormat::pf24bit, 2, 1);
  uint8_t* p = b.ScanLine(0);
  p[3] = 10, p[4] = 20, p[5] = 30;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  p = b.ScanLine(0);
  EXPECT_EQ(p[4], 10);
  EXPECT_EQ(p[5], 20);
  EXPECT_EQ(p[6], 30);
  EXPECT_EQ(p[7], 0);
  p[7] = 99;
  b.SetPixelFormat(TPixelFormat::pf24bit);
  EXPECT_EQ(b.ScanLine(0)[3], 10);
  EXPECT_EQ(b.ScanLine(0)[5], 30);
}

TEST(Bitmap, RefusesNegativeOrHugeSizes) {
  TBitmap b;
  EXPECT_THROW(b.SetSize(-1, 5), Exception);
  EXPECT_THROW(b.SetSize(1 << 20, 1 << 20), Exception);
  EXPECT_EQ(b.Width(), 0);
  EXPECT_NO_THROW(b.SetSize(0, 100));
  EXPECT_TRUE(b.Empty());
}
