#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "PixelHelpers.h"
#include "imaging/QuadImage.h"

namespace {
constexpr int32_t P = 256;  // one pixel in 8.8 units
constexpr Bgra kRed{0, 0, 255, 255};
constexpr Bgra kBlue{255, 0, 0, 255};

// Left half red, right half blue.
TBitmap HalfAndHalf() {
  TBitmap b = Bitmap32(4, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) SetPixel(b, x, y, x < 2 ? kRed : kBlue);
  return b;
}

TBitmap Draw(const TBitmap& source, QuadCorners corners, uint8_t mode = QuadModeCopy) {
  TBitmap target = Bitmap32(10, 10);
  DrawQuadImage(target, source, corners, mode, {0, 0, source.Width(), source.Height()});
  return target;
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (PixelAt(a, x, y) != PixelAt(b, x, y)) return false;
  return true;
}

const QuadCorners kUpright{TPoint{2 * P, 2 * P}, {6 * P, 2 * P}, {2 * P, 6 * P}, {6 * P, 6 * P}};
const QuadCorners kMirrored{TPoint{6 * P, 2 * P}, {2 * P, 2 * P}, {6 * P, 6 * P}, {2 * P, 6 * P}};
}  // namespace

TEST(DrawQuadImage, UprightCopyFadesToTwoFiveThreeInside) {
  TBitmap white = Bitmap32(4, 4);
  FillWith(white, {255, 255, 255, 255});
  const TBitmap t = Draw(white, kUpright);
  // Four source columns spread over the bounds; the last target column maps past the source.
  for (int x = 2; x <= 4; ++x) EXPECT_EQ(PixelAt(t, x, 3), (Bgra{255, 255, 255, 253})) << x;
  EXPECT_EQ(PixelAt(t, 5, 3)[3], 0);
  EXPECT_EQ(PixelAt(t, 3, 5)[3], 0);
  EXPECT_EQ(PixelAt(t, 1, 3)[3], 0);
}

TEST(DrawQuadImage, MirroredQuadDrawsTheSourceMirrored) {
  const TBitmap source = HalfAndHalf();
  const TBitmap upright = Draw(source, kUpright);
  const TBitmap mirrored = Draw(source, kMirrored);
  EXPECT_EQ(PixelAt(upright, 2, 2), (Bgra{0, 0, 255, 253}));
  EXPECT_EQ(PixelAt(upright, 5, 2)[3], 0);
  EXPECT_EQ(PixelAt(mirrored, 5, 2), (Bgra{0, 0, 255, 253}));
  EXPECT_EQ(PixelAt(mirrored, 3, 2)[0], 255);  // blue side now on the left
  EXPECT_EQ(PixelAt(mirrored, 2, 2)[3], 0);
}

TEST(DrawQuadImage, CrossedQuadsAreRepaired) {
  const TBitmap source = HalfAndHalf();
  // Top edge alone reversed: becomes the upright quad.
  const QuadCorners topFlipped{TPoint{6 * P, 2 * P}, {2 * P, 2 * P}, {2 * P, 6 * P}, {6 * P, 6 * P}};
  EXPECT_TRUE(SamePixels(Draw(source, topFlipped), Draw(source, kUpright)));
  // Bottom edge alone reversed: becomes the wholly mirrored quad.
  const QuadCorners bottomFlipped{TPoint{2 * P, 2 * P}, {6 * P, 2 * P}, {6 * P, 6 * P}, {2 * P, 6 * P}};
  EXPECT_TRUE(SamePixels(Draw(source, bottomFlipped), Draw(source, kMirrored)));
  EXPECT_FALSE(SamePixels(Draw(source, kUpright), Draw(source, kMirrored)));
}

TEST(DrawQuadImage, CopySkipsTransparentSamples) {
  TBitmap source = Bitmap32(4, 4);
  FillWith(source, {10, 20, 30, 255});
  SetPixel(source, 0, 0, {0, 0, 0, 0});
  TBitmap target = Bitmap32(10, 10);
  FillWith(target, {1, 2, 3, 4});
  DrawQuadImage(target, source, kUpright, QuadModeCopy, {0, 0, 4, 4});
  EXPECT_EQ(PixelAt(target, 2, 2), (Bgra{1, 2, 3, 4}));  // the hole samples only (0, 0)
  EXPECT_EQ(PixelAt(target, 3, 3), (Bgra{10, 20, 30, 253}));
}

TEST(DrawQuadImage, OverModeBlendsByAlpha) {
  TBitmap glass = Bitmap32(4, 4);
  FillWith(glass, {255, 255, 255, 128});
  TBitmap target = Bitmap32(10, 10);
  SetPixel(target, 2, 2, {0, 0, 0, 255});
  DrawQuadImage(target, glass, kUpright, QuadModeOver, {0, 0, 4, 4});
  // Sample alpha 128 * 65025 / 65536 = 127; over opaque black: da2 = 128.
  EXPECT_EQ(PixelAt(target, 2, 2), (Bgra{127, 127, 127, 255}));
  // Over nothing: the sample itself.
  EXPECT_EQ(PixelAt(target, 3, 3), (Bgra{255, 255, 255, 127}));
}

