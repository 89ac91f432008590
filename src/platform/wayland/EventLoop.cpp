#include "platform/wayland/EventLoop.h"

#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

TEventLoop::~TEventLoop() {
  for (const auto& [id, fd] : FTimers) ::close(fd);
}

void TEventLoop::Watch(int fd, std::function<void()> onReadable) { FWatched[fd] = std::move(onReadable); }

void TEventLoop::Unwatch(int fd) {
  FWatched.erase(fd);
  FReady.erase(fd);
}

int32_t TEventLoop::StartTimer(uint32_t interval, std::function<void()> onTimer) {
  const int fd = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  if (fd < 0) return 0;
  const timespec period{static_cast<time_t>(interval / 1000), static_cast<long>(interval % 1000) * 1000000L};
  const itimerspec timing{period, period};
  ::timerfd_settime(fd, 0, &timing, nullptr);
  const int32_t id = FNextTimer++;
  FTimers[id] = fd;
  Watch(fd, [fd, onTimer = std::move(onTimer)] {
    uint64_t expirations = 0;
    // Missed periods are not made up: one call however late we are.
    if (::read(fd, &expirations, sizeof expirations) == sizeof expirations) onTimer();
  });
  return id;
}

void TEventLoop::StopTimer(int32_t id) {
  const auto it = FTimers.find(id);
  if (it == FTimers.end()) return;
  Unwatch(it->second);
  ::close(it->second);
  FTimers.erase(it);
}

bool TEventLoop::Wait(int first) {
  std::vector<pollfd> fds{{first, POLLIN, 0}};
  for (const auto& [fd, call] : FWatched) fds.push_back({fd, POLLIN, 0});
  while (::poll(fds.data(), fds.size(), -1) < 0) {
    if (errno != EINTR) return false;
  }
  FReady.clear();
  for (size_t i = 1; i < fds.size(); ++i) {
    if (fds[i].revents != 0) FReady[fds[i].fd] = true;
  }
  return fds[0].revents != 0;
}

void TEventLoop::RunReady() {
  // A callback may stop a timer or unwatch a descriptor that is ready too.
  while (!FReady.empty()) {
    const int fd = FReady.begin()->first;
    FReady.erase(FReady.begin());
    const auto it = FWatched.find(fd);
    if (it == FWatched.end()) continue;
    const std::function<void()> call = it->second;
    call();
  }
}
