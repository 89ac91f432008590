#pragma once
// The largest picture any decoder accepts. Checked on the header's claim,
// before anything is allocated, so a lying header cannot exhaust memory.
#include <cstdint>

constexpr int64_t MaxImageSide = 16384;
constexpr int64_t MaxImagePixels = int64_t{1} << 26;

// Throws Exception "画像が大きすぎます (W x H)" beyond the limits, and for a
// width or height below 1.
void CheckImageSize(int64_t width, int64_t height);
