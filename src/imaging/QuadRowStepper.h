#pragma once
// Every pixel's source position without a division per pixel: the painter's
// inner loop only reads them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/QuadGrid.h"

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
