#pragma once
// A frameless, always-on-top top-level window whose pixels we upload ourselves
// over Qt's own xcb connection: Qt never paints it. It turns Qt's events into
// the form's messages and runs the pointer-following move loop.
#include <xcb/xcb.h>

#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>
#include <vector>

#include "platform/window/Form.h"

class TXcbWindow : public QWindow {
 public:
  explicit TXcbWindow(TForm& form);
  ~TXcbWindow() override;

  HWND Handle() const { return FId; }
  TForm& Form() { return FForm; }
  void Place(const TRect& bounds);
  // Uploads 32-bit pixels (premultiplied when layered) at window coordinates.
  void Upload(int32_t x, int32_t y, const TBitmap& bitmap);
  void Fill(const TRect& rect, Color32 color);
  // The layered picture, shown again whenever the window is exposed; it stays
  // with the caller and lives until the next one.
  void ShowLayered(int32_t x, int32_t y, const TBitmap& picture);
  // Rectangles of the window's shape; none: unshaped. Layered windows take
  // clicks only where alpha is above 0.
  void SetBoundingShape(const std::vector<TRect>* rects);
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
  void SetInputShape(const std::vector<TRect>* rects);
  void Paint();
  void Mouse(QMouseEvent* event, uint32_t msg);
  void Drop(QDropEvent* event);
  void Key(QKeyEvent* event);
  void SetNetWmState();

  TForm& FForm;
  xcb_connection_t* FConnection = nullptr;
  HWND FId = 0;
  uint32_t FGc = 0;
  uint8_t FDepth = 32;
  TRect FPlaced;
  bool FLayered = false;
  const TBitmap* FPicture = nullptr;
  std::vector<TRect> FInputShape;
  std::vector<TRect> FVisible;  // kept to reuse its memory every frame
  bool FInputShaped = false;
  bool FMoving = false;
  intptr_t FSizing = 0;  // the edge being dragged; 0 when not sizing
  TRect FSizeStart;
  QPoint FPressGlobal;
  QPoint FGrabOffset;
  bool FAcceptDrops = false;
  bool FEnabled = true;
};
