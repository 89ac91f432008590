#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <set>

#include "ChimoraProbe.h"
#include "platform/system/Random.h"

TEST(ChimoraModel, ConstructionState) {
  TChimora chime;
  ChimoraProbe probe(chime);
  EXPECT_EQ(chime.Width(), 160);
  EXPECT_EQ(chime.Height(), 160);
  EXPECT_EQ(chime.PixelFormat(), TPixelFormat::pf32bit);
  // The glass bell's default front face gives the paper its size.
  EXPECT_EQ(probe.Paper().Width(), 25);
  EXPECT_EQ(probe.Paper().Height(), 100);
  EXPECT_EQ(probe.TextFace().Width(), 24);
  EXPECT_EQ(probe.TextFace().Height(), 92);
  for (TBitmap* picture : {&probe.Paper(), &probe.TextFace(), &probe.Bell()}) {
    EXPECT_EQ(picture->PixelFormat(), TPixelFormat::pf32bit);
  }
  EXPECT_EQ(probe.Bell().Width(), 32);
  EXPECT_EQ(probe.TwistDir(), -1);
  EXPECT_EQ(probe.HookX(), 0);
  EXPECT_EQ(chime.BellType(), 1);
  EXPECT_FALSE(chime.Sound());
  EXPECT_TRUE(chime.PaperFile().empty());
  chime.SetWind(-12);
  EXPECT_EQ(chime.Wind(), -12);
  EXPECT_EQ(probe.HookX(), 80);
}

TEST(ChimoraModel, PulseIsHalfASineAndStartsSilently) {
  TChimora chime;
  ChimoraProbe probe(chime);
  probe.Quieten();
  probe.Gusts()[0] = {0, 5, 10};
  for (int k = 1; k <= 10; ++k) {
    EXPECT_NEAR(probe.StepGusts(), 5 * std::sin(std::numbers::pi * k / 10), 1e-12) << k;
  }
  // At rest now: the next step draws instead; from state 0 the first draw of
  // Random(100) is 0, so a pulse starts and adds nothing yet.
  SetRandSeed(0);
  chime.SetWind(8);
  EXPECT_EQ(probe.StepGusts(), 0);
  const Gust g = probe.Gusts()[0];
  EXPECT_EQ(g.Elapsed, 0);
  EXPECT_EQ(g.Duration % 10, 0);
  EXPECT_GE(g.Duration, 10);
  EXPECT_LE(g.Duration, 100);
  EXPECT_GE(g.Amplitude, 0);
  EXPECT_LE(g.Amplitude, 7);
  EXPECT_EQ(DrawsBetween(0, RandSeed()), 3);
}

TEST(ChimoraModel, AmplitudesFollowTheWind) {
  struct Case {
    double wind;
    int lo, hi;
  } cases[] = {{8, 0, 7}, {-8, -7, 0}, {12, 0, 11}, {0.9, 0, 0}, {-0.9, 0, 0}};
  for (const Case& c : cases) {
    TChimora chime;
    ChimoraProbe probe(chime);
    chime.SetWind(c.wind);
    SetRandSeed(99);
    std::set<int> seen;
    for (int i = 0; i < 20000; ++i) {
      for (Gust& g : probe.Gusts()) g.Duration = 0;  // all at rest: every component draws
      probe.StepGusts();
      for (const Gust& g : probe.Gusts()) {
        if (g.Duration > 0) seen.insert(g.Amplitude);
      }
    }
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(*seen.begin(), c.lo) << c.wind;
    EXPECT_EQ(*seen.rbegin(), c.hi) << c.wind;
  }
}

TEST(ChimoraModel, LightWindNeverTurnsTheStrip) {
  TChimora chime;
  ChimoraProbe probe(chime);
  chime.SetWind(0.99);
  for (int i = 0; i < 3000; ++i) {
    const uint32_t before = RandSeed();
    chime.Tick();
    ASSERT_EQ(probe.Force(), 0);
    ASSERT_EQ(probe.Twist(), 0);
    ASSERT_GE(DrawsBetween(before, RandSeed()), 1);  // the draws still happen
  }
}

TEST(ChimoraModel, TickTurnsTheStripAndDrawsInOrder) {
  struct Case {
    int32_t force;
    int draws;       // Random(40) only from |F| >= 4, Random(500) always
    double twist;    // from rest, direction -1
  } cases[] = {{3, 1, -4.5}, {-3, 1, 4.5}, {4, 2, -2}, {-4, 2, 2}, {7, 2, -3.5}, {0, 1, 0}};
  for (const Case& c : cases) {
    TChimora chime;
    ChimoraProbe probe(chime);
    chime.SetWind(8);
    probe.NextForce(c.force);
    SetRandSeed(5);  // Random(40) and Random(500) are not 0 from here
    chime.Tick();
    EXPECT_EQ(probe.Force(), c.force);
    EXPECT_EQ(DrawsBetween(5, RandSeed()), c.draws) << c.force;
    EXPECT_DOUBLE_EQ(probe.Twist(), c.twist) << c.force;
    EXPECT_DOUBLE_EQ(probe.TwistLag(), 0);
    EXPECT_EQ(probe.TwistDir(), -1);
  }
}

TEST(ChimoraModel, TwistSpringAndLag) {
  TChimora chime;
  ChimoraProbe probe(chime);
  chime.SetWind(8);
  probe.Quieten();
  probe.Twist() = 10;
  probe.TwistVel() = 2;
  SetRandSeed(5);
  chime.Tick();
  // vel = 0.4 * 2 - 0.05 * 10 = 0.3; twist 10.3; lag 0 + 10.3 / 4.
  EXPECT_DOUBLE_EQ(probe.TwistVel(), 0.3);
  EXPECT_DOUBLE_EQ(probe.Twist(), 10.3);
  EXPECT_DOUBLE_EQ(probe.TwistLag(), 10.3 / 4);
}

TEST(ChimoraModel, StrongWindReversesTheTurningSometimes) {
  TChimora chime;
  ChimoraProbe probe(chime);
  chime.SetWind(8);
  std::set<int32_t> directions;
  for (uint32_t seed = 0; seed < 400 && directions.size() < 2; ++seed) {
    probe.NextForce(6);
    SetRandSeed(seed);
    chime.Tick();
    directions.insert(probe.TwistDir());
  }
  EXPECT_EQ(directions, (std::set<int32_t>{-1, 1}));
}

TEST(ChimoraModel, WindReversesAboutOnceInFiveHundredTicks) {
  TChimora chime;
  chime.SetWind(8);
  SetRandSeed(1);
  int reversals = 0;
  double wind = 8;
  for (int i = 0; i < 20000; ++i) {
    chime.Tick();
    if (chime.Wind() != wind) {
      ++reversals;
      wind = chime.Wind();
      ASSERT_EQ(std::fabs(wind), 8);
    }
  }
  EXPECT_GT(reversals, 20);
  EXPECT_LT(reversals, 65);
}

TEST(ChimoraModel, AbsurdWindsNeitherHangNorOverflow) {
  const double winds[] = {2147483647.0, -2147483648.0, 1e300, -1e300,
                          std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
  for (double wind : winds) {
    TChimora chime;
    chime.SetWind(wind);
    chime.SetSound(true);
    SetRandSeed(3);
    for (int i = 0; i < 2000; ++i) chime.Tick();
    ChimoraProbe probe(chime);
    // The hook mark is drawn whatever the wind did.
    EXPECT_EQ(chime.ScanLine(0)[4 * 80 + 3], 255) << wind;
    EXPECT_TRUE(std::isfinite(probe.Twist())) << wind;
  }
}
