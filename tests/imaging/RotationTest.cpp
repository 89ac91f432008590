#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "imaging/Rotation.h"

TEST(NormalizeDegrees, BringsAnglesIntoOneTurn) {
  struct Case {
    double in, out;
  } cases[] = {{0, 0},       {-0.0, 0},   {359.5, 359.5}, {360, 0},      {-30, 330},
               {725, 5},     {-725, 355}, {1e12, std::fmod(1e12, 360.0)}, {-1e15, 360 + std::fmod(-1e15, 360.0)}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(NormalizeDegrees(c.in), c.out) << c.in;
}

TEST(NormalizeDegrees, NonFiniteGivesZero) {
  EXPECT_EQ(NormalizeDegrees(std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(NormalizeDegrees(-std::numeric_limits<double>::infinity()), 0);
  EXPECT_EQ(NormalizeDegrees(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(NormalizeDegrees, TinyNegativeStaysBelowATurn) {
  const double r = NormalizeDegrees(-1e-20);
  EXPECT_GE(r, 0);
  EXPECT_LT(r, 360);
}

TEST(RotatePoint, PositiveAngleSwingsAPointBelowToTheRight) {
  const TPoint c{1000, 1000};
  const TPoint below{1000, 1256};
  EXPECT_EQ(RotatePoint(c, below, 0), below);
  EXPECT_EQ(RotatePoint(c, below, 90), (TPoint{1256, 1000}));
  EXPECT_EQ(RotatePoint(c, below, -90), (TPoint{744, 1000}));
  const TPoint half = RotatePoint(c, below, 180);
  EXPECT_EQ(half.x, 1000);
  EXPECT_NEAR(half.y, 744, 1);
  // Truncated toward zero: 256 * cos(30 deg) = 221.7 gives 221.
  EXPECT_EQ(RotatePoint({0, 0}, {0, 256}, 30), (TPoint{128, 221}));
}

TEST(RotatePoint, HugeAnglesStayFinite) {
  const TPoint r = RotatePoint({0, 0}, {0, 5120}, 1e300);
  EXPECT_LE(std::abs(r.x), 5120);
  EXPECT_LE(std::abs(r.y), 5120);
}
