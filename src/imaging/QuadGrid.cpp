// Geometry is worked out once per draw, so it divides exactly instead of stepping.
#include "imaging/QuadGrid.h"

#include <algorithm>
#include <utility>

namespace {

// The exact edge mapping from target to source, for the repaired corners.
struct QuadMapping {
  QuadCorners c;
  int64_t minX, maxX, minY, maxY;
  TRect r;

  SourcePos MapToSource(int64_t x, int64_t y) const {
    const int64_t xl = EdgeXAtY(c[0], c[2], y, minX);
    const int64_t yt = EdgeYAtX(c[0], c[1], x, minY);
    const int64_t xr = EdgeXAtY(c[1], c[3], y, maxX);
    const int64_t yb = EdgeYAtX(c[2], c[3], x, maxY);
    const int64_t rw = int64_t{r.Right} - r.Left;
    const int64_t rh = int64_t{r.Bottom} - r.Top;
    const int64_t sx = xl == xr ? xr : (x - xl) * rw * 256 / (xr - xl) + int64_t{r.Left} * 256;
    const int64_t sy = yt == yb ? yb : (y - yt) * rh * 256 / (yb - yt) + int64_t{r.Top} * 256;
    return {sx, sy};
  }
};

}  // namespace

bool OppositeSides(TPoint a, TPoint b, TPoint c, TPoint d) {
  auto q = [](int64_t v) { return v / 64; };
  const int64_t s1 = q(int64_t{a.x} - b.x) * q(int64_t{c.y} - a.y) +
                     q(int64_t{a.y} - b.y) * q(int64_t{a.x} - c.x);
  const int64_t s2 = q(int64_t{a.x} - b.x) * q(int64_t{d.y} - a.y) +
                     q(int64_t{a.y} - b.y) * q(int64_t{a.x} - d.x);
  return (s1 < 0 && s2 > 0) || (s1 > 0 && s2 < 0);
}

int64_t EdgeXAtY(TPoint p0, TPoint p1, int64_t y, int64_t fallBack) {
  if (p1.x == p0.x) return p0.x;
  if (p1.y == p0.y) return fallBack;
  return (y - p0.y) * (int64_t{p1.x} - p0.x) / (int64_t{p1.y} - p0.y) + p0.x;
}

int64_t EdgeYAtX(TPoint p0, TPoint p1, int64_t x, int64_t fallBack) {
  if (p1.x == p0.x) return fallBack;
  if (p1.y == p0.y) return p0.y;
  return (x - p0.x) * (int64_t{p1.y} - p0.y) / (int64_t{p1.x} - p0.x) + p0.y;
}

bool QuadGridFits32(const QuadGrid& g) {
  // Every position and step stays within 70 times the corners' reach (the
  // last steps run a row past the grid and the row's lanes up to seven
  // columns past its end), so corners under 2^22 keep them under 2^29 and the
  // differences of four neighbours in 32 bits.
  constexpr int64_t kReach = int64_t{1} << 22;
  auto near = [](int64_t v) { return v > -kReach && v < kReach; };
  for (const SourcePos& s : {g.s00, g.s10, g.s01, g.s11})
    if (!near(s.x) || !near(s.y)) return false;
  return near(g.nx) && near(g.ny);
}

bool QuadGridOf(const QuadCorners& corners, TRect sourceRect, int32_t targetWidth, int32_t targetHeight,
                QuadGrid& grid) {
  QuadMapping map{corners, 0, 0, 0, 0, sourceRect};
  QuadCorners& c = map.c;
  if (OppositeSides(c[0], c[2], c[1], c[3])) std::swap(c[0], c[1]);
  if (OppositeSides(c[0], c[1], c[2], c[3])) std::swap(c[0], c[2]);

  auto byX = [](TPoint a, TPoint b) { return a.x < b.x; };
  auto byY = [](TPoint a, TPoint b) { return a.y < b.y; };
  map.minX = std::max<int64_t>(std::min_element(c.begin(), c.end(), byX)->x, 0);
  map.maxX = std::min<int64_t>(std::max_element(c.begin(), c.end(), byX)->x, int64_t{targetWidth} * 256);
  map.minY = std::max<int64_t>(std::min_element(c.begin(), c.end(), byY)->y, 0);
  map.maxY = std::min<int64_t>(std::max_element(c.begin(), c.end(), byY)->y, int64_t{targetHeight} * 256);

  grid.nx = (map.maxX - map.minX) / 256 - 1;
  grid.ny = (map.maxY - map.minY) / 256 - 1;
  if (grid.nx < 1 || grid.ny < 1) return false;
  grid.left = map.minX / 256;
  grid.top = map.minY / 256;
  grid.subX = map.minX % 256;
  grid.subY = map.minY % 256;
  grid.s00 = map.MapToSource(map.minX, map.minY);
  grid.s10 = map.MapToSource(map.maxX, map.minY);
  grid.s01 = map.MapToSource(map.minX, map.maxY);
  grid.s11 = map.MapToSource(map.maxX, map.maxY);
  return true;
}
