#include "platform/wayland/DataDevice.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/wayland/EventLoop.h"
#include "platform/wayland/UriList.h"
#include "platform/wayland/WaylandSeat.h"

namespace {
constexpr const char* kUriList = "text/uri-list";

// Whether an offer has a uri list, kept as the offer's user data.
void Offered(void* /*data*/, wl_data_offer* offer, const char* type) {
  if (std::strcmp(type, kUriList) == 0) wl_data_offer_set_user_data(offer, offer);
}
bool HasUriList(wl_data_offer* offer) { return offer != nullptr && wl_data_offer_get_user_data(offer) != nullptr; }
}  // namespace

TDataDevice::TDataDevice(wl_data_device_manager* manager, wl_seat* seat, wl_display* display, TEventLoop& loop)
    : FDevice(wl_data_device_manager_get_data_device(manager, seat)), FDisplay(display), FLoop(loop) {
  static const wl_data_device_listener listener{
      [](void*, wl_data_device*, wl_data_offer* offer) {
        static const wl_data_offer_listener offerListener{Offered, [](void*, wl_data_offer*, uint32_t) {},
                                                          [](void*, wl_data_offer*, uint32_t) {}};
        wl_data_offer_add_listener(offer, &offerListener, nullptr);
      },
      Enter,
      [](void* data, wl_data_device*) { static_cast<TDataDevice*>(data)->DropOffer(); },  // leave
      [](void*, wl_data_device*, uint32_t, wl_fixed_t, wl_fixed_t) {},                   // motion
      Drop,
      [](void*, wl_data_device*, wl_data_offer* offer) {  // the clipboard's: not ours to use
        if (offer != nullptr) wl_data_offer_destroy(offer);
      }};
  wl_data_device_add_listener(FDevice, &listener, this);
}

TDataDevice::~TDataDevice() {
  if (FReading) {
    FLoop.Unwatch(FReading->Fd);
    ::close(FReading->Fd);
    wl_data_offer_destroy(FReading->Offer);
  }
  DropOffer();
  wl_data_device_release(FDevice);
}

void TDataDevice::Forget(TInputTarget* target) {
  if (FTarget == target) FTarget = nullptr;
  if (FReading && FReading->Target == target) FReading->Target = nullptr;
}

void TDataDevice::DropOffer() {
  if (FOffer != nullptr) wl_data_offer_destroy(FOffer);
  FOffer = nullptr;
  FTarget = nullptr;
  FAccepted = false;
}

void TDataDevice::Enter(void* data, wl_data_device* /*device*/, uint32_t serial, wl_surface* surface, wl_fixed_t /*x*/,
                        wl_fixed_t /*y*/, wl_data_offer* offer) {
  auto* self = static_cast<TDataDevice*>(data);
  self->DropOffer();
  self->FOffer = offer;
  self->FTarget = surface != nullptr ? static_cast<TInputTarget*>(wl_surface_get_user_data(surface)) : nullptr;
  self->FAccepted = self->FTarget != nullptr && self->FTarget->AcceptsDrops() && HasUriList(offer);
  if (offer == nullptr) return;
  wl_data_offer_accept(offer, serial, self->FAccepted ? kUriList : nullptr);
  const uint32_t copy = WL_DATA_DEVICE_MANAGER_DND_ACTION_COPY;
  wl_data_offer_set_actions(offer, self->FAccepted ? copy : 0, copy);
}

void TDataDevice::Drop(void* data, wl_data_device* /*device*/) {
  auto* self = static_cast<TDataDevice*>(data);
  int fds[2];
  if (!self->FAccepted || self->FReading || ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    self->DropOffer();
    return;
  }
  wl_data_offer_receive(self->FOffer, kUriList, fds[1]);
  ::close(fds[1]);
  wl_display_flush(self->FDisplay);
  self->FReading = std::make_unique<TReading>(TReading{std::exchange(self->FOffer, nullptr), fds[0], {}, self->FTarget});
  self->FTarget = nullptr;
  self->FAccepted = false;
  self->FLoop.Watch(fds[0], [self] { self->Read(); });
}

void TDataDevice::Read() {
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(FReading->Fd, buffer, sizeof buffer)) > 0) FReading->List.append(buffer, static_cast<size_t>(n));
  if (n < 0 && errno == EAGAIN) return;
  const std::unique_ptr<TReading> done = std::move(FReading);
  FLoop.Unwatch(done->Fd);
  ::close(done->Fd);
  wl_data_offer_finish(done->Offer);
  wl_data_offer_destroy(done->Offer);
  if (done->Target != nullptr) done->Target->Dropped(LocalPathsOfUriList(done->List));
}
