#include "platform/graphics/BitmapScale.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/Exception.h"

TRect ScaleUp32(const TBitmap& source, int32_t scale, TBitmap& target, TRect changed) {
  if (source.PixelFormat() != TPixelFormat::pf32bit || scale < 1 ||
      source.Width() > INT32_MAX / scale || source.Height() > INT32_MAX / scale)
    throw Exception("ScaleUp32: unsupported picture or scale");
  const int32_t width = source.Width() * scale, height = source.Height() * scale;
  if (target.PixelFormat() != TPixelFormat::pf32bit || target.Width() != width || target.Height() != height) {
    target.SetPixelFormat(TPixelFormat::pf32bit);
    target.SetSize(width, height);
    changed = {0, 0, source.Width(), source.Height()};
  }
  changed.Left = std::max(changed.Left, 0);
  changed.Top = std::max(changed.Top, 0);
  changed.Right = std::min(changed.Right, source.Width());
  changed.Bottom = std::min(changed.Bottom, source.Height());
  if (changed.Right <= changed.Left || changed.Bottom <= changed.Top) return {0, 0, 0, 0};
  const size_t rowBytes = static_cast<size_t>(changed.Right - changed.Left) * scale * 4;
  for (int32_t y = changed.Top; y < changed.Bottom; ++y) {
    const uint8_t* from = source.ScanLine(y) + static_cast<size_t>(changed.Left) * 4;
    uint8_t* first = target.ScanLine(y * scale) + static_cast<size_t>(changed.Left) * scale * 4;
    uint8_t* to = first;
    for (int32_t x = changed.Left; x < changed.Right; ++x, from += 4)
      for (int32_t copy = 0; copy < scale; ++copy, to += 4) std::memcpy(to, from, 4);
    for (int32_t copy = 1; copy < scale; ++copy)
      std::memcpy(target.ScanLine(y * scale + copy) + static_cast<size_t>(changed.Left) * scale * 4, first, rowBytes);
  }
  return {changed.Left * scale, changed.Top * scale, changed.Right * scale, changed.Bottom * scale};
}
