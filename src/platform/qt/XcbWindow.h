#pragma once
// A frameless, always-on-top top-level window whose pixels we upload ourselves
// (its surface): Qt never paints it. It turns Qt's events into the form's
// messages; it moves through the window manager's own move, or follows the
// pointer itself where there is no manager to ask and on Xwayland, where the
// end of the compositor's move may never reach the X server. Who placed the
// window and when a move ended is the placement policy's to decide.
#include <xcb/xcb.h>

#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <vector>

#include "platform/qt/WindowManager.h"
#include "platform/qt/XcbSurface.h"
#include "platform/system/DesktopScale.h"
#include "platform/window/Form.h"

class TXcbWindow : public QWindow {
 public:
  // xwayland: the server is Xwayland; the window then always moves itself.
  TXcbWindow(TForm& form, bool xwayland, TScale scale);
  ~TXcbWindow() override;

  HWND Handle() const { return FId; }
  TForm& Form() { return FForm; }
  // Asks for the bounds (units); where the manager keeps the window elsewhere, the form hears of it.
  void Place(const TRect& bounds);
  // Where the window is, as far as we know, in units.
  TRect Placed() const;
  TXcbSurface& Surface() { return *FSurface; }
  // Moves the window and shows the layered picture in one step.
  void ShowLayered(int32_t x, int32_t y, const TBitmap& picture, const TRect& changed);
  void SetLayered(bool layered);
  bool Layered() const { return FLayered; }
  void StartMoveLoop();
  // Follows the pointer from where the button went down, by that edge or corner.
  void StartResizeLoop(intptr_t hitTest);
  void AcceptDrops(bool accept) { FAcceptDrops = accept; }
  // A disabled window refuses the mouse, the keyboard and drops.
  void SetEnabled(bool enabled);
  bool Enabled() const { return FEnabled; }
  void Flush();

 protected:
  bool event(QEvent* event) override;

 private:
  void Paint();
  // Qt's event as the form's entry points; false where Qt's own handling is wanted.
  bool Translate(QEvent* event);
  void Mouse(QMouseEvent* event, TPointerAction action);
  void Drop(QDropEvent* event);
  void Key(QKeyEvent* event);
  void SetNetWmState();
  // Bounds in pixels, as the server has them.
  void PlacePixels(const TRect& bounds);
  void SetGeometry(const TRect& bounds);
  void StartOwnMove();
  void PollMove();
  void SystemMoveEnded();
  void KeepPlaceOnceMapped();
  void Moved();
  // A rectangle of the size given at `at`.
  static TRect PlacedAt(TPoint at, const TRect& size);

  TForm& FForm;
  xcb_connection_t* FConnection = nullptr;
  HWND FId = 0;
  std::unique_ptr<TXcbSurface> FSurface;
  TScale FScale;
  TRect FPlaced;  // pixels
  TBitmap FScaled;  // the layered picture at the scale, above 1
  TPlacementPolicy FPolicy;
  QTimer FMovePoll;  // while the manager moves the window
  bool FXwayland = false;
  bool FLayered = false;
  bool FMoving = false;  // the pointer-following loop
  bool FMappedPlaceKept = false;
  intptr_t FSizing = 0;  // the edge being dragged; 0 when not sizing
  TRect FSizeStart;
  QPoint FPressGlobal;
  QPoint FGrabOffset;
  bool FAcceptDrops = false;
  bool FEnabled = true;
};
