// One timer step of the chime against the cheapest whole-frame operation.
#include <benchmark/benchmark.h>

#include "chime/ClassChimora.h"
#include "imaging/FuncGraphicWork.h"
#include "platform/system/Random.h"

static void BM_Tick(benchmark::State& state) {
  SetRandSeed(12345);
  TChimora chime;
  chime.SetWind(static_cast<double>(state.range(0)));
  for (auto _ : state) {
    chime.Tick();
    benchmark::DoNotOptimize(chime.ScanLine(0));
  }
}
BENCHMARK(BM_Tick)->Arg(5)->Arg(8)->Arg(12);

// The back face in view: the quad samples the text face instead of the picture.
static void BM_TickBackFace(benchmark::State& state) {
  SetRandSeed(12345);
  TChimora chime;
  chime.SetStripText(Ansi(u8"一期一会"));
  chime.SetWind(0);
  chime.SetTwist(180);
  for (auto _ : state) {
    chime.Tick();
    benchmark::DoNotOptimize(chime.ScanLine(0));
  }
}
BENCHMARK(BM_TickBackFace);

static void BM_FillBitmap32(benchmark::State& state) {
  TBitmap frame;
  frame.SetPixelFormat(TPixelFormat::pf32bit);
  frame.SetSize(TChimora::FrameSize, TChimora::FrameSize);
  for (auto _ : state) {
    FillBitmap32(frame, 0);
    benchmark::DoNotOptimize(frame.ScanLine(0));
  }
}
BENCHMARK(BM_FillBitmap32);
