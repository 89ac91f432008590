#pragma once
// An anti-aliased line pen over a 32-bit bitmap, positions in whole pixels.
#include <cstdint>

#include "platform/graphics/Bitmap.h"
#include "platform/Types.h"

struct LinePen {
  TBitmap* Target = nullptr;
  int32_t X = 0;
  int32_t Y = 0;
  uint32_t Color = 0;  // 0x00BBGGRR
  int32_t Alpha = 255;
  double Width = 1.0;
  bool Overwrite = false;
};

// Draws from the pen position to (x, y) and moves the pen there.
void PenLineTo(LinePen& pen, int32_t x, int32_t y);

// True when p and q lie strictly on the same side of the line through a and b.
bool SameSide(TPoint a, TPoint b, TPoint p, TPoint q);
// Distance of the origin from the infinite line through the segment's ends.
double DistanceToLine(TPoint p1, TPoint p2);
double PointDistance(TPoint a, TPoint b);
