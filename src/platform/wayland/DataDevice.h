#pragma once
// Files dropped on our surfaces through the seat's data device: an offer of
// text/uri-list is accepted over a surface that takes drops, and at the drop
// its list is read from a pipe in the event loop (never waited for), then the
// local files go to that surface.
#include <wayland-client.h>

#include <memory>
#include <string>

class TEventLoop;
class TInputTarget;

class TDataDevice {
 public:
  TDataDevice(wl_data_device_manager* manager, wl_seat* seat, wl_display* display, TEventLoop& loop);
  ~TDataDevice();
  TDataDevice(const TDataDevice&) = delete;
  TDataDevice& operator=(const TDataDevice&) = delete;

  // A target about to be destroyed gets no drop.
  void Forget(TInputTarget* target);

 private:
  struct TReading {
    wl_data_offer* Offer = nullptr;
    int Fd = -1;
    std::string List;
    TInputTarget* Target = nullptr;
  };
  static void Enter(void* data, wl_data_device* device, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y,
                    wl_data_offer* offer);
  static void Drop(void* data, wl_data_device* device);
  void DropOffer();
  void Read();

  wl_data_device* FDevice;
  wl_display* FDisplay;
  TEventLoop& FLoop;
  wl_data_offer* FOffer = nullptr;  // over one of our surfaces now
  TInputTarget* FTarget = nullptr;
  bool FAccepted = false;
  std::unique_ptr<TReading> FReading;
};
