#include "platform/wayland/LayerWindow.h"

#include <linux/input-event-codes.h>

#include <algorithm>

#include "platform/wayland/WaylandDisplay.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"

namespace {
constexpr const char* kNamespace = "chimora";
}  // namespace

TLayerWindow::~TLayerWindow() {
  for (const auto& [sync, at] : FPlacesSent) wl_callback_destroy(sync);
  if (FClosedSync != nullptr) wl_callback_destroy(FClosedSync);
  DestroySurface();
}

void TLayerWindow::CreateRole() {
  const TWaylandOutput* on = FDisplay.OutputFor(FBounds);
  FOn = on != nullptr ? on->Name : 0;
  FLayer = zwlr_layer_shell_v1_get_layer_surface(FDisplay.LayerShell(), FSurface, on != nullptr ? on->Output : nullptr,
                                                 ZWLR_LAYER_SHELL_V1_LAYER_TOP, kNamespace);
  static const zwlr_layer_surface_v1_listener listener{
      [](void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t /*width*/, uint32_t /*height*/) {
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        static_cast<TLayerWindow*>(data)->Configured();
      },
      [](void* data, zwlr_layer_surface_v1* /*layer*/) { static_cast<TLayerWindow*>(data)->Closed(); }};
  zwlr_layer_surface_v1_add_listener(FLayer, &listener, this);
  zwlr_layer_surface_v1_set_anchor(FLayer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT);
  zwlr_layer_surface_v1_set_exclusive_zone(FLayer, 0);
  FKeyboardAsked = false;
  SendKeyboardInteractivity();
  SendPlace();
}

bool TLayerWindow::KeyboardOnDemand() const {
  return zwlr_layer_surface_v1_get_version(FLayer) >= ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND_SINCE_VERSION;
}

void TLayerWindow::AskKeyboard(bool wanted) {
  if (FLayer == nullptr || wanted == FKeyboardAsked || KeyboardOnDemand()) return;
  FKeyboardAsked = wanted;
  SendKeyboardInteractivity();
  wl_surface_commit(FSurface);
}

void TLayerWindow::SendKeyboardInteractivity() {
  uint32_t interactivity = ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE;
  if (FEnabled && KeyboardOnDemand()) {
    interactivity = ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_ON_DEMAND;
  } else if (FEnabled && FKeyboardAsked) {
    interactivity = ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE;
  }
  zwlr_layer_surface_v1_set_keyboard_interactivity(FLayer, interactivity);
}

void TLayerWindow::SetEnabled(bool enabled) {
  TSurfaceWindow::SetEnabled(enabled);
  if (!enabled) FKeyboardAsked = false;
  if (FLayer == nullptr) return;
  SendKeyboardInteractivity();
  wl_surface_commit(FSurface);
}

void TLayerWindow::DestroyRole() {
  if (FLayer != nullptr) zwlr_layer_surface_v1_destroy(std::exchange(FLayer, nullptr));
}

void TLayerWindow::AdoptPopup(xdg_popup* popup) { zwlr_layer_surface_v1_get_popup(FLayer, popup); }

// Whether the output went is known once what the compositor sent with the
// closing has been read: the answer to a sync.
void TLayerWindow::Closed() {
  DestroySurface();
  if (FClosedSync != nullptr) return;
  static const wl_callback_listener listener{[](void* data, wl_callback* callback, uint32_t /*serial*/) {
    auto* self = static_cast<TLayerWindow*>(data);
    wl_callback_destroy(callback);
    self->FClosedSync = nullptr;
    self->FOutput = nullptr;
    if (self->FDisplay.OutputNamed(self->FOn) != nullptr && self->FEnabled) self->FForm.CloseRequested();
    // Still wanted: the output went, or the form stays.
    self->Reappear();
  }};
  FClosedSync = wl_display_sync(FDisplay.Display());
  wl_callback_add_listener(FClosedSync, &listener, this);
}

// The window keeps its distance from the corner of the output that went, on the
// primary output, whole, hanging from its top as the form would have it.
void TLayerWindow::Reappear() {
  if (!FVisible || FSurface != nullptr || FClosedSync != nullptr) return;
  const TWaylandOutput* primary = FDisplay.Primary();
  if (primary == nullptr) return;
  if (FDisplay.OutputNamed(FOn) == nullptr) {
    const TRect& area = primary->Bounds;
    const int32_t width = FBounds.Right - FBounds.Left, height = FBounds.Bottom - FBounds.Top;
    const int64_t wanted = int64_t{area.Left} + FBounds.Left - FOnOrigin.x;
    const auto left = static_cast<int32_t>(std::clamp<int64_t>(wanted, area.Left, std::max<int64_t>(area.Left, int64_t{area.Right} - width)));
    FBounds = TRect{left, area.Top, left + width, area.Top + height};
    FForm.BoundsChangedBySystem(FBounds);
  }
  CreateSurface();
}

