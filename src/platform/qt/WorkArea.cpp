#include "platform/qt/WorkArea.h"

#include <algorithm>

namespace {
bool Overlaps(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}
}  // namespace

TStrut WholeEdgeStrut(int32_t left, int32_t right, int32_t top, int32_t bottom, TPoint screen) {
  return TStrut{left, right, top, bottom, 0, screen.y - 1, 0, screen.y - 1, 0, screen.x - 1, 0, screen.x - 1};
}

TRect WorkAreaFromStruts(const TRect& monitor, TPoint screen, const std::vector<TStrut>& struts) {
  TRect area = monitor;
  for (const TStrut& s : struts) {
    if (s.Top > 0 && Overlaps(TRect{s.TopStartX, 0, s.TopEndX + 1, s.Top}, monitor)) area.Top = std::max(area.Top, s.Top);
    if (s.Bottom > 0 && Overlaps(TRect{s.BottomStartX, screen.y - s.Bottom, s.BottomEndX + 1, screen.y}, monitor)) {
      area.Bottom = std::min(area.Bottom, screen.y - s.Bottom);
    }
    if (s.Left > 0 && Overlaps(TRect{0, s.LeftStartY, s.Left, s.LeftEndY + 1}, monitor)) area.Left = std::max(area.Left, s.Left);
    if (s.Right > 0 && Overlaps(TRect{screen.x - s.Right, s.RightStartY, screen.x, s.RightEndY + 1}, monitor)) {
      area.Right = std::min(area.Right, screen.x - s.Right);
    }
  }
  return area.Left < area.Right && area.Top < area.Bottom ? area : monitor;
}
