#pragma once
// A form's window as a layer surface: on the top layer, anchored to the top and
// left edges of its output with the form's place as margins and no exclusive
// zone, so that it hangs below the bars that reserve space and is on every
// workspace. Its input region is what the hit test accepts: the pixels with any
// alpha, or the form's region. The system's move loop moves the margins while
// the left button is held. The keyboard comes once the window was clicked
// (before version 4 of the layer shell, as AskKeyboard says). On
// an output of scale 2 or more the picture is sent at that scale (buffer
// scale), so the window has the same size on every output.
#include <wayland-client.h>

#include <memory>
#include <utility>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/wayland/ShmBuffers.h"
#include "platform/wayland/WaylandSeat.h"
#include "platform/window/Form.h"

class TWaylandDisplay;
struct zwlr_layer_surface_v1;

class TLayerWindow : public TInputTarget {
 public:
  TLayerWindow(TForm& form, TWaylandDisplay& display, TWaylandSeat& seat);
  ~TLayerWindow() override;
  TLayerWindow(const TLayerWindow&) = delete;
  TLayerWindow& operator=(const TLayerWindow&) = delete;

  HWND Handle() const { return reinterpret_cast<HWND>(this); }
  TForm& Form() { return FForm; }
  void Show(bool visible);
  // Where the form wants the window (screen coordinates).
  void Place(const TRect& bounds);
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
  void StartMoveLoop();
  void SetEnabled(bool enabled) { FEnabled = enabled; }
  bool Enabled() const { return FEnabled; }

  void PointerMotion(TPoint local) override;
  void PointerButton(uint32_t button, bool pressed, uint32_t serial) override;
  void PointerLeft() override;
  void KeyboardLeft() override { AskKeyboard(false); }
  void PointerMoved(double dx, double dy) override;
  void KeyPressed(uint16_t virtualKey, bool alt) override;
  void MenuKeyPressed() override;
  bool AcceptsDrops() const override { return FAcceptDrops && FEnabled; }
  void Dropped(const std::vector<std::string>& paths) override;
  void AcceptDrops(bool accept) { FAcceptDrops = accept; }
  const char* CursorName() const override { return FCursor == TCursor::crHandPoint ? "hand2" : "left_ptr"; }
  void SetCursor(TCursor cursor);

  // Null while hidden.
  zwlr_layer_surface_v1* Layer() const { return FLayer; }
  // A screen point in window coordinates, as the compositor has the window.
  TPoint Local(TPoint screen) const { return TPoint{screen.x - FApplied.x, screen.y - FApplied.y}; }

  // The output's scale, at which the window's pictures go out.
  int32_t Scale() const { return FScale; }

 private:
  void CreateSurface();
  void DestroySurface();
  // The compositor took the surface away: its output went, or the user closed
  // it with the compositor's own binding (KWin's Alt+F4).
  void Closed();
  void SendPlace();
  void Flush();
  void UpdateInputRegion();
  void MoveTo(TPoint at);
  // The picture changed inside rect (window coordinates).
  void Changed(const TRect& rect);
  // The output's scale: the picture goes out at that size, each pixel a square.
  void SetScale(int32_t scale);
  // Whether the layer shell gives the keyboard on demand (version 4 on).
  bool KeyboardOnDemand() const;
  // Without it, keyboard interactivity is a yes or no: a yes at the start would
  // take the keyboard from the user's window (KWin activates a layer surface
  // that takes keys when it appears) and, where a yes means exclusive, keep it.
  // So it is asked for with a click on the window and given up when the pointer
  // or the keyboard leaves it: Alt+F4 and the menu's keys work after a click,
  // and a click elsewhere takes the keyboard back.
  void AskKeyboard(bool wanted);
  TRect Scaled(const TRect& r) const { return TRect{r.Left * FScale, r.Top * FScale, r.Right * FScale, r.Bottom * FScale}; }
  TPoint OutputOrigin() const;
  TPoint Screen(TPoint local) const { return TPoint{FApplied.x + local.x, FApplied.y + local.y}; }

  TForm& FForm;
  TWaylandDisplay& FDisplay;
  TWaylandSeat& FSeat;
  wl_surface* FSurface = nullptr;
  zwlr_layer_surface_v1* FLayer = nullptr;
  std::unique_ptr<TShmBuffers> FBuffers;
  wl_callback* FFrame = nullptr;
  wl_output* FOutput = nullptr;  // the one the surface last entered
  wl_callback* FClosedSync = nullptr;
  bool FConfigured = false;
  bool FVisible = false;
  bool FLayered = false;
  bool FEnabled = true;
  bool FAcceptDrops = false;
  bool FKeyboardAsked = false;
  TCursor FCursor = TCursor::crDefault;
  TBitmap FShown;  // what the window shows, whole
  TBitmap FScaled;  // FShown at the output's scale, when above 1
  int32_t FScale = 1;
  TRect FDamage;   // changed since the last commit
  TRect FBounds;   // as sent to the compositor
  TPoint FApplied;  // the place the compositor's pointer events are relative to
  // Places sent, each applied once the sync that followed it is answered.
  std::vector<std::pair<wl_callback*, TPoint>> FPlacesSent;
  TPoint FPointer;  // window coordinates
  std::vector<TRect> FShape;
  bool FShaped = false;
  std::vector<TRect> FInput, FRuns;
  bool FInputSet = false;
  bool FMoving = false;
  TPoint FGrab;  // where the left button went down, window coordinates
  double FMoveX = 0, FMoveY = 0;  // the window's place during the move loop

};