TPoint TLayerWindow::OutputOrigin() {
  if (const TWaylandOutput* on = FDisplay.OutputNamed(FOn)) FOnOrigin = TPoint{on->Bounds.Left, on->Bounds.Top};
  return FOnOrigin;
}

// Called with each presented picture: a surface taken away with its output comes back here.
void TLayerWindow::Place(const TRect& bounds) {
  Reappear();
  if (bounds == FBounds) return;
  FBounds = bounds;
  if (FLayer != nullptr && !FollowOutput()) SendPlace();
}

bool TLayerWindow::FollowOutput() {
  if (FLayer == nullptr || FMoving) return false;
  const TWaylandOutput* on = FDisplay.OutputFor(FBounds);
  if (on == nullptr || on->Name == FOn) return false;
  DestroySurface();
  CreateSurface();
  return true;
}

void TLayerWindow::EndMoveLoop() {
  FMoving = false;
  FollowOutput();
  TSurfaceWindow::EndMoveLoop();
}

// Size and margins take effect at the commit; pointer events after the sync's
// answer are relative to the new place.
void TLayerWindow::SendPlace() {
  const TPoint origin = OutputOrigin();
  zwlr_layer_surface_v1_set_size(FLayer, static_cast<uint32_t>(std::max(1, FBounds.Right - FBounds.Left)),
                                 static_cast<uint32_t>(std::max(1, FBounds.Bottom - FBounds.Top)));
  zwlr_layer_surface_v1_set_margin(FLayer, FBounds.Top - origin.y, 0, 0, FBounds.Left - origin.x);
  wl_surface_commit(FSurface);
  static const wl_callback_listener listener{[](void* data, wl_callback* callback, uint32_t /*serial*/) {
    auto* self = static_cast<TLayerWindow*>(data);
    auto& sent = self->FPlacesSent;
    const auto it = std::find_if(sent.begin(), sent.end(), [callback](const auto& s) { return s.first == callback; });
    if (it == sent.end()) return;
    self->FApplied = it->second;
    sent.erase(it);
    wl_callback_destroy(callback);
  }};
  wl_callback* sync = wl_display_sync(FDisplay.Display());
  wl_callback_add_listener(sync, &listener, this);
  FPlacesSent.emplace_back(sync, TPoint{FBounds.Left, FBounds.Top});
}

void TLayerWindow::StartMoveLoop() {
  // Only while the button that started it is down: the loop ends at its release.
  if (!FSeat.LeftHeld()) return;
  FMoving = true;
  // The pointer has left the grab point already: the move that started the loop.
  FMoveX = FBounds.Left + FPointer.x - FGrab.x;
  FMoveY = FBounds.Top + FPointer.y - FGrab.y;
  MoveTo(TPoint{static_cast<int32_t>(FMoveX), static_cast<int32_t>(FMoveY)});
}

void TLayerWindow::MoveTo(TPoint at) {
  const TRect bounds{at.x, at.y, at.x + FBounds.Right - FBounds.Left, at.y + FBounds.Bottom - FBounds.Top};
  Place(bounds);
  FForm.BoundsChangedBySystem(bounds);
}

void TLayerWindow::PointerButton(uint32_t button, bool pressed, uint32_t serial) {
  if (pressed && FEnabled && !FMoving && (button == BTN_LEFT || button == BTN_RIGHT)) AskKeyboard(true);
  TSurfaceWindow::PointerButton(button, pressed, serial);
}

void TLayerWindow::PointerLeft() {
  if (!FMoving) AskKeyboard(false);
  TSurfaceWindow::PointerLeft();
}

void TLayerWindow::PointerMoved(double dx, double dy) {
  if (!FEnabled || !FMoving) return;
  FMoveX += dx;
  FMoveY += dy;
  const TPoint at{static_cast<int32_t>(FMoveX), static_cast<int32_t>(FMoveY)};
  FSeat.PointerAt(TPoint{at.x + FGrab.x, at.y + FGrab.y});
  MoveTo(at);
}

// Without the pointer's own move: the surface coordinates taken as relative to
// where the compositor has the surface now.
void TLayerWindow::MovedInLoop(TPoint local) {
  if (FSeat.MovedRelatively()) return;
  FMoveX = FApplied.x + local.x - FGrab.x;
  FMoveY = FApplied.y + local.y - FGrab.y;
  MoveTo(TPoint{static_cast<int32_t>(FMoveX), static_cast<int32_t>(FMoveY)});
}
