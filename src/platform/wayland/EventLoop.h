#pragma once
// One poll over every descriptor the backend waits on: the display's, a timerfd
// per timer, the signal pipe, a drop's pipe. Nothing here knows Wayland.
#include <cstdint>
#include <functional>
#include <map>

class TEventLoop {
 public:
  TEventLoop() = default;
  ~TEventLoop();
  TEventLoop(const TEventLoop&) = delete;
  TEventLoop& operator=(const TEventLoop&) = delete;

  // onReadable runs when fd has something to read (or hung up), until Unwatch.
  void Watch(int fd, std::function<void()> onReadable);
  void Unwatch(int fd);
  // Calls onTimer every interval milliseconds until StopTimer; returns its id.
  int32_t StartTimer(uint32_t interval, std::function<void()> onTimer);
  void StopTimer(int32_t id);

  // Waits until `first` or a watched descriptor is readable; whether `first` is.
  // The others are run afterwards by RunReady, so that `first` can be read before
  // any callback runs.
  bool Wait(int first);
  void RunReady();

 private:
  std::map<int, std::function<void()>> FWatched;
  std::map<int32_t, int> FTimers;  // id -> its timerfd
  std::map<int, bool> FReady;
  int32_t FNextTimer = 1;
};
