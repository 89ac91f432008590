#include <gtest/gtest.h>

#include <cstring>

#include "platform/graphics/BitmapScale.h"
#include "platform/system/DesktopScale.h"

namespace {
constexpr TPoint k4K{3840, 2160};
constexpr int32_t kUnits = 160;

struct ScaleCase {
  const char* what;
  TScaleRequest request;
  TPoint screen;
  int32_t scale;
  bool notice;
};

TEST(DesktopScale, StrongestSourceWinsAndAlwaysFits) {
  const ScaleCase cases[] = {
      {"nothing asked", {}, k4K, 1, false},
      {"Xft.dpi 96", {.XftDpi = "96"}, k4K, 1, false},
      {"Xft.dpi 143 is not yet doubled", {.XftDpi = "143"}, k4K, 1, false},
      {"Xft.dpi 144 rounds up to 192", {.XftDpi = "144"}, k4K, 2, false},
      {"Xft.dpi 192", {.XftDpi = "192"}, k4K, 2, false},
      {"Xft.dpi 239", {.XftDpi = "239"}, k4K, 2, false},
      {"Xft.dpi 288", {.XftDpi = "288"}, k4K, 3, false},
      {"QT_SCALE_FACTOR over Xft.dpi", {.QtScaleFactor = "3", .XftDpi = "192"}, k4K, 3, false},
      {"QT_SCALE_FACTOR 1.5 rounds", {.QtScaleFactor = "1.5"}, k4K, 2, false},
      {"GDK_SCALE over QT_SCALE_FACTOR", {.GdkScale = "1", .QtScaleFactor = "2"}, k4K, 1, false},
      {"setting over the environment", {.Setting = "2", .GdkScale = "3"}, k4K, 2, false},
      {"option over everything", {.Option = "1", .Setting = "2", .XftDpi = "192"}, k4K, 1, false},
      {"scale 0", {.Option = "0"}, k4K, 1, true},
      {"negative Xft.dpi", {.XftDpi = "-192"}, k4K, 1, true},
      {"not a number", {.GdkScale = "two"}, k4K, 1, true},
      {"trailing junk", {.Setting = "2x"}, k4K, 1, true},
      {"infinite", {.QtScaleFactor = "inf"}, k4K, 1, true},
      {"absurd Xft.dpi fits the screen", {.XftDpi = "1e9"}, k4K, 13, true},
      {"larger than the screen", {.Option = "8"}, {1280, 800}, 5, true},
      {"a screen smaller than the chime", {.Option = "2"}, {100, 100}, 1, true},
  };
  for (const ScaleCase& c : cases) {
    const TScaleChoice choice = ChooseScale(c.request, c.screen, kUnits);
    EXPECT_EQ(choice.Scale, c.scale) << c.what;
    EXPECT_EQ(!choice.Notice.empty(), c.notice) << c.what << ": " << choice.Notice;
  }
}

TEST(DesktopScale, XftDpiIsReadFromTheResourceDatabase) {
  const std::string database = "Xcursor.size:\t48\nXft.dpinot:\t1\nXft.dpi:\t96\n*background: grey\nXft.dpi:  192 \n";
  EXPECT_EQ(XResourceValue(database, "Xft.dpi"), "192");
  EXPECT_EQ(XResourceValue(database, "Xcursor.size"), "48");
  EXPECT_EQ(XResourceValue(database, "Xft.antialias"), std::nullopt);
  EXPECT_EQ(XResourceValue("", "Xft.dpi"), std::nullopt);
}

TEST(DesktopScale, UnitsToPixelsAndBackRoundInwards) {
  const TScale two{2};
  EXPECT_EQ(two.ToPixels(TPoint{-70, 5}), (TPoint{-140, 10}));
  EXPECT_EQ(two.ToPixels(TRect{-70, 0, 90, 160}), (TRect{-140, 0, 180, 320}));
  EXPECT_EQ(two.ToUnits(TPoint{-141, 11}), (TPoint{-71, 5}));
  // A work area of odd pixels: the units wholly inside it.
  EXPECT_EQ(two.ToUnits(TRect{-3, 27, 3841, 2159}), (TRect{-1, 14, 1920, 1079}));
  EXPECT_EQ(TScale{}.ToUnits(TRect{-3, 27, 3841, 2159}), (TRect{-3, 27, 3841, 2159}));
}

TBitmap Pattern(int32_t w, int32_t h) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w * 4; ++x) b.ScanLine(y)[x] = static_cast<uint8_t>(y * 31 + x * 7 + 1);
  return b;
}

void ExpectBlocks(const TBitmap& source, const TBitmap& target, int32_t k) {
  ASSERT_EQ(target.Width(), source.Width() * k);
  ASSERT_EQ(target.Height(), source.Height() * k);
  for (int32_t y = 0; y < target.Height(); ++y)
    for (int32_t x = 0; x < target.Width(); ++x)
      ASSERT_EQ(0, std::memcmp(target.ScanLine(y) + x * 4, source.ScanLine(y / k) + (x / k) * 4, 4)) << x << "," << y;
}

TEST(BitmapScale, EachPixelBecomesABlockAndOnlyTheChangedPartIsRedone) {
  TBitmap source = Pattern(5, 3), target;
  for (int32_t k : {1, 2, 3}) {
    const TRect written = ScaleUp32(source, k, target, {2, 1, 3, 2});  // a new size redoes everything
    EXPECT_EQ(written.Right, 5 * k);
    ExpectBlocks(source, target, k);
  }
  source.ScanLine(1)[8] ^= 0xFF;  // pixel (2, 1)
  source.ScanLine(2)[0] ^= 0xFF;  // pixel (0, 2), outside the change given
  const TRect written = ScaleUp32(source, 3, target, {2, 1, 3, 2});
  EXPECT_EQ(written.Left, 6);
  EXPECT_EQ(written.Top, 3);
  EXPECT_EQ(written.Right, 9);
  EXPECT_EQ(written.Bottom, 6);
  EXPECT_EQ(target.ScanLine(4)[7 * 4], source.ScanLine(1)[8]);
  EXPECT_NE(target.ScanLine(8)[0], source.ScanLine(2)[0]);
}
}  // namespace
