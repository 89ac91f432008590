#include "platform/wayland/WaylandSeat.h"

#include <linux/input-event-codes.h>
#include <wayland-cursor.h>

#include <cstdlib>
#include <utility>

#include "platform/wayland/WaylandDisplay.h"
#include "platform/wayland/WaylandKeyboard.h"
#include "relative-pointer-unstable-v1-client-protocol.h"

namespace {
TPoint Local(wl_fixed_t x, wl_fixed_t y) { return TPoint{wl_fixed_to_int(x), wl_fixed_to_int(y)}; }
}  // namespace

TWaylandSeat::TWaylandSeat(wl_seat* seat, const TWaylandDisplay& display) : FSeat(seat), FDisplay(display) {
  static const wl_seat_listener listener{Capabilities, [](void*, wl_seat*, const char*) {}};
  wl_seat_add_listener(FSeat, &listener, this);
}

TWaylandSeat::~TWaylandSeat() {
  FKeyboard.reset();
  ReleasePointer();
  if (FCursorSurface != nullptr) wl_surface_destroy(FCursorSurface);
  if (FCursorTheme != nullptr) wl_cursor_theme_destroy(FCursorTheme);
  wl_seat_destroy(FSeat);
}

void TWaylandSeat::ReleasePointer() {
  if (FRelative != nullptr) zwp_relative_pointer_v1_destroy(std::exchange(FRelative, nullptr));
  if (FPointer != nullptr) wl_pointer_release(std::exchange(FPointer, nullptr));
  FFocus = nullptr;
}

// From the user's cursor theme (XCURSOR_THEME, XCURSOR_SIZE; the default one at 24 px).
void TWaylandSeat::ShowCursor() {
  constexpr int kCursorSize = 24;
  if (FPointer == nullptr || FFocus == nullptr) return;
  if (FCursorTheme == nullptr) {
    const char* size = std::getenv("XCURSOR_SIZE");
    FCursorTheme = wl_cursor_theme_load(std::getenv("XCURSOR_THEME"), size != nullptr ? std::atoi(size) : kCursorSize, FDisplay.Shm());
    FCursorSurface = wl_compositor_create_surface(FDisplay.Compositor());
  }
  wl_cursor* cursor = FCursorTheme != nullptr ? wl_cursor_theme_get_cursor(FCursorTheme, FFocus->CursorName()) : nullptr;
  if (cursor == nullptr || cursor->image_count == 0) return;  // no theme: the compositor's shape stays
  wl_cursor_image* image = cursor->images[0];
  wl_surface_attach(FCursorSurface, wl_cursor_image_get_buffer(image), 0, 0);
  wl_surface_damage_buffer(FCursorSurface, 0, 0, static_cast<int32_t>(image->width), static_cast<int32_t>(image->height));
  wl_surface_commit(FCursorSurface);
  wl_pointer_set_cursor(FPointer, FEnterSerial, FCursorSurface, static_cast<int32_t>(image->hotspot_x), static_cast<int32_t>(image->hotspot_y));
}

void TWaylandSeat::Forget(TInputTarget* target) {
  if (FFocus == target) FFocus = nullptr;
  if (FKeyboard) FKeyboard->Forget(target);
}

TShortCut TWaylandSeat::Modifiers() const { return FKeyboard ? FKeyboard->Modifiers() : 0; }

void TWaylandSeat::GrabKeys(TInputTarget* target) {
  if (FKeyboard) FKeyboard->Grab(target);
}