TEST(DrawQuadImage, DegenerateOrOutsideQuadsDrawNothing) {
  TBitmap white = Bitmap32(4, 4);
  FillWith(white, {255, 255, 255, 255});
  const QuadCorners cases[] = {
      {TPoint{2 * P, 2 * P}, {3 * P + 255, 2 * P}, {2 * P, 6 * P}, {3 * P + 255, 6 * P}},  // under 2 px wide
      {TPoint{20 * P, 2 * P}, {26 * P, 2 * P}, {20 * P, 6 * P}, {26 * P, 6 * P}},          // right of the target
      {TPoint{-9 * P, -9 * P}, {-3 * P, -9 * P}, {-9 * P, -3 * P}, {-3 * P, -3 * P}},      // above-left
  };
  for (const QuadCorners& c : cases) {
    const TBitmap t = Draw(white, c);
    EXPECT_EQ(GetAlphaSum(t), 0);
  }
  EXPECT_EQ(GetAlphaSum(Draw(TBitmap(), kUpright)), 0);  // an empty picture
}

TEST(DrawQuadImage, QuadsReachingPastTheEdgesStayInside) {
  TBitmap white = Bitmap32(8, 8);
  FillWith(white, {255, 255, 255, 255});
  const TBitmap t = Draw(white, {TPoint{-40 * P, -3 * P}, {50 * P, -7 * P}, {-30 * P, 40 * P}, {45 * P, 33 * P}});
  EXPECT_GT(GetAlphaSum(t), 0);
}

TEST(DrawQuadImage, TargetBecomes32Bit) {
  TBitmap target;
  target.SetSize(10, 10);
  DrawQuadImage(target, HalfAndHalf(), kUpright, QuadModeCopy, {0, 0, 4, 4});
  EXPECT_EQ(target.PixelFormat(), TPixelFormat::pf32bit);
  EXPECT_EQ(PixelAt(target, 2, 2), (Bgra{0, 0, 255, 253}));
}

