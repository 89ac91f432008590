#include "platform/system/Clock.h"

#include <utility>

namespace {

std::function<uint32_t()>& TickSource() {
  static std::function<uint32_t()> source;
  return source;
}

}  // namespace

uint32_t GetTickCount() {
  if (TickSource()) return TickSource()();
  return static_cast<uint32_t>(MonotonicNanoseconds() / 1000000u);
}

bool QueryPerformanceCounter(int64_t& counter) {
  // A test that drives time drives the counter too, so seeding is repeatable.
  counter = TickSource() ? int64_t{TickSource()()} : static_cast<int64_t>(MonotonicNanoseconds());
  return true;
}

ScopedTickCount::ScopedTickCount(std::function<uint32_t()> source)
    : FPrevious(std::exchange(TickSource(), std::move(source))) {}

ScopedTickCount::~ScopedTickCount() { TickSource() = std::move(FPrevious); }
