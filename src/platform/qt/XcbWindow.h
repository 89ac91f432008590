#pragma once
// A frameless, always-on-top top-level window whose pixels we upload ourselves
// (its surface): Qt never paints it. It turns Qt's events into the form's
// messages; it moves through the window manager's own move, or follows the
// pointer itself where there is no manager to ask.
#include <xcb/xcb.h>

#include <QDeadlineTimer>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <memory>
#include <vector>

#include "platform/qt/WindowManager.h"
#include "platform/qt/XcbSurface.h"
#include "platform/window/Form.h"

class TXcbWindow : public QWindow {
 public:
  explicit TXcbWindow(TForm& form);
  ~TXcbWindow() override;

  HWND Handle() const { return FId; }
  TForm& Form() { return FForm; }
  void Place(const TRect& bounds);
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
  void SetGeometry(const TRect& bounds);
  void SystemMoveEnded();
  void KeepPlaceOnceMapped();
  void Moved();
  // Our place, moved to where the manager has the window.
  TRect PlacedAt(TPoint at) const;

  TForm& FForm;
  xcb_connection_t* FConnection = nullptr;
  HWND FId = 0;
  std::unique_ptr<TXcbSurface> FSurface;
  TRect FPlaced;
  QDeadlineTimer FAnswerDue;  // until then a move is the manager's answer to our request
  bool FLayered = false;
  bool FMoving = false;  // the pointer-following loop
  TSystemMove FSystemMove;
  bool FMappedPlaceKept = false;
  intptr_t FSizing = 0;  // the edge being dragged; 0 when not sizing
  TRect FSizeStart;
  QPoint FPressGlobal;
  QPoint FGrabOffset;
  bool FAcceptDrops = false;
  bool FEnabled = true;
};
