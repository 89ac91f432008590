// Drawing of one chime frame from the simulation state.
#include <algorithm>
#include <climits>
#include <cmath>
#include <numbers>

#include "chime/ClassChimora.h"
#include "imaging/FuncGraphicWork.h"
#include "imaging/LinePen.h"
#include "imaging/QuadImage.h"
#include "imaging/Rotation.h"
#include "platform/text/SysUtils.h"

namespace {

constexpr uint32_t kStringColor = 0x80A0C0;
constexpr uint32_t kClapperColor = 0x000000;
constexpr Color32 kHookColor = 0xFF404060;

// Half the strip's width in 8.8 units is at least 400, so an edge-on strip stays visible.
int32_t Widen(int32_t halfWidth) {
  if (halfWidth >= 0 && halfWidth < 400) return 400;
  if (halfWidth < 0 && halfWidth > -400) return -400;
  return halfWidth;
}

double Radians(double degrees) { return degrees * std::numbers::pi / 180; }

TPoint Below(TPoint p, int32_t length) { return {p.x, p.y + length}; }

QuadCorners RotateCorners(TPoint centre, QuadCorners corners, double angle) {
  for (TPoint& c : corners) c = RotatePoint(centre, c, angle);
  return corners;
}

// The pixels that 8.8 points reach, grown by a margin in pixels.
TRect Reach(std::initializer_list<TPoint> points, int32_t margin) {
  TRect r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (TPoint p : points) {
    r.Left = std::min(r.Left, p.x >> 8);  // floored, as the drawing tools never reach left of it
    r.Top = std::min(r.Top, p.y >> 8);
    r.Right = std::max(r.Right, (p.x >> 8) + 1);
    r.Bottom = std::max(r.Bottom, (p.y >> 8) + 1);
  }
  return {r.Left - margin, r.Top - margin, r.Right + margin, r.Bottom + margin};
}

void DrawString(TBitmap& frame, TPoint from, std::initializer_list<TPoint> to, uint32_t color,
                double width) {
  LinePen pen{&frame, from.x / 256, from.y / 256, color, 255, width, true};
  for (TPoint p : to) PenLineTo(pen, p.x / 256, p.y / 256);
}

}  // namespace

void TChimora::ComposeFrame(double forcePrev, double force) {
  // Everything outside what the last frame drew is still clear.
  FillRect32(*this, FDrawn, 0);
  FChanged = FDrawn;

  const TPoint p0{FHookX * 256, 0};
  const TPoint p1 = RotatePoint(p0, Below(p0, 5120), forcePrev / 6);
  const TPoint p2 = RotatePoint(p1, Below(p1, 2048), forcePrev / 8);
  const TPoint p3 = RotatePoint(p2, Below(p2, 4352), forcePrev / 1.5);
  const TPoint p4 = RotatePoint(p3, Below(p3, 5120), forcePrev);

  const int32_t a = Trunc(NormalizeDegrees(FTwist));
  const int32_t s = Trunc(std::sin(Radians(a)) * 256);
  const int32_t m = Widen(Trunc(std::cos(Radians(FTwist)) * 3072));
  const int32_t n = Widen(Trunc(std::cos(Radians(FTwistLag)) * 3072));
  const QuadCorners strip = RotateCorners(p4,
                                          {TPoint{p4.x - m + 256, p4.y - 512 - s},
                                           TPoint{p4.x + m + 256, p4.y - 512 + s},
                                           TPoint{p4.x - n + 256, p4.y + 23040 + s},
                                           TPoint{p4.x + n + 256, p4.y + 23040 - s}},
                                          force);
  const TBitmap& face = (a >= 90 && a <= 270) ? FTextFace : FPaper;
  DrawQuadImage(*this, face, strip, QuadModeCopy, {0, 0, face.Width(), face.Height()});

  DrawString(*this, p0, {p1, p2}, kStringColor, 1.0);
  DrawString(*this, p2, {p3}, kClapperColor, 2.0);
  DrawString(*this, p3, {p4}, kStringColor, 1.0);

  const QuadCorners bell = RotateCorners(p1,
                                         {TPoint{p1.x - 3840, p1.y - 1024},
                                          TPoint{p1.x + 4352, p1.y - 1024},
                                          TPoint{p1.x - 3840, p1.y + 7168},
                                          TPoint{p1.x + 4352, p1.y + 7168}},
                                         force / 8);
  DrawQuadImage(*this, FBell, bell, QuadModeOver, {0, 0, FBell.Width(), FBell.Height()});

  const TRect hook{FHookX - 1, 0, FHookX + 2, 2};
  FillRect32(*this, hook, kHookColor);

  // A pen reaches two pixels past its ends, and its ends are truncated, not floored.
  FDrawn = Reach({p0, p1, p2, p3, p4}, 3);
  for (const QuadCorners& quad : {strip, bell}) GrowRectTo(FDrawn, Reach({quad[0], quad[1], quad[2], quad[3]}, 0));
  GrowRectTo(FDrawn, hook);
  ClipRectTo(FDrawn, {0, 0, Width(), Height()});
  GrowRectTo(FChanged, FDrawn);
}
