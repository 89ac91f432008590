#include "platform/graphics/ImageLimits.h"

#include <string>

#include "platform/Exception.h"

void CheckImageSize(int64_t width, int64_t height) {
  const std::string size = " (" + std::to_string(width) + " x " + std::to_string(height) + ")";
  if (width < 1 || height < 1) throw Exception(Ansi(u8"画像の大きさが不正です") + size);
  if (width > MaxImageSide || height > MaxImageSide || width * height > MaxImagePixels) {
    throw Exception(Ansi(u8"画像が大きすぎます") + size);
  }
}
