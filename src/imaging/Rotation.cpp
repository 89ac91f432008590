#include "imaging/Rotation.h"

#include <cmath>
#include <numbers>

#include "platform/text/SysUtils.h"

namespace {
// Beyond this the stepwise reduction would take more than a thousand steps.
constexpr double kStepwiseLimit = 360.0 * 1024;
}  // namespace

double NormalizeDegrees(double x) {
  if (!std::isfinite(x)) return 0.0;
  if (std::fabs(x) > kStepwiseLimit) x = std::fmod(x, 360.0);
  while (x < 0) x += 360;
  while (x >= 360) x -= 360;
  return x;
}

TPoint RotatePoint(TPoint centre, TPoint point, double angle) {
  const double e = NormalizeDegrees(-angle) * std::numbers::pi / 180;
  const double dx = static_cast<double>(point.x) - centre.x;
  const double dy = static_cast<double>(point.y) - centre.y;
  return {Trunc(std::cos(e) * dx - std::sin(e) * dy + centre.x),
          Trunc(std::sin(e) * dx + std::cos(e) * dy + centre.y)};
}
