#pragma once
// What the windows of the system ask of the window system. One backend draws on
// the real desktop; a fake one records the calls for tests.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Region.h"
#include "platform/text/AnsiString.h"
#include "platform/Types.h"
#include "platform/window/Controls.h"
#include "platform/window/Messages.h"

class TForm;
class TPopupMenu;

// A top-level window as the window list reports it, from the top of the stacking order.
struct TTopWindow {
  HWND Handle = 0;
  TRect Bounds;
  bool Visible = false;
};

// Where a window paints: what WM_ERASEBKGND carries in its wParam.
class TDeviceContext {
 public:
  virtual ~TDeviceContext() = default;
  virtual void BitBlt(int32_t x, int32_t y, const TBitmap& bitmap) = 0;
  virtual void FillRect(const TRect& rect, Color32 color) = 0;
};

// What the native window of a form reports back; the form turns it into messages.
class TWindowSystem {
 public:
  virtual ~TWindowSystem() = default;

  // A native top-level window for the form, not yet shown, at the form's bounds.
  virtual HWND CreateWindowFor(TForm& form) = 0;
  virtual void DestroyWindow(HWND window) = 0;
  virtual void ShowWindow(HWND window, bool visible) = 0;
  virtual void SetWindowBounds(HWND window, const TRect& bounds) = 0;
  // The window's screen rectangle as the window system has it.
  virtual TRect GetWindowRect(HWND window) = 0;
  virtual bool IsZoomed(HWND window) = 0;
  virtual void Invalidate(HWND window) = 0;

  virtual uint32_t GetExStyle(HWND window) = 0;
  virtual void SetExStyle(HWND window, uint32_t style) = 0;
  // Shows premultiplied 32-bit pixels with per-pixel alpha at a screen position,
  // moving the window and replacing its picture in one step. False when it could
  // not; LastErrorText says why.
  virtual bool UpdateLayeredWindow(HWND window, int32_t x, int32_t y, const TBitmap& premultiplied) = 0;
  // The region (window coordinates) becomes the window's shape; none: unshaped.
  virtual void SetWindowRgn(HWND window, std::unique_ptr<TRegion> region) = 0;
  // Place in the Z order (HWND_TOP, HWND_BOTTOM, HWND_TOPMOST, HWND_NOTOPMOST) and
  // bounds, as SetWindowPos; SWP_NOMOVE and SWP_NOSIZE keep those, SWP_SHOWWINDOW shows it.
  virtual void SetWindowPos(HWND window, HWND insertAfter, const TRect& bounds, uint32_t flags) = 0;
  virtual AnsiString LastErrorText() = 0;

  virtual void DragAcceptFiles(HWND window, bool accept) = 0;
  // Follows the pointer with the window until the left button is released,
  // then sends WM_EXITSIZEMOVE.
  virtual void StartMoveLoop(HWND window) = 0;
  // The system's sizing loop by the edge or corner hitTest (HTLEFT to HTBOTTOMRIGHT)
  // while the left button stays down, ending with WM_EXITSIZEMOVE.
  virtual void StartResizeLoop(HWND window, intptr_t hitTest) = 0;

  virtual std::vector<TRect> MonitorWorkAreas() = 0;
  virtual TPoint PrimaryScreenSize() = 0;
  virtual std::vector<TTopWindow> TopLevelWindows() = 0;
  virtual TPoint CursorPos() = 0;
  // The modifier keys held now, as shortcut bits (scShift, scCtrl, scAlt).
  virtual TShortCut ShiftState() = 0;

  // Runs the menu at a screen point; the index of the chosen item, or -1.
  virtual int32_t TrackPopupMenu(HWND window, const TPopupMenu& menu, TPoint at) = 0;
  virtual void MessageBox(const AnsiString& text, const AnsiString& caption) = 0;

  // Calls onTimer every interval milliseconds until KillTimer; returns its id.
  virtual int32_t SetTimer(uint32_t interval, std::function<void()> onTimer) = 0;
  virtual void KillTimer(int32_t id) = 0;

  // The pointer's shape over the window.
  virtual void SetCursor(HWND window, TCursor cursor) = 0;

  // Runs the message loop until Quit.
  virtual int Run() = 0;
  // Runs messages, timers included, while every window but this one refuses
  // input, until done() or Quit.
  virtual void RunModal(HWND window, const std::function<bool()>& done) = 0;
  virtual void Quit(int exitCode) = 0;
};

// The work area of the monitor that holds the rectangle: the one it overlaps
// most, else the nearest; the primary screen when there are no monitors.
TRect WorkAreaOf(TWindowSystem& system, const TRect& bounds);

// The bounds after the pointer moved by (dx, dy) since sizing by the edge or
// corner hitTest began at start; a window keeps at least 8 x 8 pixels.
TRect SizedBy(const TRect& start, intptr_t hitTest, int32_t dx, int32_t dy);
