#pragma once
// Millisecond tick count and high-resolution counter, replaceable in tests.
#include <cstdint>
#include <functional>

// Milliseconds since an arbitrary start; wraps around at 2^32.
uint32_t GetTickCount();

// A monotonic counter; false where there is none.
bool QueryPerformanceCounter(int64_t& counter);

// While alive, GetTickCount and the counter answer from the given function
// (tests drive time with it).
class ScopedTickCount {
 public:
  explicit ScopedTickCount(std::function<uint32_t()> source);
  ~ScopedTickCount();
  ScopedTickCount(const ScopedTickCount&) = delete;
  ScopedTickCount& operator=(const ScopedTickCount&) = delete;

 private:
  std::function<uint32_t()> FPrevious;
};

// The system's own clocks, beneath the replaceable ones: a monotonic count of
// nanoseconds, and the local wall-clock time.
uint64_t MonotonicNanoseconds();
double SystemLocalNow();
