// Picture decoding: the packaged pictures, a large RGBA PNG side by side with
// libpng on the same bytes, and a large JPEG.
#include <benchmark/benchmark.h>
#include <png.h>
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/ImageLoading.h"
#include "imaging/PngDecoder.h"
#include "platform/JpegDecoder.h"

namespace {

// A photo-like picture: smooth gradients with a little noise.
std::vector<uint8_t> PhotoRgba(int w, int h) {
  std::vector<uint8_t> rgba(size_t(w) * h * 4);
  uint32_t noise = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &rgba[(size_t(y) * w + x) * 4];
      noise = noise * 1103515245u + 12345u;
      const int n = int(noise >> 28) - 8;
      p[0] = uint8_t(std::clamp(int(128 + 100 * std::sin(x * 0.01) + n), 0, 255));
      p[1] = uint8_t(std::clamp(int(128 + 100 * std::cos(y * 0.013) + n), 0, 255));
      p[2] = uint8_t(std::clamp((x + y) / 8 + n, 0, 255));
      p[3] = uint8_t(std::clamp(255 - x / 8 + n, 0, 255));
    }
  return rgba;
}

const std::vector<uint8_t>& LargePng() {
  static const std::vector<uint8_t> png = [] {
    const std::vector<uint8_t> rgba = PhotoRgba(1024, 1024);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = 1024;
    image.height = 1024;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    std::vector<uint8_t> out(size);
    png_image_write_to_memory(&image, out.data(), &size, 0, rgba.data(), 0, nullptr);
    out.resize(size);
    return out;
  }();
  return png;
}

const std::vector<uint8_t>& LargeJpeg() {
  static const std::vector<uint8_t> jpeg = [] {
    const int w = 4000, h = 3000;
    const std::vector<uint8_t> rgba = PhotoRgba(w, h);
    std::vector<uint8_t> row(size_t(w) * 3);
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
      for (int x = 0; x < w; ++x) std::copy_n(&rgba[(size_t(c.next_scanline) * w + x) * 4], 3, &row[size_t(x) * 3]);
      JSAMPROW r = row.data();
      jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    jpeg_destroy_compress(&c);
    free(out);
    return bytes;
  }();
  return jpeg;
}

void BM_DecodePackaged(benchmark::State& state, const char* name) {
  for (auto _ : state) {
    TBitmap b;
    LoadImageFromResource(b, name);
    benchmark::DoNotOptimize(b.ScanLine(0));
  }
}
BENCHMARK_CAPTURE(BM_DecodePackaged, namb, "namb.png");
BENCHMARK_CAPTURE(BM_DecodePackaged, glass, "glass.png");
BENCHMARK_CAPTURE(BM_DecodePackaged, korvessa, "korvessa.png");
BENCHMARK_CAPTURE(BM_DecodePackaged, blackgold, "blackgold.png");
BENCHMARK_CAPTURE(BM_DecodePackaged, apptitle, "apptitle.png");

void BM_LargePngOurs(benchmark::State& state) {
  const auto& png = LargePng();
  for (auto _ : state) {
    TSpanStream s(png);
    TBitmap b;
    LoadPngFromStream(b, s);
    benchmark::DoNotOptimize(b.ScanLine(0));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 1024 * 4);
}
BENCHMARK(BM_LargePngOurs)->Unit(benchmark::kMillisecond);

void BM_LargePngLibpng(benchmark::State& state) {
  const auto& png = LargePng();
  std::vector<uint8_t> out(size_t(1024) * 1024 * 4);
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    png_image_begin_read_from_memory(&image, png.data(), png.size());
    image.format = PNG_FORMAT_BGRA;
    png_image_finish_read(&image, nullptr, out.data(), 0, nullptr);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 1024 * 1024 * 4);
}
BENCHMARK(BM_LargePngLibpng)->Unit(benchmark::kMillisecond);

void BM_Jpeg4000x3000(benchmark::State& state) {
  const auto& jpeg = LargeJpeg();
  for (auto _ : state) {
    TSpanStream s(jpeg);
    TBitmap b;
    LoadJpegFromStream(b, s);
    benchmark::DoNotOptimize(b.ScanLine(0));
  }
}
BENCHMARK(BM_Jpeg4000x3000)->Unit(benchmark::kMillisecond);

}  // namespace
