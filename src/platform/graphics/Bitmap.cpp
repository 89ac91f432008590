#include "platform/graphics/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/Exception.h"

size_t TBitmap::StrideFor(int32_t width, TPixelFormat format) {
  const size_t bytes = static_cast<size_t>(width) * (format == TPixelFormat::pf32bit ? 4 : 3);
  return (bytes + 3) & ~size_t{3};
}

void TBitmap::SetSize(int32_t width, int32_t height) {
  if (width == FWidth && height == FHeight) return;
  if (width < 0 || height < 0 || int64_t{width} * height > MaxPixels) {
    throw Exception("bitmap size out of range");
  }
  const size_t stride = StrideFor(width, FFormat);
  std::vector<uint8_t> pixels(stride * static_cast<size_t>(height));
  const int32_t rows = std::min(height, FHeight);
  const size_t rowBytes = std::min(stride, FStride);
  for (int32_t y = 0; y < rows; ++y) {
    std::memcpy(pixels.data() + static_cast<size_t>(y) * stride, ScanLine(y), rowBytes);
  }
  FPixels = std::move(pixels);
  FWidth = width;
  FHeight = height;
  FStride = stride;
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == FFormat) return;
  const size_t stride = StrideFor(FWidth, format);
  std::vector<uint8_t> pixels(stride * static_cast<size_t>(FHeight));
  const int32_t fromBpp = BytesPerPixel();
  const int32_t toBpp = format == TPixelFormat::pf32bit ? 4 : 3;
  for (int32_t y = 0; y < FHeight; ++y) {
    const uint8_t* src = ScanLine(y);
    uint8_t* dst = pixels.data() + static_cast<size_t>(y) * stride;
    for (int32_t x = 0; x < FWidth; ++x, src += fromBpp, dst += toBpp) {
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
      if (toBpp == 4) dst[3] = 0;
    }
  }
  FPixels = std::move(pixels);
  FFormat = format;
  FStride = stride;
}
