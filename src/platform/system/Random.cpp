#include "platform/system/Random.h"

#include "platform/system/Clock.h"

namespace {
// Process-wide by definition: the system has exactly one random source, 0 at start.
uint32_t gRandSeed = 0;
}  // namespace

int32_t Random(int32_t n) {
  gRandSeed = gRandSeed * 134775813u + 1u;
  const uint64_t product = static_cast<uint64_t>(gRandSeed) * static_cast<uint32_t>(n);
  return static_cast<int32_t>(static_cast<uint32_t>(product >> 32));
}

void Randomize() {
  int64_t counter = 0;
  if (QueryPerformanceCounter(counter)) {
    gRandSeed = static_cast<uint32_t>(counter);
  } else {
    gRandSeed = GetTickCount();
  }
}

uint32_t RandSeed() { return gRandSeed; }
void SetRandSeed(uint32_t seed) { gRandSeed = seed; }
