#pragma once
// Photo-like pictures for benchmarks, encoded with libjpeg and libpng.
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "JpegEncoder.h"

// Smooth gradients with a little noise; channels 3 (RGB) or 4 (RGBA).
inline std::vector<uint8_t> Photo(int w, int h, int channels) {
  std::vector<uint8_t> pixels(size_t(w) * h * channels);
  uint32_t noise = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &pixels[(size_t(y) * w + x) * channels];
      noise = noise * 1103515245u + 12345u;
      const int n = int(noise >> 28) - 8;
      p[0] = uint8_t(std::clamp(int(128 + 100 * std::sin(x * 0.01) + n), 0, 255));
      p[1] = uint8_t(std::clamp(int(128 + 100 * std::cos(y * 0.013) + n), 0, 255));
      p[2] = uint8_t(std::clamp((x + y) / 8 % 256 + n, 0, 255));
      if (channels == 4) p[3] = uint8_t(std::clamp(255 - x / 8 % 256 + n, 0, 255));
    }
  return pixels;
}

inline std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& pixels, int w, int h, int channels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(w);
  image.height = png_uint_32(h);
  image.format = channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  std::vector<uint8_t> out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr);
  out.resize(size);
  return out;
}
