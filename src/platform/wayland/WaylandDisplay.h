#pragma once
// The connection to the compositor and the globals this backend binds: the
// compositor, shared memory, the layer shell, the xdg shell, the seat and the
// outputs with their place, size and scale.
#include <wayland-client.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Types.h"

struct zwlr_layer_shell_v1;
struct xdg_wm_base;
struct zwp_relative_pointer_manager_v1;
class TWaylandSeat;

// The layer-shell version with the keyboard focus on demand, which the
// automatic choice of the window system asks for.
constexpr uint32_t kLayerShellVersion = 4;
// The oldest one the native backend takes when it is asked for: its keyboard
// interactivity is a yes or no, asked for with each click on the window.
constexpr uint32_t kOldestLayerShellVersion = 3;

struct TWaylandOutput {
  wl_output* Output = nullptr;
  uint32_t Name = 0;  // the registry's
  TRect Bounds;       // in the compositor's logical space
  int32_t Scale = 1;
  TPoint Position, Mode;  // as the output last said
  std::string Connector;  // its name ("HEADLESS-1", "DP-2"); empty before version 4
};

class TWaylandDisplay {
 public:
  // Throws Exception when no compositor answers on WAYLAND_DISPLAY.
  TWaylandDisplay();
  ~TWaylandDisplay();
  TWaylandDisplay(const TWaylandDisplay&) = delete;
  TWaylandDisplay& operator=(const TWaylandDisplay&) = delete;

  wl_display* Display() const { return FDisplay; }
  wl_compositor* Compositor() const { return FCompositor; }
  wl_shm* Shm() const { return FShm; }
  // The first seat, listened to from its binding on (it tells its pointer at once).
  TWaylandSeat& Seat() const { return *FSeat; }
  bool HasSeat() const { return FSeat != nullptr; }
  // Null where the compositor offers none, or one older than the oldest taken.
  zwlr_layer_shell_v1* LayerShell() const { return FLayerShell; }
  // The version bound: the one offered, up to kLayerShellVersion.
  uint32_t LayerShellVersion() const;
  xdg_wm_base* WmBase() const { return FWmBase; }
  // Null where the compositor has none.
  wl_data_device_manager* DataDevices() const { return FDataDevices; }
  // Null where the compositor has none.
  zwp_relative_pointer_manager_v1* RelativePointers() const { return FRelativePointers; }
  // The version the compositor offers; 0 without one.
  uint32_t OfferedLayerShell() const { return FOfferedLayerShell; }
  const std::vector<std::unique_ptr<TWaylandOutput>>& Outputs() const { return FOutputs; }

  // Reads and dispatches what arrived; false when the connection is lost.
  bool Roundtrip();

 private:
  static void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
  static void GlobalRemove(void* data, wl_registry* registry, uint32_t name);
  void AddOutput(uint32_t name, uint32_t version);

  wl_display* FDisplay = nullptr;
  wl_registry* FRegistry = nullptr;
  wl_compositor* FCompositor = nullptr;
  wl_shm* FShm = nullptr;
  std::unique_ptr<TWaylandSeat> FSeat;
  zwlr_layer_shell_v1* FLayerShell = nullptr;
  uint32_t FOfferedLayerShell = 0;
  xdg_wm_base* FWmBase = nullptr;
  wl_data_device_manager* FDataDevices = nullptr;
  zwp_relative_pointer_manager_v1* FRelativePointers = nullptr;
  std::vector<std::unique_ptr<TWaylandOutput>> FOutputs;
};
