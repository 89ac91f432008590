#pragma once
// The seat's keyboard through xkbcommon: keys become the virtual-key codes the
// forms take, with the Alt, Shift and Ctrl state; each goes to the surface of
// ours that has the keyboard focus, or to the target that grabbed the keys.
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdint>

#include "platform/window/Messages.h"

class TInputTarget;

// The virtual-key code of a key symbol; 0 for keys the forms do not take.
uint16_t VirtualKeyOf(xkb_keysym_t symbol);

class TWaylandKeyboard {
 public:
  explicit TWaylandKeyboard(wl_keyboard* keyboard);
  ~TWaylandKeyboard();
  TWaylandKeyboard(const TWaylandKeyboard&) = delete;
  TWaylandKeyboard& operator=(const TWaylandKeyboard&) = delete;

  TShortCut Modifiers() const;
  void Grab(TInputTarget* target) { FGrab = target; }
  void Forget(TInputTarget* target);

 private:
  static void Keymap(void* data, wl_keyboard* keyboard, uint32_t format, int32_t fd, uint32_t size);
  static void Enter(void* data, wl_keyboard* keyboard, uint32_t serial, wl_surface* surface, wl_array* keys);
  static void Leave(void* data, wl_keyboard* keyboard, uint32_t serial, wl_surface* surface);
  static void Key(void* data, wl_keyboard* keyboard, uint32_t serial, uint32_t time, uint32_t key, uint32_t state);
  static void Modifiers(void* data, wl_keyboard* keyboard, uint32_t serial, uint32_t depressed, uint32_t latched,
                        uint32_t locked, uint32_t group);
  bool Active(const char* modifier) const;

  wl_keyboard* FKeyboard;
  xkb_context* FContext;
  xkb_keymap* FKeymap = nullptr;
  xkb_state* FState = nullptr;
  TInputTarget* FFocus = nullptr;
  TInputTarget* FGrab = nullptr;
};
