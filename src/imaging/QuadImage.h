#pragma once
// Draws a rectangle of a bitmap onto any four-cornered area, with filtering and
// soft edges. Corners are 8.8 fixed point: top-left, top-right, bottom-left, bottom-right.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/Types.h"

constexpr uint8_t QuadModeCopy = 1;
constexpr uint8_t QuadModeOver = 12;

using QuadCorners = std::array<TPoint, 4>;

// The target becomes 32-bit. A source that is not 32-bit, or a mode other than
// copy and over, draws nothing; the source rectangle is cut to the source.
void DrawQuadImage(TBitmap& target, const TBitmap& source, const QuadCorners& corners,
                   uint8_t mode, TRect sourceRect);

// True when c and d lie strictly on different sides of the line through a and b.
bool OppositeSides(TPoint a, TPoint b, TPoint c, TPoint d);
// x of the line p0-p1 at y; fallBack where the line is horizontal.
int64_t EdgeXAtY(TPoint p0, TPoint p1, int64_t y, int64_t fallBack);
// y of the line p0-p1 at x; fallBack where the line is vertical.
int64_t EdgeYAtX(TPoint p0, TPoint p1, int64_t x, int64_t fallBack);

// A source position in 8.8 units; wide so that no picture size can overflow it.
struct SourcePos {
  int64_t x = 0;
  int64_t y = 0;
};

// Pixels of a 32-bit source inside a rectangle.
class QuadSampler {
 public:
  QuadSampler(const TBitmap& source, TRect rect);
  bool Inside(int64_t column, int64_t row) const;
  // Both return the bytes blue, green, red, alpha packed little-endian.
  uint32_t SampleBilinear(SourcePos s) const;
  uint32_t SampleBox(SourcePos s, int64_t ddx, int64_t ddy) const;

 private:
  const uint8_t* Pixel(int64_t column, int64_t row) const;
  TRect FRect;
  std::vector<const uint8_t*> FRows;
};
