// One timer step of the chime against the cheapest whole-frame operation.
#include <benchmark/benchmark.h>

#include "chime/ClassChimora.h"
#include "imaging/FuncGraphicWork.h"
#include "imaging/QuadImage.h"
#include "imaging/Rotation.h"
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

// The mapper alone: the strip's face on its quad, tilted by the argument in degrees.
static void BM_DrawQuadImage(benchmark::State& state) {
  TBitmap face;
  face.SetPixelFormat(TPixelFormat::pf32bit);
  face.SetSize(24, 92);
  FillBitmap32(face, 0xFF336699);
  TBitmap frame;
  frame.SetPixelFormat(TPixelFormat::pf32bit);
  frame.SetSize(TChimora::FrameSize, TChimora::FrameSize);
  const TPoint hang{80 * 256, 60 * 256};
  QuadCorners corners{TPoint{hang.x - 3072, hang.y - 512}, {hang.x + 3072, hang.y - 512},
                      {hang.x - 3072, hang.y + 23040}, {hang.x + 3072, hang.y + 23040}};
  for (TPoint& c : corners) c = RotatePoint(hang, c, static_cast<double>(state.range(0)));
  for (auto _ : state) {
    DrawQuadImage(frame, face, corners, QuadModeCopy, {0, 0, 24, 92});
    benchmark::DoNotOptimize(frame.ScanLine(0));
  }
}
BENCHMARK(BM_DrawQuadImage)->Arg(0)->Arg(20);
