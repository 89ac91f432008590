#include "platform/window/WindowSystem.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <limits>

#include "platform/Exception.h"

namespace {
int64_t Overlap(const TRect& a, const TRect& b) {
  const int64_t w = std::min(a.Right, b.Right) - int64_t{std::max(a.Left, b.Left)};
  const int64_t h = std::min(a.Bottom, b.Bottom) - int64_t{std::max(a.Top, b.Top)};
  return w > 0 && h > 0 ? w * h : 0;
}

int64_t Distance(const TRect& area, const TRect& bounds) {
  const int64_t cx = (int64_t{bounds.Left} + bounds.Right) / 2, cy = (int64_t{bounds.Top} + bounds.Bottom) / 2;
  const int64_t dx = cx < area.Left ? area.Left - cx : cx >= area.Right ? cx - area.Right + 1 : 0;
  const int64_t dy = cy < area.Top ? area.Top - cy : cy >= area.Bottom ? cy - area.Bottom + 1 : 0;
  return dx * dx + dy * dy;
}
}  // namespace

TRect SizedBy(const TRect& start, intptr_t hitTest, int32_t dx, int32_t dy) {
  constexpr int32_t kLeast = 8;
  TRect r = start;
  const bool left = hitTest == HTLEFT || hitTest == HTTOPLEFT || hitTest == HTBOTTOMLEFT;
  const bool right = hitTest == HTRIGHT || hitTest == HTTOPRIGHT || hitTest == HTBOTTOMRIGHT;
  const bool top = hitTest == HTTOP || hitTest == HTTOPLEFT || hitTest == HTTOPRIGHT;
  const bool bottom = hitTest == HTBOTTOM || hitTest == HTBOTTOMLEFT || hitTest == HTBOTTOMRIGHT;
  if (left) r.Left = std::min(start.Left + dx, start.Right - kLeast);
  if (right) r.Right = std::max(start.Right + dx, start.Left + kLeast);
  if (top) r.Top = std::min(start.Top + dy, start.Bottom - kLeast);
  if (bottom) r.Bottom = std::max(start.Bottom + dy, start.Top + kLeast);
  return r;
}

size_t NearestArea(const std::vector<TRect>& areas, const TRect& bounds) {
  size_t best = 0;
  int64_t bestOverlap = -1;
  int64_t bestDistance = std::numeric_limits<int64_t>::max();
  for (size_t i = 0; i < areas.size(); ++i) {
    const int64_t overlap = Overlap(areas[i], bounds);
    const int64_t distance = Distance(areas[i], bounds);
    if (overlap > bestOverlap || (overlap == 0 && bestOverlap == 0 && distance < bestDistance)) {
      best = i;
      bestOverlap = overlap;
      bestDistance = distance;
    }
  }
  return best;
}

TRect WorkAreaOf(TWindowSystem& system, const TRect& bounds) {
  const std::vector<TRect> areas = system.MonitorWorkAreas();
  if (areas.empty()) {
    const TPoint size = system.PrimaryScreenSize();
    return TRect{0, 0, size.x, size.y};
  }
  return areas[NearestArea(areas, bounds)];
}

TWindowSystem::TWindowSystem() : FPerPixelAlpha([this] { return Capabilities().PerPixelAlpha; }) {}

TWindowSystem::~TWindowSystem() = default;

void TWindowSystem::HandleException(TEntry entry) noexcept {
  try {
    const AnsiString message = CurrentExceptionMessage();
    std::cerr << "chimora: " << ToUtf8(message) << std::endl;
    if (entry == TEntry::UserAction && !FSessionEnding) MessageBox(message, "Chimora");
  } catch (...) {
    // Reporting failed too; the loop goes on regardless.
  }
}
