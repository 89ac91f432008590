#pragma once
// libpng as the reference decoder of test pictures (any depth, 8-bit RGB out).
#include <png.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

inline std::vector<uint8_t> ReferencePngRgb(const std::filesystem::path& path, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) throw std::runtime_error(image.message);
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) throw std::runtime_error(image.message);
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return rgb;
}
