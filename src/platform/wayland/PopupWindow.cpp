#include "platform/wayland/PopupWindow.h"

#include <linux/input-event-codes.h>

#include "platform/graphics/BitmapScale.h"
#include "platform/wayland/SurfaceWindow.h"
#include "platform/wayland/WaylandDisplay.h"
#include "xdg-shell-client-protocol.h"

TPopupWindow::TPopupWindow(TWaylandDisplay& display, TSurfaceWindow& parent, const TPopupMenu& menu, TPoint at, uint32_t serial)
    : FDisplay(display), FPicture(menu), FNavigation(menu), FScale(parent.Scale()) {
  FSurface = wl_compositor_create_surface(display.Compositor());
  wl_surface_set_user_data(FSurface, static_cast<TInputTarget*>(this));
  FXdgSurface = xdg_wm_base_get_xdg_surface(display.WmBase(), FSurface);
  static const xdg_surface_listener surfaceListener{[](void* data, xdg_surface* surface, uint32_t serial) {
    auto* self = static_cast<TPopupWindow*>(data);
    xdg_surface_ack_configure(surface, serial);
    self->FConfigured = true;
    self->Redraw();
  }};
  xdg_surface_add_listener(FXdgSurface, &surfaceListener, this);
  // Below and right of the point, flipped or slid where the output ends.
  xdg_positioner* positioner = xdg_wm_base_create_positioner(display.WmBase());
  xdg_positioner_set_size(positioner, FPicture.Size().x, FPicture.Size().y);
  xdg_positioner_set_anchor_rect(positioner, at.x, at.y, 1, 1);
  xdg_positioner_set_anchor(positioner, XDG_POSITIONER_ANCHOR_TOP_LEFT);
  xdg_positioner_set_gravity(positioner, XDG_POSITIONER_GRAVITY_BOTTOM_RIGHT);
  xdg_positioner_set_constraint_adjustment(positioner, XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_X | XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_FLIP_Y |
                                                           XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_X |
                                                           XDG_POSITIONER_CONSTRAINT_ADJUSTMENT_SLIDE_Y);
  FPopup = xdg_surface_get_popup(FXdgSurface, parent.PopupParent(), positioner);
  xdg_positioner_destroy(positioner);
  static const xdg_popup_listener popupListener{
      [](void*, xdg_popup*, int32_t, int32_t, int32_t, int32_t) {},
      [](void* data, xdg_popup*) { static_cast<TPopupWindow*>(data)->FDone = true; },  // a click outside
      [](void*, xdg_popup*, uint32_t) {}};
  xdg_popup_add_listener(FPopup, &popupListener, this);
  parent.AdoptPopup(FPopup);
  xdg_popup_grab(FPopup, display.Seat().Object(), serial);
  FBuffers = std::make_unique<TShmBuffers>(display.Shm(), [this] { Redraw(); });
  display.Seat().GrabKeys(this);
  wl_surface_commit(FSurface);
}

TPopupWindow::~TPopupWindow() {
  FDisplay.Seat().GrabKeys(nullptr);
  FDisplay.Seat().Forget(this);
  FBuffers.reset();
  xdg_popup_destroy(FPopup);
  xdg_surface_destroy(FXdgSurface);
  wl_surface_destroy(FSurface);
  wl_display_flush(FDisplay.Display());
}

void TPopupWindow::Redraw() {
  const int32_t highlighted = FNavigation.Highlighted();
  if (!FConfigured || highlighted == FDrawn) return;
  FPicture.Draw(FShown, highlighted);
  if (FScale > 1) ScaleUp32(FShown, FScale, FScaled, TRect{0, 0, FShown.Width(), FShown.Height()});
  const TBitmap& picture = FScale > 1 ? FScaled : FShown;
  FBuffers->Changed(TRect{0, 0, picture.Width(), picture.Height()});
  wl_buffer* buffer = FBuffers->Take(picture);
  if (buffer == nullptr) return;  // drawn once the compositor lets a buffer go
  FDrawn = highlighted;
  wl_surface_set_buffer_scale(FSurface, FScale);
  wl_surface_attach(FSurface, buffer, 0, 0);
  wl_surface_damage_buffer(FSurface, 0, 0, picture.Width(), picture.Height());
  wl_surface_commit(FSurface);
}

void TPopupWindow::Take(const TMenuStep& step) {
  if (step.What == TMenuStep::Choose) FChosen = step.Item;
  if (step.What != TMenuStep::Stay) FDone = true;
  Redraw();
}

void TPopupWindow::PointerMotion(TPoint local) {
  FPointer = local;
  FNavigation.Hover(FPicture.ItemAt(local));
  Redraw();
}

void TPopupWindow::PointerButton(uint32_t button, bool pressed, uint32_t /*serial*/) {
  if (!pressed && (button == BTN_LEFT || button == BTN_RIGHT)) Take(FNavigation.Release(FPicture.ItemAt(FPointer)));
}

void TPopupWindow::PointerLeft() {
  FNavigation.Hover(-1);
  Redraw();
}

void TPopupWindow::KeyPressed(uint16_t virtualKey, bool /*alt*/) { Take(FNavigation.Key(virtualKey)); }
