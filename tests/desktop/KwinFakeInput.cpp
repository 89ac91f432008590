// Real input for the KWin check: a Wayland client of KWin's fake-input protocol.
// One command a line on standard input, each done once the compositor has it:
//   move X Y        the pointer to a point of the screen
//   button 1|0      the left button down or up (3|2: the right one)
//   key CODE 1|0    a key (evdev code) down or up
// It prints "ok" for each, and ends at the end of its input.
#include <wayland-client.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "fake-input-client-protocol.h"

namespace {
constexpr uint32_t kBtnLeft = 0x110, kBtnRight = 0x111;

org_kde_kwin_fake_input* gFakeInput = nullptr;

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4) {
    gFakeInput = static_cast<org_kde_kwin_fake_input*>(wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
  }
}
void GlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistry{Global, GlobalRemove};
}  // namespace

int main() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) {
    std::cerr << "kwin-fake-input: no Wayland display\n";
    return 1;
  }
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &kRegistry, nullptr);
  wl_display_roundtrip(display);
  if (gFakeInput == nullptr) {
    std::cerr << "kwin-fake-input: the compositor offers no org_kde_kwin_fake_input 4\n";
    return 1;
  }
  org_kde_kwin_fake_input_authenticate(gFakeInput, "chimora check", "input for the desktop check");
  std::string command;
  while (std::cin >> command) {
    int a = 0, b = 0;
    if (command == "move" && std::cin >> a >> b) {
      org_kde_kwin_fake_input_pointer_motion_absolute(gFakeInput, wl_fixed_from_int(a), wl_fixed_from_int(b));
    } else if (command == "button" && std::cin >> a) {
      org_kde_kwin_fake_input_button(gFakeInput, a >= 2 ? kBtnRight : kBtnLeft, a % 2);
    } else if (command == "key" && std::cin >> a >> b) {
      org_kde_kwin_fake_input_keyboard_key(gFakeInput, static_cast<uint32_t>(a), static_cast<uint32_t>(b));
    } else {
      std::cerr << "kwin-fake-input: cannot read " << command << "\n";
      return 2;
    }
    if (wl_display_roundtrip(display) < 0) return 1;
    std::cout << "ok" << std::endl;
  }
  wl_display_disconnect(display);
  return 0;
}