TEST(QuadSampler, BilinearWeightsNegativePositionsTowardColumnZero) {
  TBitmap source = Bitmap32(4, 4);
  FillWith(source, {255, 255, 255, 255});
  const QuadSampler s(source, {0, 0, 4, 4});
  // -10: column 0 gets weight 245, column -1 (outside) 10.
  EXPECT_EQ(s.SampleBilinear({-10, 0}) >> 24, 255u * 245 * 255 / 65536);
  EXPECT_EQ(s.SampleBilinear({-10, 0}) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(s.SampleBilinear({5 * P, 0}), 0u);  // wholly outside
}

TEST(QuadSampler, BoxHalvesOpacityWhenTheFootprintLeavesTheSource) {
  TBitmap source = Bitmap32(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) SetPixel(source, x, y, {uint8_t(x * 10), 0, 0, 255});
  const QuadSampler s(source, {0, 0, 8, 8});
  // ddx 1024: two columns either side, 256 apart. Columns 2..6 average to 40.
  EXPECT_EQ(s.SampleBox({4 * P, 4 * P}, 1024, 0), 0xFF000028u);
  // From column 0 only 0, 1 and 2 lie inside: 3 of 5, opacity 765 / 10.
  EXPECT_EQ(s.SampleBox({0, 4 * P}, 1024, 0), (76u << 24) | 10u);
  EXPECT_EQ(s.SampleBox({-9 * P, 4 * P}, 1024, 0), 0u);
}

namespace {
// The interpolation between the bounds' corners as the mapper once computed it,
// with two divisions per pixel: the stepper must match it exactly.
SourcePos DividedPosition(const QuadGrid& g, int64_t i, int64_t j) {
  const int64_t nx = g.nx, ny = g.ny;
  const int64_t top = ((nx - j) * g.s00.x + j * g.s10.x) / nx;
  const int64_t bottom = ((nx - j) * g.s01.x + j * g.s11.x) / nx;
  const int64_t left = ((ny - i) * g.s00.y + i * g.s01.y) / ny;
  const int64_t right = ((ny - i) * g.s10.y + i * g.s11.y) / ny;
  return {(top * (ny - i) + i * bottom) / ny - g.subX, ((nx - j) * left + j * right) / nx - g.subY};
}

// Number of positions that differ from the divided ones.
template <typename T>
int64_t SteppedMismatches(const QuadGrid& g) {
  QuadRowStepper<T> stepper(g);
  std::vector<T> xs(stepper.Columns()), ys(stepper.Columns());
  int64_t mismatches = 0;
  for (int64_t i = -1; i <= g.ny; ++i) {
    stepper.Next(xs.data(), ys.data());
    for (int64_t j = -1; j <= g.nx; ++j) {
      const SourcePos want = DividedPosition(g, i, j);
      const auto c = static_cast<size_t>(j + 1);
      mismatches += (xs[c] != want.x || ys[c] != want.y);
    }
  }
  return mismatches;
}

// Both widths where the grid fits 32 bits.
int64_t SteppedMismatches(const QuadGrid& g) {
  return SteppedMismatches<int64_t>(g) + (QuadGridFits32(g) ? SteppedMismatches<int32_t>(g) : 0);
}
}  // namespace

TEST(QuadRowStepper, SteppedPositionsEqualDividedOnesOverASweep) {
  std::mt19937 random(20261207);
  auto between = [&random](int32_t lo, int32_t hi) { return std::uniform_int_distribution<int32_t>(lo, hi)(random); };
  int grids = 0;
  // Quads as the chime makes them and worse: tilted, mirrored, crossed, edge-on
  // (a corner pair sharing x or y), degenerate (coincident corners), partly outside.
  for (int n = 0; n < 2000; ++n) {
    QuadCorners c;
    for (TPoint& p : c) p = {between(-60 * P, 220 * P), between(-60 * P, 220 * P)};
    if (n % 4 == 1) c[2].x = c[0].x, c[3].x = c[1].x;  // upright sides
    if (n % 4 == 2) c[1] = c[0];
    if (n % 8 == 3) c = {TPoint{c[0].x, c[0].y}, {c[0].x + between(0, 400), c[0].y}, {c[0].x, c[3].y}, {c[0].x + between(0, 400), c[3].y}};
    QuadGrid g;
    if (!QuadGridOf(c, {0, 0, between(1, 200), between(1, 200)}, 160, 160, g)) continue;
    ++grids;
    ASSERT_EQ(SteppedMismatches(g), 0) << n;
  }
  EXPECT_GT(grids, 1000);
  // Corner positions far beyond any picture, of either sign, and the narrowest grids.
  for (int n = 0; n < 400; ++n) {
    QuadGrid g;
    g.nx = n % 7 == 0 ? 1 : between(1, 160);
    g.ny = n % 5 == 0 ? 1 : between(1, 160);
    g.subX = between(0, 255);
    g.subY = between(0, 255);
    const int32_t reach = n % 2 == 0 ? 1 << 12 : 1 << 28;
    for (SourcePos* s : {&g.s00, &g.s10, &g.s01, &g.s11}) *s = {between(-reach, reach), between(-reach, reach)};
    ASSERT_EQ(SteppedMismatches(g), 0) << n;
  }
  // Corners at the very reach of 32 bits, on the narrowest grids, whose steps run furthest past them.
  for (int n = 0; n < 64; ++n) {
    QuadGrid g;
    g.nx = 1 + n % 4;
    g.ny = 1 + n / 4 % 4;
    const int32_t reach = (1 << 22) - 1;
    for (SourcePos* s : {&g.s00, &g.s10, &g.s01, &g.s11}) *s = {random() % 2 ? reach : -reach, random() % 2 ? reach : -reach};
    ASSERT_TRUE(QuadGridFits32(g));
    ASSERT_EQ(SteppedMismatches(g), 0) << n;
  }
}

TEST(QuadSampler, BilinearInsideIsTheWeightedSumOverFullWeight) {
  // Random bytes, so that every channel and lane of the fast path is seen.
  std::mt19937 random(7);
  TBitmap source = Bitmap32(6, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) SetPixel(source, x, y, {uint8_t(random()), uint8_t(random()), uint8_t(random()), uint8_t(random())});
  const QuadSampler s(source, {0, 0, 6, 5});
  for (int n = 0; n < 2000; ++n) {
    const SourcePos at{int64_t(random() % (5 * P)), int64_t(random() % (4 * P))};
    const int64_t x = at.x / P, y = at.y / P, fx = at.x % P, fy = at.y % P;
    const int64_t w[4] = {(255 - fx) * (255 - fy), fx * (255 - fy), (255 - fx) * fy, fx * fy};
    const Bgra p[4] = {PixelAt(source, x, y), PixelAt(source, x + 1, y), PixelAt(source, x, y + 1), PixelAt(source, x + 1, y + 1)};
    uint32_t want = 0;
    for (int c = 0; c < 4; ++c) {
      const int64_t sum = w[0] * p[0][c] + w[1] * p[1][c] + w[2] * p[2][c] + w[3] * p[3][c];
      want |= uint32_t(c == 3 ? sum / 65536 : sum / 65025) << (8 * c);
    }
    ASSERT_EQ(s.SampleBilinear(at), want) << at.x << "," << at.y;
  }
}
