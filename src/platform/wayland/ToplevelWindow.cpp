#include "platform/wayland/ToplevelWindow.h"

#include <algorithm>
#include <utility>

#include "platform/wayland/WaylandDisplay.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {
constexpr const char* kAppId = "chimora";
}  // namespace

void TToplevelWindow::CreateRole() {
  FXdgSurface = xdg_wm_base_get_xdg_surface(FDisplay.WmBase(), FSurface);
  static const xdg_surface_listener surfaceListener{[](void* data, xdg_surface* surface, uint32_t serial) {
    xdg_surface_ack_configure(surface, serial);
    static_cast<TToplevelWindow*>(data)->Configured();
  }};
  xdg_surface_add_listener(FXdgSurface, &surfaceListener, this);
  FToplevel = xdg_surface_get_toplevel(FXdgSurface);
  // The size the compositor suggests is ignored: ours is fixed.
  static const xdg_toplevel_listener listener{
      [](void*, xdg_toplevel*, int32_t, int32_t, wl_array*) {},
      [](void* data, xdg_toplevel*) {
        auto* self = static_cast<TToplevelWindow*>(data);
        if (self->FEnabled) self->FForm.CloseRequested();
      },
      [](void*, xdg_toplevel*, int32_t, int32_t) {},
      [](void*, xdg_toplevel*, wl_array*) {}};
  xdg_toplevel_add_listener(FToplevel, &listener, this);
  xdg_toplevel_set_title(FToplevel, ToUtf8(FForm.Caption()).c_str());
  xdg_toplevel_set_app_id(FToplevel, kAppId);
  if (FDisplay.Decorations() != nullptr) {
    FDecoration = zxdg_decoration_manager_v1_get_toplevel_decoration(FDisplay.Decorations(), FToplevel);
    zxdg_toplevel_decoration_v1_set_mode(FDecoration, ZXDG_TOPLEVEL_DECORATION_V1_MODE_CLIENT_SIDE);
  }
  SendSize();
  wl_surface_commit(FSurface);
}

void TToplevelWindow::DestroyRole() {
  if (FDecoration != nullptr) zxdg_toplevel_decoration_v1_destroy(std::exchange(FDecoration, nullptr));
  if (FToplevel != nullptr) xdg_toplevel_destroy(std::exchange(FToplevel, nullptr));
  if (FXdgSurface != nullptr) xdg_surface_destroy(std::exchange(FXdgSurface, nullptr));
}

void TToplevelWindow::SendSize() {
  const int32_t width = std::max(1, FBounds.Right - FBounds.Left), height = std::max(1, FBounds.Bottom - FBounds.Top);
  xdg_toplevel_set_min_size(FToplevel, width, height);
  xdg_toplevel_set_max_size(FToplevel, width, height);
}

void TToplevelWindow::Place(const TRect& bounds) {
  if (bounds == FBounds) return;
  const bool sized = bounds.Right - bounds.Left != FBounds.Right - FBounds.Left || bounds.Bottom - bounds.Top != FBounds.Bottom - FBounds.Top;
  FBounds = bounds;
  FApplied = TPoint{bounds.Left, bounds.Top};
  if (sized && FToplevel != nullptr) SendSize();
}

void TToplevelWindow::StartMoveLoop() {
  // Only while the button that started it is down: the compositor's move ends at its release.
  if (!FSeat.LeftHeld()) return;
  FMoving = true;
  xdg_toplevel_move(FToplevel, FSeat.Object(), FPressSerial);
}

// The compositor holds the pointer while it moves the window and gives it back
// (an enter) with the button released; a compositor that refused the move sends
// the release itself.
void TToplevelWindow::MovedInLoop(TPoint /*local*/) {
  if (!FSeat.LeftHeld()) EndMoveLoop();
}
