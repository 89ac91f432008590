#include "platform/wayland/WaylandDisplay.h"

#include <algorithm>
#include <cstring>

#include "platform/Exception.h"
#include "platform/wayland/WaylandSeat.h"
#include "platform/text/AnsiString.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "relative-pointer-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

namespace {
constexpr uint32_t kCompositorVersion = 4;  // damage in buffer coordinates
constexpr uint32_t kSeatVersion = 5;
constexpr uint32_t kOutputVersion = 2;  // scale and done
constexpr uint32_t kOutputNameVersion = 4;
constexpr uint32_t kWmBaseVersion = 2;
constexpr uint32_t kDataDeviceVersion = 3;  // drag-and-drop actions and finish

void Ping(void* /*data*/, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener kWmBaseListener{Ping};

void Geometry(void* data, wl_output* /*output*/, int32_t x, int32_t y, int32_t /*mmWidth*/, int32_t /*mmHeight*/,
              int32_t /*subpixel*/, const char* /*make*/, const char* /*model*/, int32_t /*transform*/) {
  static_cast<TWaylandOutput*>(data)->Position = TPoint{x, y};
}
void Mode(void* data, wl_output* /*output*/, uint32_t flags, int32_t width, int32_t height, int32_t /*refresh*/) {
  if (flags & WL_OUTPUT_MODE_CURRENT) static_cast<TWaylandOutput*>(data)->Mode = TPoint{width, height};
}
void Scale(void* data, wl_output* /*output*/, int32_t factor) { static_cast<TWaylandOutput*>(data)->Scale = std::max(1, factor); }
void Named(void* data, wl_output* /*output*/, const char* name) { static_cast<TWaylandOutput*>(data)->Connector = name; }
void Described(void* /*data*/, wl_output* /*output*/, const char* /*description*/) {}
}  // namespace

TWaylandDisplay::TWaylandDisplay() {
  FDisplay = wl_display_connect(nullptr);
  if (FDisplay == nullptr) throw Exception(Ansi(u8"Wayland コンポジターに接続できません"));
  FRegistry = wl_display_get_registry(FDisplay);
  static const wl_registry_listener listener{Global, GlobalRemove};
  wl_registry_add_listener(FRegistry, &listener, this);
  // The globals, then what the outputs say of themselves.
  if (!Roundtrip() || !Roundtrip()) throw Exception(Ansi(u8"Wayland コンポジターが応答しません"));
}

TWaylandDisplay::~TWaylandDisplay() {
  for (const auto& output : FOutputs) wl_output_destroy(output->Output);
  FSeat.reset();
  if (FWmBase != nullptr) xdg_wm_base_destroy(FWmBase);
  if (FDataDevices != nullptr) wl_data_device_manager_destroy(FDataDevices);
  if (FRelativePointers != nullptr) zwp_relative_pointer_manager_v1_destroy(FRelativePointers);
  if (FLayerShell != nullptr) zwlr_layer_shell_v1_destroy(FLayerShell);
  if (FShm != nullptr) wl_shm_destroy(FShm);
  if (FCompositor != nullptr) wl_compositor_destroy(FCompositor);
  wl_registry_destroy(FRegistry);
  wl_display_disconnect(FDisplay);
}

uint32_t TWaylandDisplay::LayerShellVersion() const {
  return FLayerShell != nullptr ? zwlr_layer_shell_v1_get_version(FLayerShell) : 0;
}

bool TWaylandDisplay::Roundtrip() { return wl_display_roundtrip(FDisplay) >= 0; }

void TWaylandDisplay::Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
  auto* self = static_cast<TWaylandDisplay*>(data);
  const auto bind = [&](const wl_interface* type, uint32_t wanted) {
    return wl_registry_bind(registry, name, type, std::min(version, wanted));
  };
  if (std::strcmp(interface, wl_compositor_interface.name) == 0 && version >= kCompositorVersion) {
    self->FCompositor = static_cast<wl_compositor*>(bind(&wl_compositor_interface, kCompositorVersion));
  } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
    self->FShm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
  } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && self->FSeat == nullptr) {
    self->FSeat = std::make_unique<TWaylandSeat>(static_cast<wl_seat*>(bind(&wl_seat_interface, kSeatVersion)), *self);
  } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
    self->FOfferedLayerShell = version;
    if (version >= kOldestLayerShellVersion) {
      self->FLayerShell = static_cast<zwlr_layer_shell_v1*>(bind(&zwlr_layer_shell_v1_interface, kLayerShellVersion));
    }
  } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
    self->FWmBase = static_cast<xdg_wm_base*>(bind(&xdg_wm_base_interface, kWmBaseVersion));
    xdg_wm_base_add_listener(self->FWmBase, &kWmBaseListener, self);
  } else if (std::strcmp(interface, wl_data_device_manager_interface.name) == 0 && version >= kDataDeviceVersion) {
    self->FDataDevices = static_cast<wl_data_device_manager*>(bind(&wl_data_device_manager_interface, kDataDeviceVersion));
  } else if (std::strcmp(interface, zwp_relative_pointer_manager_v1_interface.name) == 0) {
    self->FRelativePointers = static_cast<zwp_relative_pointer_manager_v1*>(bind(&zwp_relative_pointer_manager_v1_interface, 1));
  } else if (std::strcmp(interface, wl_output_interface.name) == 0 && version >= kOutputVersion) {
    self->AddOutput(name, std::min(version, kOutputNameVersion));
  }
}

void TWaylandDisplay::AddOutput(uint32_t name, uint32_t version) {
  auto output = std::make_unique<TWaylandOutput>();
  output->Name = name;
  output->Output = static_cast<wl_output*>(wl_registry_bind(FRegistry, name, &wl_output_interface, version));
  static const wl_output_listener listener{
      Geometry, Mode,
      [](void* data, wl_output* /*output*/) {
        auto* o = static_cast<TWaylandOutput*>(data);
        o->Bounds = TRect{o->Position.x, o->Position.y, o->Position.x + o->Mode.x / o->Scale, o->Position.y + o->Mode.y / o->Scale};
      },
      Scale, Named, Described};
  wl_output_add_listener(output->Output, &listener, output.get());
  FOutputs.push_back(std::move(output));
}

void TWaylandDisplay::GlobalRemove(void* data, wl_registry* /*registry*/, uint32_t name) {
  auto* self = static_cast<TWaylandDisplay*>(data);
  auto& outputs = self->FOutputs;
  const auto it = std::find_if(outputs.begin(), outputs.end(), [name](const auto& o) { return o->Name == name; });
  if (it == outputs.end()) return;
  wl_output_destroy((*it)->Output);
  outputs.erase(it);
}
