// The work area where the window manager publishes none: the monitor less the
// docks' struts, on one and on two monitors.
#include <gtest/gtest.h>

#include "platform/qt/WorkArea.h"

namespace {

constexpr TPoint kOne{1280, 800};
constexpr TPoint kTwo{2560, 800};  // two monitors side by side
const TRect kLeftMonitor{0, 0, 1280, 800};
const TRect kRightMonitor{1280, 0, 2560, 800};

TStrut Top(int32_t depth, int32_t startX, int32_t endX) {
  TStrut s;
  s.Top = depth;
  s.TopStartX = startX;
  s.TopEndX = endX;
  return s;
}

struct Case {
  const char* name;
  TRect monitor;
  TPoint screen;
  std::vector<TStrut> struts;
  TRect expected;
};

TEST(WorkArea, MonitorLessTheDocksStruts) {
  TStrut bottomAndLeft;
  bottomAndLeft.Bottom = 40;
  bottomAndLeft.BottomStartX = 0;
  bottomAndLeft.BottomEndX = 1279;
  bottomAndLeft.Left = 48;
  bottomAndLeft.LeftStartY = 0;
  bottomAndLeft.LeftEndY = 799;
  const Case cases[] = {
      {"no docks", kLeftMonitor, kOne, {}, kLeftMonitor},
      {"a bar across the top", kLeftMonitor, kOne, {Top(20, 0, 1279)}, TRect{0, 20, 1280, 800}},
      {"the taller of two top bars", kLeftMonitor, kOne, {Top(20, 0, 1279), Top(32, 0, 600)}, TRect{0, 32, 1280, 800}},
      {"a bottom bar and a left dock", kLeftMonitor, kOne, {bottomAndLeft}, TRect{48, 0, 1280, 760}},
      {"a whole-edge strut on the right", kLeftMonitor, kOne, {WholeEdgeStrut(0, 64, 0, 0, kOne)}, TRect{0, 0, 1216, 800}},
      {"a bar on the other monitor", kRightMonitor, kTwo, {Top(20, 0, 1279)}, kRightMonitor},
      {"a bar on this monitor", kRightMonitor, kTwo, {Top(24, 1280, 2559)}, TRect{1280, 24, 2560, 800}},
      {"a right strut on the screen's right monitor", kRightMonitor, kTwo, {WholeEdgeStrut(0, 30, 0, 0, kTwo)}, TRect{1280, 0, 2530, 800}},
      {"a right strut leaves the left monitor", kLeftMonitor, kTwo, {WholeEdgeStrut(0, 30, 0, 0, kTwo)}, kLeftMonitor},
      {"a strut that would leave nothing", kLeftMonitor, kOne, {Top(900, 0, 1279)}, kLeftMonitor},
  };
  for (const Case& c : cases) EXPECT_EQ(WorkAreaFromStruts(c.monitor, c.screen, c.struts), c.expected) << c.name;
}

}  // namespace
