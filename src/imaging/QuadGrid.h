#pragma once
// Where a quad falls on the target: its repaired edges, the pixels it covers
// and the source positions of their corners, shared by stepping and drawing.
#include <array>
#include <cstdint>

#include "platform/Types.h"

using QuadCorners = std::array<TPoint, 4>;

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
