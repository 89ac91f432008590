#pragma once
// The one random source of the system: a 32-bit linear congruential state.
#include <cstdint>

// A uniform integer from 0 to n - 1; 0 when n is 0. A negative n is taken as
// its unsigned 32-bit value, as the run-time library does.
int32_t Random(int32_t n);

// Seeds the state from the high-resolution counter (or the tick count without one).
void Randomize();

uint32_t RandSeed();
void SetRandSeed(uint32_t seed);
