#pragma once
// A form's window as an xdg_toplevel, for the forms that are windows of the
// program like any application's (the information window): the compositor
// places, stacks and focuses it, so the keyboard comes with it, and moves it
// (xdg_toplevel.move) in the move loop. Its size is fixed (minimum = maximum),
// so that tiling compositors float it at that size; its frame is the form's own
// picture, so it asks the compositor to draw none.
#include "platform/wayland/SurfaceWindow.h"

struct xdg_toplevel;
struct zxdg_toplevel_decoration_v1;

class TToplevelWindow : public TSurfaceWindow {
 public:
  TToplevelWindow(TForm& form, TWaylandDisplay& display, TWaylandSeat& seat) : TSurfaceWindow(form, display, seat) {}
  ~TToplevelWindow() override { DestroySurface(); }

  // Only the size is ours; the place read back is where the form last asked for.
  void Place(const TRect& bounds) override;
  void StartMoveLoop() override;
  xdg_surface* PopupParent() const override { return FXdgSurface; }
  void AdoptPopup(xdg_popup* /*popup*/) override {}

 protected:
  void CreateRole() override;
  void DestroyRole() override;
  void MovedInLoop(TPoint local) override;

 private:
  void SendSize();

  xdg_surface* FXdgSurface = nullptr;
  xdg_toplevel* FToplevel = nullptr;
  zxdg_toplevel_decoration_v1* FDecoration = nullptr;
};
