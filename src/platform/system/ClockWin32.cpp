// Not <windows.h>: its GetTickCount and ours share a name. The two calls needed
// are declared here as the system exports them.
#include <cstdint>

#include "platform/system/Clock.h"
#include "platform/system/DateTime.h"

namespace {
struct SystemTime {
  uint16_t Year, Month, DayOfWeek, Day, Hour, Minute, Second, Milliseconds;
};
}  // namespace

extern "C" __declspec(dllimport) int __stdcall QueryPerformanceFrequency(int64_t* frequency);
extern "C" __declspec(dllimport) int __stdcall QueryPerformanceCounter(int64_t* counter);
extern "C" __declspec(dllimport) void __stdcall GetLocalTime(SystemTime* time);

uint64_t MonotonicNanoseconds() {
  static const int64_t frequency = [] {
    int64_t f = 1;
    QueryPerformanceFrequency(&f);  // fixed at boot
    return f;
  }();
  int64_t counter = 0;
  QueryPerformanceCounter(&counter);
  return static_cast<uint64_t>(counter / frequency) * 1000000000u +
         static_cast<uint64_t>(counter % frequency) * 1000000000u / static_cast<uint64_t>(frequency);
}

double SystemLocalNow() {
  SystemTime t{};
  GetLocalTime(&t);
  return EncodeDate(t.Year, t.Month, t.Day) + (t.Hour * 3600.0 + t.Minute * 60.0 + t.Second + t.Milliseconds / 1000.0) / 86400.0;
}