void TWaylandSeat::Capabilities(void* data, wl_seat* seat, uint32_t capabilities) {
  auto* self = static_cast<TWaylandSeat*>(data);
  const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
  if (pointer && self->FPointer == nullptr) {
    static const wl_pointer_listener listener{
        Enter, Leave, Motion, Button,
        [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},  // axis
        Frame,
        [](void*, wl_pointer*, uint32_t) {},                        // axis source
        [](void*, wl_pointer*, uint32_t, uint32_t) {},              // axis stop
        [](void*, wl_pointer*, uint32_t, int32_t) {},               // axis discrete
        [](void*, wl_pointer*, uint32_t, int32_t) {}};              // axis value120
    self->FPointer = wl_seat_get_pointer(seat);
    wl_pointer_add_listener(self->FPointer, &listener, self);
    if (zwp_relative_pointer_manager_v1* relativePointers = self->FDisplay.RelativePointers()) {
      static const zwp_relative_pointer_v1_listener relative{[](void* data, zwp_relative_pointer_v1*, uint32_t, uint32_t, wl_fixed_t dx,
                                                                wl_fixed_t dy, wl_fixed_t, wl_fixed_t) {
        auto* self = static_cast<TWaylandSeat*>(data);
        if (dx == 0 && dy == 0) return;
        self->FMovedRelatively = true;
        if (self->FFocus != nullptr) self->FFocus->PointerMoved(wl_fixed_to_double(dx), wl_fixed_to_double(dy));
      }};
      self->FRelative = zwp_relative_pointer_manager_v1_get_relative_pointer(relativePointers, self->FPointer);
      zwp_relative_pointer_v1_add_listener(self->FRelative, &relative, self);
    }
  } else if (!pointer && self->FPointer != nullptr) {
    self->ReleasePointer();
  }
  const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
  if (keyboard && !self->FKeyboard) self->FKeyboard = std::make_unique<TWaylandKeyboard>(wl_seat_get_keyboard(seat));
  if (!keyboard) self->FKeyboard.reset();
}

void TWaylandSeat::Enter(void* data, wl_pointer* /*pointer*/, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
  auto* self = static_cast<TWaylandSeat*>(data);
  self->FSerial = self->FEnterSerial = serial;
  self->FFocus = surface != nullptr ? static_cast<TInputTarget*>(wl_surface_get_user_data(surface)) : nullptr;
  self->ShowCursor();
  if (self->FFocus != nullptr) self->FFocus->PointerMotion(Local(x, y));
}

void TWaylandSeat::Leave(void* data, wl_pointer* /*pointer*/, uint32_t serial, wl_surface* /*surface*/) {
  auto* self = static_cast<TWaylandSeat*>(data);
  self->FSerial = serial;
  // The buttons' state is the compositor's to tell again at the next enter.
  self->FLeft = self->FRight = false;
  if (TInputTarget* left = self->FFocus) {
    self->FFocus = nullptr;
    left->PointerLeft();
  }
}

void TWaylandSeat::Motion(void* data, wl_pointer* /*pointer*/, uint32_t /*time*/, wl_fixed_t x, wl_fixed_t y) {
  auto* self = static_cast<TWaylandSeat*>(data);
  self->FMotion = Local(x, y);
  if (wl_pointer_get_version(self->FPointer) < WL_POINTER_FRAME_SINCE_VERSION) Frame(data, self->FPointer);
}

void TWaylandSeat::Frame(void* data, wl_pointer* /*pointer*/) {
  auto* self = static_cast<TWaylandSeat*>(data);
  if (self->FMotion && self->FFocus != nullptr) self->FFocus->PointerMotion(*self->FMotion);
  self->FMotion.reset();
  self->FMovedRelatively = false;
}

void TWaylandSeat::Button(void* data, wl_pointer* /*pointer*/, uint32_t serial, uint32_t /*time*/, uint32_t button, uint32_t state) {
  auto* self = static_cast<TWaylandSeat*>(data);
  self->FSerial = serial;
  const bool pressed = state == WL_POINTER_BUTTON_STATE_PRESSED;
  if (button == BTN_LEFT) self->FLeft = pressed;
  if (button == BTN_RIGHT) self->FRight = pressed;
  if (self->FFocus != nullptr) self->FFocus->PointerButton(button, pressed, serial);
}
