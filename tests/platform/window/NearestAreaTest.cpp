#include <gtest/gtest.h>

#include "platform/window/WindowSystem.h"

namespace {
// Two outputs side by side and one below the first.
const std::vector<TRect> kAreas{TRect{0, 0, 1280, 800}, TRect{1280, 0, 2560, 800}, TRect{0, 800, 1280, 1600}};

TEST(NearestArea, TheAreaHoldingMostOfTheRectElseTheNearest) {
  struct Case {
    TRect bounds;
    size_t area;
  } const cases[] = {
      {TRect{480, 0, 640, 160}, 0},      // inside the first
      {TRect{1760, 0, 1920, 160}, 1},    // inside the second
      {TRect{1200, 0, 1360, 160}, 0},    // across the edge, half and half: the first of equals
      {TRect{1210, 0, 1370, 160}, 1},    // across the edge, mostly on the second
      {TRect{100, 760, 260, 920}, 2},    // mostly below
      {TRect{3000, 100, 3160, 260}, 1},  // off every area: the nearest
      {TRect{-500, 1700, -340, 1860}, 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NearestArea(kAreas, c.bounds), c.area) << c.bounds.Left << "," << c.bounds.Top;
  }
  EXPECT_EQ(NearestArea({}, TRect{0, 0, 10, 10}), 0u);
}
}  // namespace
