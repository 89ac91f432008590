#pragma once
// libpng as the reference decoder of test pictures.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <vector>

// The file's own samples as 8-bit RGBA, without gamma or background handling:
// palettes and grey expanded, transparency as alpha (255 where there is none).
inline std::vector<uint8_t> ReferencePngRawRgba(const std::filesystem::path& path, int& width, int& height) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.string().c_str(), "rb"), &std::fclose);
  if (!file) throw std::runtime_error("cannot open " + path.string());
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<uint8_t> rgba;
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_read_struct(&png, &info, nullptr);
    throw std::runtime_error("libpng cannot read " + path.string());
  }
  png_init_io(png, file.get());
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  width = static_cast<int>(png_get_image_width(png, info));
  height = static_cast<int>(png_get_image_height(png, info));
  rgba.resize(size_t(width) * height * 4);
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) rows[static_cast<size_t>(y)] = &rgba[size_t(y) * width * 4];
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  return rgba;
}

inline std::vector<uint8_t> ReferencePngRgb(const std::filesystem::path& path, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.string().c_str())) throw std::runtime_error(image.message);
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) throw std::runtime_error(image.message);
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return rgb;
}
