// A large photo dropped on the chime: decode, quarter turn, reduction to the strip.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "BenchPictures.h"
#include "chime/ClassChimora.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;

std::string WriteTemp(const std::string& name, const std::vector<uint8_t>& bytes) {
  const auto path = std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + "-" + name);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path.string();
}

std::string JpegFile() {
  static const std::string path = WriteTemp("photo.jpg", EncodeJpeg(Photo(kWidth, kHeight, 3), kWidth, kHeight));
  return path;
}

std::string PngFile() {
  static const std::string path = WriteTemp("photo.png", EncodePng(Photo(kWidth, kHeight, 3), kWidth, kHeight, 3));
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
