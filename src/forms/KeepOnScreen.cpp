#include "forms/KeepOnScreen.h"

void KeepOnScreen(TForm& form) {
  TWindowSystem& system = form.WindowSystem();
  bool found = false;
  const int64_t left = form.Left(), top = form.Top(), right = left + form.Width();
  for (const TRect& w : system.MonitorWorkAreas()) {
    const bool rowFits = w.Top - 8 <= top && top < int64_t{w.Bottom} - 8;
    if (w.Left - 4 <= left && left < w.Right && rowFits) found = true;
    if (w.Left <= right && right + 4 < w.Right && rowFits) found = true;
  }
  if (found) return;
  const TPoint screen = system.PrimaryScreenSize();
  int32_t width = form.Width(), height = form.Height();
  if (screen.x < width) width = screen.x;
  if (screen.y < height) height = screen.y;
  form.SetBounds((screen.x - width) / 2, (screen.y - height) / 2, width, height);
}
