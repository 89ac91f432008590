#pragma once
// The window-system contract, both directions; a new backend is written from
// this header alone.
//
// Outbound: what forms ask of the window system, the methods of TWindowSystem
// below (what it can do, windows, bounds, layered pictures, regions, move loops,
// screens, menus, timers, the message loop). A system that cannot do something
// says so in Capabilities and still answers the call as near as it can (a
// window list of its own windows only, the pointer as last seen, bounds kept
// as asked); the forms choose what to do about it.
//
// Inbound: what a backend delivers, only through these entry points of TForm
// (Form.h); the form alone turns them into its messages, so every backend gives
// the same messages in the same order:
//   PointerInput(action, client, screen, keys)  WM_MOUSEMOVE, WM_LBUTTONDOWN/UP,
//       WM_RBUTTONDOWN/UP with MK_ bits and the client point; a windowed control
//       under the pointer takes it instead; a left press on an edge the form's
//       hit test answers for starts StartResizeLoop
//   PointerLeft()                   WM_MOUSELEAVE
//   ContextMenuRequested(screen)    WM_CONTEXTMENU: after a right-button release
//       (the screen point) or the menu key (none); call it once the release is done with
//   KeyDown(key, alt)               WM_SYSKEYDOWN with Alt (KF_ALTDOWN in lParam), else
//       WM_KEYDOWN; virtual-key codes (VK_, 'A' to 'Z'); Alt+F4 closes every form.
//       ShiftState answers for Shift and Ctrl as of the key being handled
//   HitTest(screen)                 WM_NCHITTEST, for backends whose system sizes windows by their edges
//   Paint(dc)                       WM_ERASEBKGND, then WM_PAINT, on the window's device context
//   FilesDropped(drop)              WM_DROPFILES; drop is read by DragQueryFile
//   BoundsChangedBySystem(bounds)   WM_MOVE and/or WM_SIZE, only for what changed
//   MoveLoopEnded()                 WM_EXITSIZEMOVE, once per move or sizing loop
//   CloseRequested()                WM_CLOSE (the window manager's close)
//   QueryEndSession(), EndSession(ending)   WM_QUERYENDSESSION, WM_ENDSESSION;
//       an ending session then ends the program (status 0)
//   PowerEvent(PBT_ code)           WM_POWERBROADCAST
//   CapabilitiesChanged()           WM_DWMCOMPOSITIONCHANGED: some answer of
//       Capabilities() changed (compositing came or went, another window manager)
//   ResetRequested()                WM_USER + 100, where another program can send it
// A backend also runs its timers' callbacks and any other call into our code
// (signal and session handlers, its event handler, its window and timer
// procedures) through Guard, the one exception firewall; the entry points do it
// themselves. A backend keeps no pointer into a form's bitmap past the call that
// passed it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Region.h"
#include "platform/text/AnsiString.h"
#include "platform/Types.h"
#include "platform/window/Controls.h"
#include "platform/window/Messages.h"
#include "platform/system/SystemInfo.h"

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

// A pointer event as a backend reports it.
enum class TPointerAction { Move, LeftDown, LeftUp, RightDown, RightUp };
// The buttons and keys held during a pointer event.
struct TPointerKeys {
  bool Left = false, Right = false, Shift = false, Control = false;
};

// Where a window may put itself on the screen.
enum class TPlacement {
  // SetWindowBounds puts the window at any screen point; what the system then
  // does with it comes back through BoundsChangedBySystem (X11, Win32).
  Anywhere,
  // Only hanging from a monitor's edges (a layer-shell surface): the window keeps
  // its distance from the top and left edges of the work area it lies in, it is
  // not placed off that monitor, and it never covers a panel's reserved space.
  EdgeAnchored,
  // Not at all: the system places windows itself; the bounds a form sets give
  // only the size, and the position read back means nothing on the screen.
  Nowhere,
};

// What the window system can do, asked by the forms instead of guessed. Where an
// answer is no, the form behaves as the nearest thing the system can do (the
// README lists them); where it is yes, the form's behaviour is exact.
struct TCapabilities {
  // UpdateLayeredWindow shows per-pixel alpha; without it a form shapes its
  // window with SetWindowRgn and paints it (the system's major version is then 4).
  bool PerPixelAlpha = false;
  TPlacement Placement = TPlacement::Nowhere;
  // CursorPos is where the pointer is on the screen, also outside our windows.
  bool GlobalPointer = false;
  // TopLevelWindows lists the other programs' windows too, not only ours.
  bool WindowList = false;
  // A topmost window (HWND_TOPMOST, the main form) stays above the other
  // programs' ordinary windows.
  bool KeepAbove = false;
  // A form's window shows on every virtual desktop or workspace.
  bool AllDesktops = false;
  // The system places every form but the main one (a dialog) itself, as it
  // places any application's windows: such a form does not centre itself, and
  // its position means nothing on the screen.
  bool PlacesDialogs = false;
};

// What went in through the firewall: a user's own action (a failure shows a
// message box), a notice of the system (only reported), or the end of the
// session (only reported, and never a dialog from then on).
enum class TEntry { UserAction, Notice, SessionEnd };

