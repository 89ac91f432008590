#pragma once
// The window system's small value types.
#include <cstdint>

// 0xAABBGGRR: the window system's colour reference with alpha on top.
using Color32 = uint32_t;

// Right and Bottom are exclusive.
struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  bool operator==(const TRect&) const = default;
};

struct TPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const TPoint&) const = default;
};
