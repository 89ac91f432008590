#pragma once
// The drivers' input, carried out in order on a thread of its own while the test
// runs the backend's loop on the main thread.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TInputThread {
 public:
  TInputThread() : FThread([this] { Work(); }) {}
  // Waits for the input given so far.
  ~TInputThread() {
    Later({});
    FThread.join();
  }
  TInputThread(const TInputThread&) = delete;
  TInputThread& operator=(const TInputThread&) = delete;

  void Later(std::function<void()> input) {
    const std::lock_guard<std::mutex> lock(FMutex);
    FInput.push_back(std::move(input));
    FReady.notify_one();
  }

 private:
  // An empty input ends the thread.
  void Work() {
    for (;;) {
      std::unique_lock<std::mutex> lock(FMutex);
      FReady.wait(lock, [this] { return !FInput.empty(); });
      const std::function<void()> input = std::move(FInput.front());
      FInput.pop_front();
      lock.unlock();
      if (!input) return;
      input();
    }
  }

  std::mutex FMutex;
  std::condition_variable FReady;
  std::deque<std::function<void()>> FInput;
  std::thread FThread;  // last: it starts once the rest exists
};
