// A large photo dropped on the chime: decode, quarter turn, reduction to the strip.
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "chime/ClassChimora.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

std::vector<uint8_t> PhotoRgb() {
  std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
  uint32_t noise = 7;
  for (size_t i = 0; i < rgb.size(); ++i) {
    noise = noise * 1103515245u + 12345u;
    const size_t pixel = i / 3, x = pixel % kWidth, y = pixel / kWidth;
    rgb[i] = uint8_t(128 + 90 * std::sin(0.004 * x * (1 + i % 3) + 0.003 * y) + (noise >> 29));
  }
  return rgb;
}

std::string WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
  const auto path = std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + "-" + name);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path.string();
}

std::string JpegFile() {
  static const std::string path = [] {
    const std::vector<uint8_t> rgb = PhotoRgb();
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = kWidth;
    c.image_height = kHeight;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
      JSAMPROW row = const_cast<uint8_t*>(&rgb[size_t(c.next_scanline) * kWidth * 3]);
      jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    const std::string p = WriteTemp("photo.jpg", std::vector<uint8_t>(out, out + size));
    jpeg_destroy_compress(&c);
    free(out);
    return p;
  }();
  return path;
}

std::string PngFile() {
  static const std::string path = [] {
    const std::vector<uint8_t> rgb = PhotoRgb();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, rgb.data(), 0, nullptr);
    out.resize(size);
    return WriteTemp("photo.png", out);
  }();
  return path;
}

void BM_LoadPaperFile(benchmark::State& state, std::string (*file)()) {
  const std::string path = file();
  TChimora chime;
  for (auto _ : state) {
    chime.LoadPaperFile(path);
    if (chime.PaperFile().empty()) state.SkipWithError("the photo did not load");
  }
}
BENCHMARK_CAPTURE(BM_LoadPaperFile, jpeg_4000x3000, JpegFile)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadPaperFile, png_4000x3000, PngFile)->Unit(benchmark::kMillisecond);

}  // namespace
