#pragma once
// A popup menu as an xdg_popup of a form's window, drawn by our own code. It
// grabs the pointer and the keys while open; a click outside it closes it.
#include <wayland-client.h>

#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/wayland/MenuNavigation.h"
#include "platform/wayland/MenuPicture.h"
#include "platform/wayland/ShmBuffers.h"
#include "platform/wayland/WaylandSeat.h"

class TWaylandDisplay;
class TSurfaceWindow;
struct xdg_surface;
struct xdg_popup;

class TPopupWindow : public TInputTarget {
 public:
  // at: the parent's window coordinates; serial: the input event that opened it.
  // The menu's picture goes out at the parent's output scale.
  TPopupWindow(TWaylandDisplay& display, TSurfaceWindow& parent, const TPopupMenu& menu, TPoint at, uint32_t serial);
  ~TPopupWindow() override;
  TPopupWindow(const TPopupWindow&) = delete;
  TPopupWindow& operator=(const TPopupWindow&) = delete;

  bool Done() const { return FDone; }
  // The chosen item; -1 for none.
  int32_t Chosen() const { return FChosen; }

  void PointerMotion(TPoint local) override;
  void PointerButton(uint32_t button, bool pressed, uint32_t serial) override;
  void PointerLeft() override;
  void PointerMoved(double /*dx*/, double /*dy*/) override {}
  void KeyPressed(uint16_t virtualKey, bool alt) override;
  void MenuKeyPressed() override { Take(TMenuStep{TMenuStep::Close}); }

 private:
  void Take(const TMenuStep& step);
  void Redraw();

  TWaylandDisplay& FDisplay;
  TMenuPicture FPicture;
  TMenuNavigation FNavigation;
  TBitmap FShown;
  const int32_t FScale;
  TBitmap FScaled;  // FShown at the output's scale, when above 1
  int32_t FDrawn = -2;  // the highlight drawn; -2 before the first picture
  wl_surface* FSurface = nullptr;
  xdg_surface* FXdgSurface = nullptr;
  xdg_popup* FPopup = nullptr;
  std::unique_ptr<TShmBuffers> FBuffers;
  bool FConfigured = false;
  TPoint FPointer;
  bool FDone = false;
  int32_t FChosen = -1;
};
