// One present of a chime frame: its parts, and the whole on the desktop's
// window system (needs DISPLAY; a compositing manager for the layered path).
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/ProgramObjects.h"
#include "chime/ClassChimora.h"
#include "imaging/AlphaTransfer.h"
#include "platform/graphics/Region.h"
#include "platform/qt/QtProgram.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/system/Random.h"
#include "platform/system/SystemInfo.h"
#include "shell/f2FormFunc.h"

namespace {

const TBitmap& Frame() {
  static const TBitmap chime = [] {
    SetRandSeed(12345);
    TChimora c;
    for (int i = 0; i < 40; ++i) c.Tick();
    return TBitmap(c);
  }();
  return chime;
}

void BM_Premultiply(benchmark::State& state) {
  TBitmap out;
  out.SetPixelFormat(TPixelFormat::pf32bit);
  out.SetSize(TChimora::FrameSize, TChimora::FrameSize);
  for (auto _ : state) {
    DrawBitmapAt(0, 0, out, tmPremultiplied, Frame());
    benchmark::DoNotOptimize(out.ScanLine(0));
  }
}
BENCHMARK(BM_Premultiply);

void BM_InputShapeRuns(benchmark::State& state) {
  std::vector<TRect> runs;
  for (auto _ : state) {
    OpaqueRuns(Frame(), 1, runs);
    benchmark::DoNotOptimize(runs.data());
  }
}
BENCHMARK(BM_InputShapeRuns);

struct TFrame {
  TBitmap Picture;
  TRect Changed;  // since the frame before; the first is whole, as a new cycle needs
};

// Successive frames of a swinging chime, as the timer presents them.
const std::vector<TFrame>& Frames() {
  static const std::vector<TFrame> frames = [] {
    SetRandSeed(12345);
    TChimora c;
    c.SetWind(8);  // the wind of a first start
    std::vector<TFrame> out;
    for (int i = 0; i < 64; ++i) {
      c.Tick();
      out.push_back({c, i == 0 ? TRect{0, 0, c.Width(), c.Height()} : c.Changed()});
    }
    return out;
  }();
  return frames;
}

// Premultiply, upload, input shape and flush, as each timer step does, with the
// pointer away from the window; the server's events are taken between frames.
// The argument is the scale: 2 shows every pixel as a 2 x 2 block, as on a dense screen.
void BM_PresentOnDesktop(benchmark::State& state) {
  if (std::getenv("DISPLAY") == nullptr) {
    state.SkipWithError("no DISPLAY");
    return;
  }
  int argc = 1;
  char name[] = "present_bench";
  char* argv[] = {name, nullptr};
  std::optional<TQtProgram> program;
  try {
    program.emplace(argc, argv);
  } catch (...) {
    state.SkipWithError("no X display");
    return;
  }
  TProgramObjects objects;
  TQtWindowSystem system(TScaleRequest{.Option = std::to_string(state.range(0))});
  TForm form(system, "TPresentBench");
  Tf2LayerFunc layer(form);
  layer.SetLayerEnabled(true);
  form.Show();
  std::vector<TFrame> frames = Frames();
  size_t i = 0;
  for (auto _ : state) {
    TFrame& frame = frames[i++ % frames.size()];
    layer.PresentAt(100, 0, frame.Picture, frame.Changed);
    QCoreApplication::processEvents();
  }
  state.SetLabel(layer.LayerEnabled() ? "layered" : "shaped");
}
BENCHMARK(BM_PresentOnDesktop)->Arg(1)->Arg(2);

}  // namespace
