#include "chime/ClassChimora.h"

#include <cmath>
#include <numbers>

#include "platform/system/Clock.h"
#include "platform/io/Paths.h"
#include "platform/system/Random.h"
#include "platform/system/Sound.h"
#include "platform/text/SysUtils.h"

namespace {

struct BellSound {
  const char* FileName;
  int32_t Gap;  // milliseconds before the next sound may be chosen
};

constexpr BellSound kBellSounds[4] = {
    {"ling0.wav", 1200}, {"ling1.wav", 1200}, {"ling2.wav", 1800}, {"ling3.wav", 2500}};

}  // namespace

TChimora::TChimora() {
  SetPixelFormat(TPixelFormat::pf32bit);
  SetSize(FrameSize, FrameSize);
  FPaper.SetPixelFormat(TPixelFormat::pf32bit);
  FPaper.SetSize(FaceWidth, FaceHeight);
  FTextFace.SetSize(FaceWidth, FaceHeight);
  FTextFace.SetPixelFormat(TPixelFormat::pf32bit);
  SetBellType(1);
  SetStripText("");
}

void TChimora::SetWind(double value) {
  FWind = value;
  FHookX = 80;
}

double TChimora::StepGusts() {
  double sum = 0;
  for (Gust& g : FGusts) {
    if (g.Duration > g.Elapsed) {
      ++g.Elapsed;
      sum += std::sin(std::numbers::pi * g.Elapsed / g.Duration) * g.Amplitude;
    } else if (Random(100) == 0) {
      g.Elapsed = 0;
      g.Duration = Random(10) * 10 + 10;
      // Trunc saturates, so even the most negative stored wind negates safely.
      g.Amplitude = FWind < 0 ? -Random(Trunc(-FWind)) : Random(Trunc(FWind));
    }
  }
  return sum;
}

void TChimora::Tick() {
  // A face made on the worker goes on between frames, never during one.
  if (std::optional<TPaperFace> face = FPaperWork.TakeFinished()) PutPaper(std::move(*face));
  const double forcePrev = FForce;
  FForce = StepGusts();
  const double force = FForce;

  FTwistVel = 0.4 * FTwistVel - 0.05 * FTwist;
  FTwist = FTwist + FTwistVel;
  FTwistLag = FTwistLag + (FTwist - FTwistLag) / 4;
  FTwist = FTwist + 0.5 * force * FTwistDir;
  if (std::fabs(force) < 4) {
    FTwist = FTwist + 1.0 * force * FTwistDir;
  } else if (Random(40) == 0) {
    FTwistDir = -FTwistDir;
  }

  if (Random(500) == 0) SetWind(-FWind);

  ComposeFrame(forcePrev, force);
  ApplySoundRule(forcePrev, force);
}

void TChimora::ApplySoundRule(double forcePrev, double force) {
  if (!FSound) return;
  if (!(std::fabs(force) > std::fabs(forcePrev) && std::fabs(force) > 9)) return;
  const uint32_t now = GetTickCount();
  const uint32_t elapsed = now - FLastSoundTick;
  if (int64_t{elapsed} <= int64_t{FSoundGap}) return;

  const int32_t k = std::fabs(force) > 11 ? Random(4) : 0;
  const BellSound& sound = kBellSounds[k];
  FSoundGap = sound.Gap;
  FLastSoundTick = now;
  const AnsiString path = ExePath() + "wav" + PathDelim + sound.FileName;
  if (FileExists(path)) PlaySoundA(path.c_str(), nullptr, SND_ASYNC);
}
