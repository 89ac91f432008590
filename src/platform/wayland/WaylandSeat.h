#pragma once
// The seat's pointer, sent to the surface of ours it is over (or that holds it
// while a button is down, as the compositor does), and its keyboard.
#include <wayland-client.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"
#include "platform/window/Messages.h"

struct zwp_relative_pointer_v1;
struct wl_cursor_theme;
class TWaylandDisplay;
class TWaylandKeyboard;

// A surface of ours that takes the pointer and the keys; its wl_surface's user data.
class TInputTarget {
 public:
  virtual ~TInputTarget() = default;
  virtual void PointerMotion(TPoint local) = 0;
  // A linux input button code (BTN_LEFT, BTN_RIGHT); serial: the press's.
  virtual void PointerButton(uint32_t button, bool pressed, uint32_t serial) = 0;
  virtual void PointerLeft() = 0;
  // How far the pointer itself moved; compositors differ in what surface
  // coordinates mean while a surface moves under a held button, this does not.
  virtual void PointerMoved(double dx, double dy) = 0;
  // A key as a virtual-key code; alt: Alt was held.
  virtual void KeyPressed(uint16_t virtualKey, bool alt) = 0;
  // The menu key, or Shift+F10.
  virtual void MenuKeyPressed() = 0;
  // The keyboard focus went elsewhere.
  virtual void KeyboardLeft() {}
  virtual bool AcceptsDrops() const { return false; }
  // The name of its pointer's shape in the cursor theme.
  virtual const char* CursorName() const { return "left_ptr"; }
  // Files dropped: the bytes of their names, in drop order.
  virtual void Dropped(const std::vector<std::string>& /*paths*/) {}
};

class TWaylandSeat {
 public:
  // Takes the seat; the display's relative pointers are asked for with the pointer.
  TWaylandSeat(wl_seat* seat, const TWaylandDisplay& display);
  ~TWaylandSeat();
  TWaylandSeat(const TWaylandSeat&) = delete;
  TWaylandSeat& operator=(const TWaylandSeat&) = delete;

  wl_seat* Object() const { return FSeat; }
  bool LeftHeld() const { return FLeft; }
  // Whether PointerMoved told the motion being delivered: an absolute device
  // (a tablet, a virtual machine's pointer, KWin's fake input) moves no
  // relative pointer.
  bool MovedRelatively() const { return FMovedRelatively; }
  bool RightHeld() const { return FRight; }
  // The latest input event's serial (what popups and grabs name).
  uint32_t LastSerial() const { return FSerial; }
  // Where the pointer was last seen over one of our surfaces (screen coordinates).
  TPoint PointerScreen() const { return FScreen; }
  void PointerAt(TPoint screen) { FScreen = screen; }
  // Shift, Ctrl and Alt as of the key being handled (scShift, scCtrl, scAlt).
  TShortCut Modifiers() const;
  // While set, every key goes to this target (an open menu), wherever the focus is.
  void GrabKeys(TInputTarget* target);
  // The focused target's shape changed.
  void ShowCursor();
  // A target about to be destroyed gets no more events.
  void Forget(TInputTarget* target);

 private:
  void ReleasePointer();
  static void Capabilities(void* data, wl_seat* seat, uint32_t capabilities);
  static void Enter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
  static void Leave(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface);
  static void Motion(void* data, wl_pointer* pointer, uint32_t time, wl_fixed_t x, wl_fixed_t y);
  static void Button(void* data, wl_pointer* pointer, uint32_t serial, uint32_t time, uint32_t button, uint32_t state);
  static void Frame(void* data, wl_pointer* pointer);

  wl_seat* FSeat;
  wl_pointer* FPointer = nullptr;
  const TWaylandDisplay& FDisplay;
  zwp_relative_pointer_v1* FRelative = nullptr;
  std::unique_ptr<TWaylandKeyboard> FKeyboard;
  uint32_t FEnterSerial = 0;
  wl_cursor_theme* FCursorTheme = nullptr;
  wl_surface* FCursorSurface = nullptr;
  TInputTarget* FFocus = nullptr;
  bool FLeft = false, FRight = false;
  // A motion waits for the end of its frame, which says whether the pointer moved relatively too.
  std::optional<TPoint> FMotion;
  bool FMovedRelatively = false;
  uint32_t FSerial = 0;
  TPoint FScreen;
};