// What ties the program to the user's session while it lives (see LinkSession).
class TSessionLink {
 public:
  virtual ~TSessionLink() = default;
};

class TWindowSystem {
 public:
  // The system's major version is answered from this window system's
  // capabilities while it lives (the last one made answers).
  TWindowSystem();
  virtual ~TWindowSystem();
  TWindowSystem(const TWindowSystem&) = delete;
  TWindowSystem& operator=(const TWindowSystem&) = delete;

  // What this system can do now; CapabilitiesChanged tells the forms when it changes.
  virtual TCapabilities Capabilities() = 0;

  // The exception firewall, as the framework's application handler: whatever
  // call throws is reported on stderr ("chimora: ..."), and shown in a message
  // box when it was the user's own action and the session is not ending.
  template <typename Call>
  void Guard(TEntry entry, Call&& call) noexcept {
    if (entry == TEntry::SessionEnd) FSessionEnding = true;
    try {
      call();
    } catch (...) {
      HandleException(entry);
    }
  }
  // What Guard does with the exception being handled; for the program's own handlers.
  void HandleException(TEntry entry) noexcept;

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
  // moving the window and replacing its picture in one step. The picture differs
  // from the one given before only inside `changed`: a system may look no further,
  // unless it lost what it showed. False when it could not; LastErrorText says why.
  virtual bool UpdateLayeredWindow(HWND window, int32_t x, int32_t y, const TBitmap& premultiplied,
                                   const TRect& changed) = 0;
  // The region (window coordinates) becomes the window's shape; none: unshaped.
  virtual void SetWindowRgn(HWND window, std::unique_ptr<TRegion> region) = 0;
  // Place in the Z order (HWND_TOP, HWND_BOTTOM, HWND_TOPMOST, HWND_NOTOPMOST) and
  // bounds, as SetWindowPos; SWP_NOMOVE and SWP_NOSIZE keep those, SWP_SHOWWINDOW shows it.
  virtual void SetWindowPos(HWND window, HWND insertAfter, const TRect& bounds, uint32_t flags) = 0;
  virtual AnsiString LastErrorText() = 0;

  virtual void DragAcceptFiles(HWND window, bool accept) = 0;
  // The names of a drop (WM_DROPFILES's wParam). index 0xFFFFFFFF: the number of
  // names. Otherwise copies name index into buffer (at most size - 1 bytes and a
  // NUL) and returns the bytes copied; with no buffer, the name's whole length.
  virtual uint32_t DragQueryFile(uintptr_t drop, uint32_t index, char* buffer, uint32_t size) = 0;
  // Follows the pointer with the window until the left button is released,
  // then sends WM_EXITSIZEMOVE. lParam: the mouse message's own, which the
  // system's loop takes as where the window was grabbed.
  virtual void StartMoveLoop(HWND window, intptr_t lParam) = 0;
  // The system's sizing loop by the edge or corner hitTest (HTLEFT to HTBOTTOMRIGHT)
  // while the left button stays down, ending with WM_EXITSIZEMOVE.
  virtual void StartResizeLoop(HWND window, intptr_t hitTest) = 0;

  virtual std::vector<TRect> MonitorWorkAreas() = 0;
  virtual TPoint PrimaryScreenSize() = 0;
  // Where a window belongs to one screen (a layer surface to its output): the
  // name of the screen that holds it now, its place kept relative to that
  // screen between runs; empty where windows belong to none.
  virtual AnsiString ScreenName(HWND /*window*/) { return {}; }
  // The top-left corner of the screen of that name; none when there is none.
  virtual std::optional<TPoint> ScreenOrigin(const AnsiString& /*name*/) { return std::nullopt; }
  // Only our own windows where Capabilities().WindowList is false.
  virtual std::vector<TTopWindow> TopLevelWindows() = 0;
  // Where Capabilities().GlobalPointer is false: the last place the pointer was
  // seen over one of our windows.
  virtual TPoint CursorPos() = 0;
  // The modifier keys held as of the input being handled (not the keyboard's
  // state now), as shortcut bits (scShift, scCtrl, scAlt).
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
  // The backend's own wiring to the session, one call for every backend: its
  // ends and pauses reach the main form as SessionEnd/PowerEvent, and a lost
  // display stores the main form's settings before the program ends with status 1.
  // None where the system's own messages do all this (Win32) or a test does.
  virtual std::unique_ptr<TSessionLink> LinkSession(TForm& /*mainForm*/) { return nullptr; }

 private:
  bool FSessionEnding = false;
  ScopedPerPixelAlphaSource FPerPixelAlpha;
};

// The index of the area that holds the rectangle: the one it overlaps most,
// else the one nearest its centre (the first of equals); 0 when there are none.
size_t NearestArea(const std::vector<TRect>& areas, const TRect& bounds);
// The work area of the monitor that holds the rectangle (NearestArea); the
// primary screen when there are no monitors.
TRect WorkAreaOf(TWindowSystem& system, const TRect& bounds);

// The bounds after the pointer moved by (dx, dy) since sizing by the edge or
// corner hitTest began at start; a window keeps at least 8 x 8 pixels.
TRect SizedBy(const TRect& start, intptr_t hitTest, int32_t dx, int32_t dy);
