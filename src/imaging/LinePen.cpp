#include "imaging/LinePen.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "imaging/FuncGraphicWork.h"
#include "platform/text/SysUtils.h"

namespace {

int64_t Side(TPoint a, TPoint b, TPoint v) {
  return int64_t{a.x - b.x} * (v.y - a.y) + int64_t{a.y - b.y} * (a.x - v.x);
}

int32_t Coverage(double d, int32_t r, int32_t peak) {
  if (r > d) return peak;
  if (d <= r + 0.99) return peak - Trunc((d - std::trunc(d)) * 255);
  return 0;
}

// A line's slopes are the same wherever it is moved to, so a pen works them out
// once for all the pixels it visits; the distances come out bit for bit the same.
class LineSlopes {
 public:
  LineSlopes(TPoint p1, TPoint p2) : FVertical(p1.x == p2.x), FHorizontal(p1.y == p2.y) {
    if (FVertical || FHorizontal) return;
    const double dx = static_cast<double>(p2.x) - p1.x, dy = static_cast<double>(p2.y) - p1.y;
    FXPerY = dx / dy;
    FYPerX = dy / dx;
  }
  // The distance of the origin from the line through p1 with these slopes.
  double DistanceOfOrigin(TPoint p1) const {
    const double x1 = p1.x, y1 = p1.y;
    if (FVertical) return std::fabs(x1);
    if (FHorizontal) return std::fabs(y1);
    const double fx = FXPerY * (-y1) + x1;
    if (fx == 0) return 0;
    const double fy = FYPerX * (-x1) + y1;
    if (fy == 0) return 0;
    return std::sqrt(fy * fy * fx * fx / (fx * fx + fy * fy));
  }

 private:
  bool FVertical, FHorizontal;
  double FXPerY = 0, FYPerX = 0;
};

}  // namespace

bool SameSide(TPoint a, TPoint b, TPoint p, TPoint q) {
  const int64_t sp = Side(a, b, p);
  const int64_t sign = (sp > 0) - (sp < 0);
  return sign * Side(a, b, q) > 0;
}

double DistanceToLine(TPoint p1, TPoint p2) { return LineSlopes(p1, p2).DistanceOfOrigin(p1); }

double PointDistance(TPoint a, TPoint b) {
  const double dx = static_cast<double>(a.x) - b.x;
  const double dy = static_cast<double>(a.y) - b.y;
  return std::sqrt(dx * dx + dy * dy);
}

void PenLineTo(LinePen& pen, int32_t x2, int32_t y2) {
  TBitmap& target = *pen.Target;
  const int32_t x1 = pen.X;
  const int32_t y1 = pen.Y;
  const int32_t r = static_cast<int32_t>(std::nearbyint(pen.Width / 2));
  const int32_t m = r + 1;

  TRect box{x1 - m, y1 - m, x1 + m, y1 + m};
  GrowRectTo(box, {x2 - m, y2 - m, x2 + m, y2 + m});
  ClipRectTo(box, {0, 0, target.Width() - 1, target.Height() - 1});

  const uint8_t blue = (pen.Color >> 16) & 255;
  const uint8_t green = (pen.Color >> 8) & 255;
  const uint8_t red = pen.Color & 255;
  const TPoint start{x1, y1};
  const TPoint end{x2, y2};
  const TPoint psFar{x1 + (y2 - y1), y1 - (x2 - x1)};
  const TPoint peFar{x2 + (y1 - y2), y2 - (x1 - x2)};
  const int32_t peak = pen.Width > 0.5 ? 255 : Trunc(pen.Width * 255);
  const LineSlopes slopes(start, end);

  // Box edges are inclusive; the pixel test keeps writes inside the target.
  for (int32_t y = box.Top; y <= box.Bottom && y < target.Height(); ++y) {
    uint8_t* row = target.ScanLine(y);
    for (int32_t x = box.Left; x <= box.Right && x < target.Width(); ++x) {
      const TPoint here{x, y};
      double d = 10000.0;
      if (SameSide(start, psFar, here, end) && SameSide(end, peFar, here, start)) {
        d = slopes.DistanceOfOrigin({x1 - x, y1 - y});
      }
      if (std::abs(x - x1) <= m && std::abs(y - y1) <= m) d = std::min(d, PointDistance(start, here));
      if (std::abs(x - x2) <= m && std::abs(y - y2) <= m) d = std::min(d, PointDistance(end, here));
      int32_t c = Coverage(d, r, peak);
      if (c <= 0) continue;
      c = c * pen.Alpha / 255;
      uint8_t* p = row + 4 * x;
      if (pen.Overwrite) {
        p[0] = blue;
        p[1] = green;
        p[2] = red;
        p[3] = static_cast<uint8_t>(c);
      } else {
        p[0] = static_cast<uint8_t>(((255 - c) * p[0] + c * blue) / 255);
        p[1] = static_cast<uint8_t>(((255 - c) * p[1] + c * green) / 255);
        p[2] = static_cast<uint8_t>(((255 - c) * p[2] + c * red) / 255);
      }
    }
  }
  pen.X = x2;
  pen.Y = y2;
}
