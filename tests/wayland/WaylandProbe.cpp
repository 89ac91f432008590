// Input and screen captures on a wlroots compositor, for the Wayland checks.
// Reads commands, one a line, and answers each with one line; its virtual
// pointer lives as long as it does, so that clients have bound the pointer
// before it moves:
//   shot FILE                   the first output's pixels into FILE; "ok"
//   diff A B [TOP]              "left top right bottom" of the pixels that differ (in the rows
//                               from TOP on), or "none"
//   click X Y left|right        a click at a screen point; "ok"
//   key NAME [alt]              a key (a to z, f1 to f12, up, down, return, escape) pressed
//                               and released, with Alt held when asked; "ok"
//   press X Y / move X Y        the pointer to a screen point, the left button pressed / as it is; "ok"
//   release                     the left button released; "ok"
// After a click, a drag or a release the pointer goes back to the output's bottom-right corner.
//   drag X1 Y1 X2 Y2 BACKGROUND press at 1, move to 2; while held, wait (5 s at most)
//                               until what differs from BACKGROUND has moved down by
//                               Y2 - Y1, answer where it differs, then release
//   output NAME                 shots and points from now on on the output of that name
//                               instead of the first; "ok"
//   drop X Y FILE...            the files dragged from a small window of the probe's own
//                               (text/uri-list) and let go at a screen point, the pointer then
//                               back in the corner; "ok" once the drop is finished,
//                               "cancelled" when the compositor called it off
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {
struct Shot {
  uint32_t width = 0, height = 0, stride = 0;
  std::vector<uint8_t> pixels;
  uint32_t At(uint32_t x, uint32_t y) const {
    uint32_t p;
    std::memcpy(&p, pixels.data() + y * stride + x * 4, 4);
    return p & 0xFFFFFF;
  }
};

struct Globals {
  wl_display* display = nullptr;
  wl_shm* shm = nullptr;
  wl_output* output = nullptr;
  wl_seat* seat = nullptr;
  zwlr_screencopy_manager_v1* copier = nullptr;
  zwlr_virtual_pointer_manager_v1* pointers = nullptr;
  zwp_virtual_keyboard_manager_v1* keyboards = nullptr;
  wl_compositor* compositor = nullptr;
  zwlr_layer_shell_v1* layers = nullptr;
  wl_data_device_manager* drags = nullptr;
  uint32_t width = 0, height = 0;
  std::vector<std::pair<wl_output*, std::string>> outputs;  // with their names
} g;

void OutputNamed(void* data, wl_output*, const char* name) {
  for (auto& o : g.outputs) {
    if (o.first == data) o.second = name;
  }
}
const wl_output_listener kOutputListener{
    [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {},
    [](void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}, [](void*, wl_output*) {},
    [](void*, wl_output*, int32_t) {}, OutputNamed, [](void*, wl_output*, const char*) {}};

void Global(void*, wl_registry* r, uint32_t name, const char* interface, uint32_t version) {
  const std::string i = interface;
  if (i == "wl_shm") g.shm = static_cast<wl_shm*>(wl_registry_bind(r, name, &wl_shm_interface, 1));
  if (i == "wl_seat" && !g.seat) g.seat = static_cast<wl_seat*>(wl_registry_bind(r, name, &wl_seat_interface, 1));
  if (i == "wl_output") {
    auto* output = static_cast<wl_output*>(wl_registry_bind(r, name, &wl_output_interface, std::min(version, 4u)));
    wl_output_add_listener(output, &kOutputListener, output);
    g.outputs.emplace_back(output, "");
    if (!g.output) g.output = output;
  }
  if (i == "wl_compositor") g.compositor = static_cast<wl_compositor*>(wl_registry_bind(r, name, &wl_compositor_interface, 1));
  if (i == "zwlr_layer_shell_v1") g.layers = static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(r, name, &zwlr_layer_shell_v1_interface, 1));
  if (i == "wl_data_device_manager")
    g.drags = static_cast<wl_data_device_manager*>(wl_registry_bind(r, name, &wl_data_device_manager_interface, 3));
  if (i == "zwlr_screencopy_manager_v1")
    g.copier = static_cast<zwlr_screencopy_manager_v1*>(wl_registry_bind(r, name, &zwlr_screencopy_manager_v1_interface, 1));
  if (i == "zwp_virtual_keyboard_manager_v1")
    g.keyboards = static_cast<zwp_virtual_keyboard_manager_v1*>(wl_registry_bind(r, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
  if (i == "zwlr_virtual_pointer_manager_v1")
    g.pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(
        wl_registry_bind(r, name, &zwlr_virtual_pointer_manager_v1_interface, std::min(version, 2u)));
}

struct Capture {
  Shot shot;
  wl_buffer* buffer = nullptr;
  uint8_t* data = nullptr;
  size_t bytes = 0;
  int state = 0;  // 1 ready, -1 failed
};

Shot Take() {
  Capture c;
  zwlr_screencopy_frame_v1* frame = zwlr_screencopy_manager_v1_capture_output(g.copier, 0, g.output);
  static const zwlr_screencopy_frame_v1_listener listener{
      [](void* d, zwlr_screencopy_frame_v1* f, uint32_t format, uint32_t w, uint32_t h, uint32_t stride) {
        auto* c = static_cast<Capture*>(d);
        c->shot.width = w, c->shot.height = h, c->shot.stride = stride;
        c->bytes = size_t{stride} * h;
        const int fd = memfd_create("shot", MFD_CLOEXEC);
        if (ftruncate(fd, static_cast<off_t>(c->bytes)) != 0) return;
        c->data = static_cast<uint8_t*>(mmap(nullptr, c->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
        wl_shm_pool* pool = wl_shm_create_pool(g.shm, fd, static_cast<int32_t>(c->bytes));
        c->buffer = wl_shm_pool_create_buffer(pool, 0, static_cast<int32_t>(w), static_cast<int32_t>(h), static_cast<int32_t>(stride), format);
        wl_shm_pool_destroy(pool);
        close(fd);
        zwlr_screencopy_frame_v1_copy(f, c->buffer);
      },
      [](void*, zwlr_screencopy_frame_v1*, uint32_t) {},
      [](void* d, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) { static_cast<Capture*>(d)->state = 1; },
      [](void* d, zwlr_screencopy_frame_v1*) { static_cast<Capture*>(d)->state = -1; }};
  zwlr_screencopy_frame_v1_add_listener(frame, &listener, &c);
  while (c.state == 0 && wl_display_dispatch(g.display) >= 0) {
  }
  if (c.state == 1) c.shot.pixels.assign(c.data, c.data + c.bytes);
  zwlr_screencopy_frame_v1_destroy(frame);
  if (c.buffer) wl_buffer_destroy(c.buffer);
  if (c.data) munmap(c.data, c.bytes);
  g.width = c.shot.width, g.height = c.shot.height;
  return c.shot;
}

void Save(const Shot& s, const char* path) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&s.width), 12);
  out.write(reinterpret_cast<const char*>(s.pixels.data()), static_cast<std::streamsize>(s.pixels.size()));
}

Shot Load(const char* path) {
  Shot s;
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(&s.width), 12);
  s.pixels.resize(size_t{s.stride} * s.height);
  in.read(reinterpret_cast<char*>(s.pixels.data()), static_cast<std::streamsize>(s.pixels.size()));
  return s;
}

// Where b differs from a; right and bottom exclusive. Empty when nowhere.
std::vector<uint32_t> Differ(const Shot& a, const Shot& b, uint32_t top = 0) {
  uint32_t l = UINT32_MAX, t = UINT32_MAX, r = 0, bottom = 0;
  for (uint32_t y = top; y < a.height && y < b.height; ++y) {
    for (uint32_t x = 0; x < a.width && x < b.width; ++x) {
      if (a.At(x, y) == b.At(x, y)) continue;
      l = std::min(l, x), t = std::min(t, y), r = std::max(r, x + 1), bottom = std::max(bottom, y + 1);
    }
  }
  return r == 0 ? std::vector<uint32_t>{} : std::vector<uint32_t>{l, t, r, bottom};
}

std::string Text(const std::vector<uint32_t>& box) {
  if (box.empty()) return "none";
  return std::to_string(box[0]) + " " + std::to_string(box[1]) + " " + std::to_string(box[2]) + " " + std::to_string(box[3]);
}

uint32_t Now() { return static_cast<uint32_t>(clock() / (CLOCKS_PER_SEC / 1000)); }

void MoveTo(zwlr_virtual_pointer_v1* p, uint32_t x, uint32_t y) {
  zwlr_virtual_pointer_v1_motion_absolute(p, Now(), x, y, g.width, g.height);
  zwlr_virtual_pointer_v1_frame(p);
  wl_display_roundtrip(g.display);
}

void Button(zwlr_virtual_pointer_v1* p, uint32_t button, bool down) {
  zwlr_virtual_pointer_v1_button(p, Now(), button, down ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
  zwlr_virtual_pointer_v1_frame(p);
  wl_display_roundtrip(g.display);
}
zwlr_virtual_pointer_v1* gPointer = nullptr;
zwp_virtual_keyboard_v1* gKeyboard = nullptr;
uint32_t gAltMask = 0;

// The default keymap of xkbcommon (us), handed to the compositor.
void LoadKeymap() {
  xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
  xkb_keymap* keymap = xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
  gAltMask = 1u << xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_ALT);
  char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
  const size_t size = std::strlen(text) + 1;
  const int fd = memfd_create("keymap", MFD_CLOEXEC);
  if (write(fd, text, size) == static_cast<ssize_t>(size)) zwp_virtual_keyboard_v1_keymap(gKeyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, static_cast<uint32_t>(size));
  close(fd);
  free(text);
  xkb_keymap_unref(keymap);
  xkb_context_unref(context);
}

uint32_t KeyCode(const std::string& name) {
  static const char* const kLetters = "qwertyuiopasdfghjklzxcvbnm";
  static const uint32_t kLetterCodes[] = {KEY_Q, KEY_W, KEY_E, KEY_R, KEY_T, KEY_Y, KEY_U, KEY_I, KEY_O, KEY_P, KEY_A, KEY_S, KEY_D,
                                          KEY_F, KEY_G, KEY_H, KEY_J, KEY_K, KEY_L, KEY_Z, KEY_X, KEY_C, KEY_V, KEY_B, KEY_N, KEY_M};
  if (name.size() == 1 && std::strchr(kLetters, name[0])) return kLetterCodes[std::strchr(kLetters, name[0]) - kLetters];
  if (name.size() >= 2 && name[0] == 'f') return KEY_F1 + static_cast<uint32_t>(std::stoul(name.substr(1))) - 1;
  if (name == "up") return KEY_UP;
  if (name == "down") return KEY_DOWN;
  if (name == "return") return KEY_ENTER;
  if (name == "escape") return KEY_ESC;
  return 0;
}

void Key(uint32_t code, bool alt) {
  if (alt) zwp_virtual_keyboard_v1_modifiers(gKeyboard, gAltMask, 0, 0, 0);
  zwp_virtual_keyboard_v1_key(gKeyboard, Now(), code, WL_KEYBOARD_KEY_STATE_PRESSED);
  zwp_virtual_keyboard_v1_key(gKeyboard, Now(), code, WL_KEYBOARD_KEY_STATE_RELEASED);
  if (alt) zwp_virtual_keyboard_v1_modifiers(gKeyboard, 0, 0, 0, 0);
  wl_display_roundtrip(g.display);
}

// A drag of files from the probe's own window: the compositor starts a drag
// only from a press its client saw, on a surface of that client.
struct DragSource {
  wl_surface* surface = nullptr;
  bool configured = false;
  bool over = false;      // the probe's pointer is over the window
  uint32_t pressed = 0;   // the serial of the press on it
  std::string list;       // what the source sends
  bool accepted = false;  // the window under the pointer takes the list, with an action
  uint32_t action = 0;
  int state = 0;          // 1 finished, -1 cancelled
} gDrag;

void ListenToPointer() {
  static const wl_pointer_listener listener{
      [](void*, wl_pointer*, uint32_t, wl_surface* s, wl_fixed_t, wl_fixed_t) { gDrag.over = s != nullptr && s == gDrag.surface; },
      [](void*, wl_pointer*, uint32_t, wl_surface*) { gDrag.over = false; },
      [](void*, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {},
      [](void*, wl_pointer*, uint32_t serial, uint32_t, uint32_t, uint32_t state) {
        if (state == WL_POINTER_BUTTON_STATE_PRESSED && gDrag.over) gDrag.pressed = serial;
      },
      [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
      nullptr, nullptr, nullptr, nullptr, nullptr};  // later versions' events: the seat is version 1
  wl_pointer_add_listener(wl_seat_get_pointer(g.seat), &listener, nullptr);
}

std::string FileUri(const std::string& path) {
  std::string uri = "file://";
  for (const unsigned char c : path) {
    if (std::isalnum(c) || std::strchr("/-._~", c)) {
      uri += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      uri += hex;
    }
  }
  return uri;
}

// Round trips until done, for 5 s at most.
template <typename Done>
bool Await(Done done) {
  for (int i = 0; i < 500 && !done(); ++i) {
    wl_display_roundtrip(g.display);
    if (!done()) usleep(10000);
  }
  return done();
}

std::string DropFiles(uint32_t x, uint32_t y, const std::vector<std::string>& files) {
  if (!g.compositor || !g.layers || !g.drags) return "no layer shell or data devices";
  gDrag = DragSource{};
  for (const std::string& file : files) gDrag.list += FileUri(file) + "\r\n";
  // A white square at the output's bottom-right corner.
  constexpr int32_t kSize = 64;
  gDrag.surface = wl_compositor_create_surface(g.compositor);
  zwlr_layer_surface_v1* layer = zwlr_layer_shell_v1_get_layer_surface(g.layers, gDrag.surface, g.output, ZWLR_LAYER_SHELL_V1_LAYER_TOP, "probe");
  static const zwlr_layer_surface_v1_listener layerListener{
      [](void*, zwlr_layer_surface_v1* l, uint32_t serial, uint32_t, uint32_t) {
        zwlr_layer_surface_v1_ack_configure(l, serial);
        gDrag.configured = true;
      },
      [](void*, zwlr_layer_surface_v1*) {}};
  zwlr_layer_surface_v1_add_listener(layer, &layerListener, nullptr);
  zwlr_layer_surface_v1_set_size(layer, kSize, kSize);
  zwlr_layer_surface_v1_set_anchor(layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
  wl_surface_commit(gDrag.surface);
  Await([] { return gDrag.configured; });
  const size_t bytes = size_t{kSize} * kSize * 4;
  const int fd = memfd_create("square", MFD_CLOEXEC);
  wl_buffer* buffer = nullptr;
  if (ftruncate(fd, static_cast<off_t>(bytes)) == 0) {
    void* pixels = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    std::memset(pixels, 0xFF, bytes);
    munmap(pixels, bytes);
    wl_shm_pool* pool = wl_shm_create_pool(g.shm, fd, static_cast<int32_t>(bytes));
    buffer = wl_shm_pool_create_buffer(pool, 0, kSize, kSize, kSize * 4, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
  }
  close(fd);
  wl_surface_attach(gDrag.surface, buffer, 0, 0);
  wl_surface_damage(gDrag.surface, 0, 0, kSize, kSize);
  wl_surface_commit(gDrag.surface);
  const uint32_t fromX = g.width - kSize / 2, fromY = g.height - kSize / 2;
  MoveTo(gPointer, fromX, fromY);
  Await([] { return gDrag.over; });
  Button(gPointer, BTN_LEFT, true);
  Await([] { return gDrag.pressed != 0; });

  wl_data_source* source = wl_data_device_manager_create_data_source(g.drags);
  static const wl_data_source_listener sourceListener{
      [](void*, wl_data_source*, const char* type) { gDrag.accepted = type != nullptr; },
      [](void*, wl_data_source*, const char*, int32_t fd) {
        [[maybe_unused]] const ssize_t written = write(fd, gDrag.list.data(), gDrag.list.size());
        close(fd);
      },
      [](void*, wl_data_source*) {  // cancelled; said after a finished drop too
        if (gDrag.state == 0) gDrag.state = -1;
      },
      [](void*, wl_data_source*) {},                     // dropped
      [](void*, wl_data_source*) { gDrag.state = 1; },   // finished
      [](void*, wl_data_source*, uint32_t action) { gDrag.action = action; }};
  wl_data_source_add_listener(source, &sourceListener, nullptr);
  wl_data_source_offer(source, "text/uri-list");
  wl_data_source_set_actions(source, WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY);
  wl_data_device* device = wl_data_device_manager_get_data_device(g.drags, g.seat);
  wl_data_device_start_drag(device, source, gDrag.surface, nullptr, gDrag.pressed);
  constexpr int kSteps = 10;
  for (int i = 1; i <= kSteps; ++i) {
    MoveTo(gPointer, fromX + (static_cast<int>(x) - static_cast<int>(fromX)) * i / kSteps,
           fromY + (static_cast<int>(y) - static_cast<int>(fromY)) * i / kSteps);
  }
  // A hand lets go once the window under it said it takes the files; the
  // compositor decides at the release whether that was said.
  Await([] { return gDrag.accepted && gDrag.action != 0; });
  Button(gPointer, BTN_LEFT, false);
  Await([] { return gDrag.state != 0; });
  const int state = gDrag.state;
  wl_data_device_release(device);
  wl_data_source_destroy(source);
  zwlr_layer_surface_v1_destroy(layer);
  wl_surface_destroy(gDrag.surface);
  if (buffer != nullptr) wl_buffer_destroy(buffer);
  gDrag = DragSource{};
  MoveTo(gPointer, g.width - 1, g.height - 1);
  return state == 1 ? "ok" : state == 0 ? "no answer" : "cancelled";
}

std::string Answer(const std::vector<std::string>& a) {
  const auto number = [&](size_t i) { return static_cast<uint32_t>(std::stoul(a[i])); };
  const std::string command = a.empty() ? "" : a[0];
  if (command == "diff" && (a.size() == 3 || a.size() == 4)) {
    return Text(Differ(Load(a[1].c_str()), Load(a[2].c_str()), a.size() == 4 ? number(3) : 0));
  }
  if (command == "shot" && a.size() == 2) {
    Save(Take(), a[1].c_str());
    return "ok";
  }
  if (command == "click" && a.size() == 4) {
    const uint32_t button = a[3] == "right" ? BTN_RIGHT : BTN_LEFT;
    MoveTo(gPointer, number(1), number(2));
    Button(gPointer, button, true);
    Button(gPointer, button, false);
    MoveTo(gPointer, g.width - 1, g.height - 1);
    return "ok";
  }
  if ((command == "press" || command == "move") && a.size() == 3) {
    MoveTo(gPointer, number(1), number(2));
    if (command == "press") Button(gPointer, BTN_LEFT, true);
    return "ok";
  }
  if (command == "release" && a.size() == 1) {
    Button(gPointer, BTN_LEFT, false);
    MoveTo(gPointer, g.width - 1, g.height - 1);
    return "ok";
  }
  if (command == "drop" && a.size() >= 4) {
    return DropFiles(number(1), number(2), std::vector<std::string>(a.begin() + 3, a.end()));
  }
  if (command == "key" && (a.size() == 2 || a.size() == 3) && KeyCode(a[1]) != 0) {
    Key(KeyCode(a[1]), a.size() == 3 && a[2] == "alt");
    return "ok";
  }
  if (command == "drag" && a.size() == 6) {
    const Shot background = Load(a[5].c_str());
    const std::vector<uint32_t> before = Differ(background, Take());
    MoveTo(gPointer, number(1), number(2));
    Button(gPointer, BTN_LEFT, true);
    constexpr int kSteps = 10;
    for (int i = 1; i <= kSteps; ++i) {
      MoveTo(gPointer, number(1) + (static_cast<int>(number(3) - number(1)) * i) / kSteps,
             number(2) + (static_cast<int>(number(4) - number(2)) * i) / kSteps);
    }
    const auto arrived = [&](const std::vector<uint32_t>& box) {
      return !box.empty() && !before.empty() && box[1] == before[1] + number(4) - number(2);
    };
    std::vector<uint32_t> held = Differ(background, Take());
    for (int i = 0; i < 100 && !arrived(held); ++i) {
      usleep(50000);
      held = Differ(background, Take());
    }
    Button(gPointer, BTN_LEFT, false);
    MoveTo(gPointer, g.width - 1, g.height - 1);
    return Text(held);
  }
  if (command == "output" && a.size() == 2) {
    for (const auto& [output, name] : g.outputs) {
      if (name != a[1]) continue;
      // A pointer of that output: its points are the output's.
      zwlr_virtual_pointer_v1_destroy(gPointer);
      gPointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer_with_output(g.pointers, g.seat, output);
      g.output = output;
      Take();
      MoveTo(gPointer, g.width - 1, g.height - 1);
      return "ok";
    }
    return "no output " + a[1];
  }
  return "usage: shot FILE | diff A B [TOP] | click X Y left|right | press X Y | move X Y | release | key NAME [alt] | "
         "drag X1 Y1 X2 Y2 BACKGROUND | output NAME | drop X Y FILE...";
}
}  // namespace

int main() {
  g.display = wl_display_connect(nullptr);
  if (!g.display) return 2;
  static const wl_registry_listener registry{Global, [](void*, wl_registry*, uint32_t) {}};
  wl_registry_add_listener(wl_display_get_registry(g.display), &registry, nullptr);
  wl_display_roundtrip(g.display);
  wl_display_roundtrip(g.display);  // the outputs' names
  if (!g.copier || !g.pointers || !g.keyboards || !g.output || !g.shm) return 2;
  Take();  // the output's size
  gPointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.pointers, g.seat);
  gKeyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(g.keyboards, g.seat);
  LoadKeymap();
  ListenToPointer();
  // Out of the way: where the pointer is drawn, the screen differs.
  MoveTo(gPointer, g.width - 1, g.height - 1);
  std::string line;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::vector<std::string> a;
    for (std::string w; words >> w;) a.push_back(w);
    std::cout << Answer(a) << std::endl;
  }
  return 0;
}
