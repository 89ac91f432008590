#pragma once
// Small helpers for reading and writing pixels of 32-bit test bitmaps.
#include <array>
#include <cstdint>

#include "platform/graphics/Bitmap.h"

using Bgra = std::array<uint8_t, 4>;

inline TBitmap Bitmap32(int32_t w, int32_t h) {
  TBitmap b;
  b.SetPixelFormat(TPixelFormat::pf32bit);
  b.SetSize(w, h);
  return b;
}

inline Bgra PixelAt(const TBitmap& b, int32_t x, int32_t y) {
  const uint8_t* p = b.ScanLine(y) + 4 * x;
  return {p[0], p[1], p[2], p[3]};
}

inline void SetPixel(TBitmap& b, int32_t x, int32_t y, Bgra v) {
  uint8_t* p = b.ScanLine(y) + 4 * x;
  for (int i = 0; i < 4; ++i) p[i] = v[i];
}

inline void FillWith(TBitmap& b, Bgra v) {
  for (int32_t y = 0; y < b.Height(); ++y)
    for (int32_t x = 0; x < b.Width(); ++x) SetPixel(b, x, y, v);
}

inline int64_t GetAlphaSum(const TBitmap& b) {
  int64_t sum = 0;
  for (int32_t y = 0; y < b.Height(); ++y)
    for (int32_t x = 0; x < b.Width(); ++x) sum += PixelAt(b, x, y)[3];
  return sum;
}

// Blue byte of a 24-bit pixel (grey pictures have all three equal).
inline int PixelAt3(const TBitmap& b, int32_t x, int32_t y) { return b.ScanLine(y)[3 * x]; }
