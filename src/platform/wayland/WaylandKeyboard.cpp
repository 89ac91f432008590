#include "platform/wayland/WaylandKeyboard.h"

#include <sys/mman.h>
#include <unistd.h>

#include <utility>

#include "platform/wayland/WaylandSeat.h"

uint16_t VirtualKeyOf(xkb_keysym_t symbol) {
  if (symbol >= XKB_KEY_a && symbol <= XKB_KEY_z) return static_cast<uint16_t>('A' + (symbol - XKB_KEY_a));
  if (symbol >= XKB_KEY_A && symbol <= XKB_KEY_Z) return static_cast<uint16_t>('A' + (symbol - XKB_KEY_A));
  if (symbol >= XKB_KEY_0 && symbol <= XKB_KEY_9) return static_cast<uint16_t>('0' + (symbol - XKB_KEY_0));
  if (symbol >= XKB_KEY_F1 && symbol <= XKB_KEY_F12) return static_cast<uint16_t>(VK_F1 + (symbol - XKB_KEY_F1));
  switch (symbol) {
    case XKB_KEY_Return:
    case XKB_KEY_KP_Enter:
      return VK_RETURN;
    case XKB_KEY_Escape:
      return VK_ESCAPE;
    case XKB_KEY_space:
      return VK_SPACE;
    case XKB_KEY_Up:
      return VK_UP;
    case XKB_KEY_Down:
      return VK_DOWN;
    default:
      return 0;
  }
}

TWaylandKeyboard::TWaylandKeyboard(wl_keyboard* keyboard)
    : FKeyboard(keyboard), FContext(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
  static const wl_keyboard_listener listener{Keymap, Enter, Leave, Key, Modifiers,
                                             [](void*, wl_keyboard*, int32_t, int32_t) {}};  // repeat info: no repeats here
  wl_keyboard_add_listener(FKeyboard, &listener, this);
}

TWaylandKeyboard::~TWaylandKeyboard() {
  wl_keyboard_release(FKeyboard);
  if (FState != nullptr) xkb_state_unref(FState);
  if (FKeymap != nullptr) xkb_keymap_unref(FKeymap);
  xkb_context_unref(FContext);
}

void TWaylandKeyboard::Forget(TInputTarget* target) {
  if (FFocus == target) FFocus = nullptr;
  if (FGrab == target) FGrab = nullptr;
}

void TWaylandKeyboard::Keymap(void* data, wl_keyboard* /*keyboard*/, uint32_t format, int32_t fd, uint32_t size) {
  auto* self = static_cast<TWaylandKeyboard*>(data);
  void* text = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
  ::close(fd);
  if (text == MAP_FAILED) return;
  xkb_keymap* keymap = xkb_keymap_new_from_string(self->FContext, static_cast<const char*>(text), XKB_KEYMAP_FORMAT_TEXT_V1,
                                                  XKB_KEYMAP_COMPILE_NO_FLAGS);
  ::munmap(text, size);
  if (keymap == nullptr) return;
  if (self->FState != nullptr) xkb_state_unref(self->FState);
  if (self->FKeymap != nullptr) xkb_keymap_unref(self->FKeymap);
  self->FKeymap = keymap;
  self->FState = xkb_state_new(keymap);
}

void TWaylandKeyboard::Enter(void* data, wl_keyboard* /*keyboard*/, uint32_t /*serial*/, wl_surface* surface, wl_array* /*keys*/) {
  static_cast<TWaylandKeyboard*>(data)->FFocus = surface != nullptr ? static_cast<TInputTarget*>(wl_surface_get_user_data(surface)) : nullptr;
}

void TWaylandKeyboard::Leave(void* data, wl_keyboard* /*keyboard*/, uint32_t /*serial*/, wl_surface* /*surface*/) {
  if (TInputTarget* left = std::exchange(static_cast<TWaylandKeyboard*>(data)->FFocus, nullptr)) left->KeyboardLeft();
}

bool TWaylandKeyboard::Active(const char* modifier) const {
  return FState != nullptr && xkb_state_mod_name_is_active(FState, modifier, XKB_STATE_MODS_EFFECTIVE) > 0;
}

TShortCut TWaylandKeyboard::Modifiers() const {
  return static_cast<TShortCut>((Active(XKB_MOD_NAME_SHIFT) ? scShift : 0) | (Active(XKB_MOD_NAME_CTRL) ? scCtrl : 0) |
                                (Active(XKB_MOD_NAME_ALT) ? scAlt : 0));
}

void TWaylandKeyboard::Key(void* data, wl_keyboard* /*keyboard*/, uint32_t /*serial*/, uint32_t /*time*/, uint32_t key, uint32_t state) {
  auto* self = static_cast<TWaylandKeyboard*>(data);
  TInputTarget* target = self->FGrab != nullptr ? self->FGrab : self->FFocus;
  if (state != WL_KEYBOARD_KEY_STATE_PRESSED || self->FState == nullptr || target == nullptr) return;
  const xkb_keysym_t symbol = xkb_state_key_get_one_sym(self->FState, key + 8);  // evdev codes start 8 below xkb's
  const bool shift = self->Active(XKB_MOD_NAME_SHIFT);
  if (symbol == XKB_KEY_Menu || (symbol == XKB_KEY_F10 && shift)) {
    target->MenuKeyPressed();
    return;
  }
  if (const uint16_t vk = VirtualKeyOf(symbol)) target->KeyPressed(vk, self->Active(XKB_MOD_NAME_ALT));
}

void TWaylandKeyboard::Modifiers(void* data, wl_keyboard* /*keyboard*/, uint32_t /*serial*/, uint32_t depressed, uint32_t latched,
                                 uint32_t locked, uint32_t group) {
  auto* self = static_cast<TWaylandKeyboard*>(data);
  if (self->FState != nullptr) xkb_state_update_mask(self->FState, depressed, latched, locked, 0, 0, group);
}
