#pragma once
// The work area of a monitor where the window manager publishes none (tiling
// managers such as i3): the monitor less the space docks reserve at the screen's
// edges. Pure, so any desktop's panels can be tried in a table.
#include <cstdint>
#include <vector>

#include "platform/Types.h"

// A dock's reserved space, as _NET_WM_STRUT_PARTIAL gives it: a depth from each
// edge of the whole screen and the span of that edge it covers (inclusive).
struct TStrut {
  int32_t Left = 0, Right = 0, Top = 0, Bottom = 0;
  int32_t LeftStartY = 0, LeftEndY = 0, RightStartY = 0, RightEndY = 0;
  int32_t TopStartX = 0, TopEndX = 0, BottomStartX = 0, BottomEndX = 0;
};

// _NET_WM_STRUT's four depths: each covers its whole edge of a screen of this size.
TStrut WholeEdgeStrut(int32_t left, int32_t right, int32_t top, int32_t bottom, TPoint screen);

// The monitor less every band that reaches into it, each taken off its own side;
// the whole monitor when the bands would leave nothing.
TRect WorkAreaFromStruts(const TRect& monitor, TPoint screen, const std::vector<TStrut>& struts);
