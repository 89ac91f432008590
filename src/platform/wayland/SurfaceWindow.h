#pragma once
// What every window of a form is on Wayland, whatever its role: a wl_surface
// with our own copy of its picture, sent through two shm buffers (damage = what
// changed, paced by frame callbacks), at the scale of the output it is on; an
// input region that follows the picture's alpha or the form's shape; the
// pointer, keys and drops delivered to the form. The role (layer surface,
// toplevel) is the subclass's: it places the window and runs its move loop.
#include <wayland-client.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/wayland/ShmBuffers.h"
#include "platform/wayland/WaylandSeat.h"
#include "platform/window/Form.h"

class TWaylandDisplay;
struct xdg_surface;
struct xdg_popup;

class TSurfaceWindow : public TInputTarget {
 public:
  TSurfaceWindow(TForm& form, TWaylandDisplay& display, TWaylandSeat& seat);
  // A subclass destroys the surface (DestroySurface) in its own destructor, while its role still exists.
  ~TSurfaceWindow() override = default;
  TSurfaceWindow(const TSurfaceWindow&) = delete;
  TSurfaceWindow& operator=(const TSurfaceWindow&) = delete;

  HWND Handle() const { return reinterpret_cast<HWND>(this); }
  TForm& Form() { return FForm; }
  void Show(bool visible);
  // Where the form wants the window (screen coordinates); how much of it the
  // compositor lets us choose is the role's.
  virtual void Place(const TRect& bounds) = 0;
  // The picture (premultiplied) changed inside `changed`; nothing of it is kept
  // but our own copy.
  void Present(const TBitmap& picture, const TRect& changed);
  // The form paints its picture again (a window that is not layered).
  void Repaint();
  void SetLayered(bool layered) { FLayered = layered; }
  bool Layered() const { return FLayered; }
  // Rectangles (window coordinates) outside which the window takes no input and
  // shows nothing; none: the whole window.
  void SetShape(const std::vector<TRect>* rects);
  // Follows the pointer until the left button is released, then MoveLoopEnded.
  virtual void StartMoveLoop() = 0;
  virtual void SetEnabled(bool enabled) { FEnabled = enabled; }
  bool Enabled() const { return FEnabled; }

  // Whether a menu can open on it now: it is shown.
  bool Mapped() const { return FSurface != nullptr; }
  // The parent a popup of this window is made with (none for a layer surface),
  // and the popup given to the role once made.
  virtual xdg_surface* PopupParent() const = 0;
  virtual void AdoptPopup(xdg_popup* popup) = 0;

  void PointerMotion(TPoint local) override;
  void PointerButton(uint32_t button, bool pressed, uint32_t serial) override;
  void PointerLeft() override;
  void PointerMoved(double /*dx*/, double /*dy*/) override {}
  void KeyPressed(uint16_t virtualKey, bool alt) override;
  void MenuKeyPressed() override;
  bool AcceptsDrops() const override { return FAcceptDrops && FEnabled; }
  void Dropped(const std::vector<std::string>& paths) override;
  void AcceptDrops(bool accept) { FAcceptDrops = accept; }
  const char* CursorName() const override { return FCursor == TCursor::crHandPoint ? "hand2" : "left_ptr"; }
  void SetCursor(TCursor cursor);

  // A screen point in window coordinates, as the compositor has the window.
  TPoint Local(TPoint screen) const { return TPoint{screen.x - FApplied.x, screen.y - FApplied.y}; }
  // The output's scale, at which the window's pictures go out.
  int32_t Scale() const { return FScale; }

 protected:
  // The role's objects over FSurface, made when the window is shown and gone
  // when it is hidden; the first configure of the role calls Configured.
  virtual void CreateRole() = 0;
  virtual void DestroyRole() = 0;
  // The pointer moved (window coordinates) during the move loop.
  virtual void MovedInLoop(TPoint local) = 0;
  void CreateSurface();
  void DestroySurface();
  // The compositor configured the role: the whole picture goes out.
  void Configured();
  virtual void EndMoveLoop();
  TPoint Screen(TPoint local) const { return TPoint{FApplied.x + local.x, FApplied.y + local.y}; }

  TForm& FForm;
  TWaylandDisplay& FDisplay;
  TWaylandSeat& FSeat;
  wl_surface* FSurface = nullptr;
  wl_output* FOutput = nullptr;  // the one the surface last entered
  bool FVisible = false;
  bool FEnabled = true;
  TRect FBounds;    // as sent to the compositor
  TPoint FApplied;  // the place the compositor's pointer events are relative to
  TPoint FPointer;  // window coordinates
  TPoint FGrab;     // where the left button went down, window coordinates
  uint32_t FPressSerial = 0;  // the left button's press
  bool FMoving = false;

 private:
  void Flush();
  void UpdateInputRegion();
  // The picture changed inside rect (window coordinates).
  void Changed(const TRect& rect);
  // The output's scale: the picture goes out at that size, each pixel a square.
  void SetScale(int32_t scale);
  TRect Scaled(const TRect& r) const { return TRect{r.Left * FScale, r.Top * FScale, r.Right * FScale, r.Bottom * FScale}; }
  void Deliver(TPointerAction action, TPoint local);

  std::unique_ptr<TShmBuffers> FBuffers;
  wl_callback* FFrame = nullptr;
  bool FConfigured = false;
  bool FLayered = false;
  bool FAcceptDrops = false;
  TCursor FCursor = TCursor::crDefault;
  TBitmap FShown;   // what the window shows, whole
  TBitmap FScaled;  // FShown at the output's scale, when above 1
  int32_t FScale = 1;
  TRect FDamage;  // changed since the last commit
  std::vector<TRect> FShape;
  bool FShaped = false;
  std::vector<TRect> FInput, FRuns;
  bool FInputSet = false;
};
