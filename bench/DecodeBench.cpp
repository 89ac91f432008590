// Picture decoding: the packaged pictures, a large RGBA PNG side by side with
// libpng on the same bytes, and a large JPEG.
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchPictures.h"

#include "imaging/ImageLoading.h"
#include "imaging/PngDecoder.h"
#include "platform/graphics/JpegDecoder.h"

namespace {

const std::vector<uint8_t>& LargePng() {
  static const std::vector<uint8_t> png = EncodePng(Photo(1024, 1024, 4), 1024, 1024, 4);
  return png;
}

const std::vector<uint8_t>& LargeJpeg() {
  static const std::vector<uint8_t> jpeg = EncodeJpeg(Photo(4000, 3000, 3), 4000, 3000);
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
