#pragma once
// Draws a rectangle of a bitmap onto any four-cornered area, with filtering and
// soft edges. Corners are 8.8 fixed point: top-left, top-right, bottom-left, bottom-right.
#include <array>
#include <cstddef>
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

// The target pixels a quad covers and the source positions of their bounds'
// corners, between which every pixel's position is interpolated.
struct QuadGrid {
  int64_t left = 0, top = 0;  // target pixel of column 0, row 0
  int64_t nx = 0, ny = 0;     // columns 0 to nx, rows 0 to ny; both at least 1
  int64_t subX = 0, subY = 0;  // the bounds' fraction of a pixel
  SourcePos s00, s10, s01, s11;
};

// The grid of a repaired quad in a target of the given size; false where the
// bounds are under 2 px wide or tall and nothing is drawn.
bool QuadGridOf(const QuadCorners& corners, TRect sourceRect, int32_t targetWidth,
                int32_t targetHeight, QuadGrid& grid);

// True when every position and stepping state of the grid fits 32 bits with
// room for the differences between neighbours.
bool QuadGridFits32(const QuadGrid& grid);

// The source position of every grid pixel, row by row from row -1 to ny, each
// row from column -1 to nx: the interpolation between the corners, truncated
// as by division but stepped, without a division per pixel. T is int32_t for a
// grid that QuadGridFits32 (four columns at a time) and int64_t for any grid.
template <typename T>
class QuadRowStepper {
 public:
  explicit QuadRowStepper(const QuadGrid& grid);
  // The length of a row: nx + 2 positions, padded to a multiple of four.
  size_t Columns() const { return FColumns; }
  // Writes the next row's x and y, Columns() of each.
  void Next(T* xs, T* ys);

 private:
  // from + (k - 1) * (to - from) / n, truncated as by division, for k = 0, 1, ...
  // and n > 0: kept as q * n + r = n * from + (k - 1) * (to - from) with
  // 0 <= r < n, each step adds a constant quotient and remainder and carries once.
  struct Quotient {
    int64_t q, r, dq, dr;
    Quotient(int64_t from, int64_t to, int64_t n);
  };
  const QuadGrid FGrid;
  const size_t FColumns;
  Quotient FLeftY, FRightY;  // the row's y at columns 0 and nx, down the rows
  // Each column's x down the rows: quotients, remainders and their steps, one
  // run of Columns() each so that a row is one sweep.
  std::vector<T> FState;
};

// Pixels of a 32-bit source inside a rectangle.
class QuadSampler {
 public:
  QuadSampler(const TBitmap& source, TRect rect);
  bool Inside(int64_t column, int64_t row) const;
  // Both return the bytes blue, green, red, alpha packed little-endian.
  uint32_t SampleBilinear(SourcePos s) const;
  uint32_t SampleBox(SourcePos s, int64_t ddx, int64_t ddy) const;
  // Any pixel's bytes, the next row's Stride() further on.
  const uint8_t* Pixel(int64_t column, int64_t row) const { return FPixels + row * FStride + 4 * column; }
  ptrdiff_t Stride() const { return FStride; }

 private:
  uint32_t SampleBilinearAtEdge(SourcePos s) const;
  TRect FRect;
  const uint8_t* FPixels = nullptr;  // row 0; rows are evenly spaced
  ptrdiff_t FStride = 0;
};
