#pragma once
// Reads and seeds the chime's private simulation state for tests.
#include <cstdint>

#include "chime/ClassChimora.h"

class ChimoraProbe {
 public:
  explicit ChimoraProbe(TChimora& chime) : FChime(chime) {}

  std::array<Gust, 8>& Gusts() { return FChime.FGusts; }
  double& Force() { return FChime.FForce; }
  double& Twist() { return FChime.FTwist; }
  double& TwistLag() { return FChime.FTwistLag; }
  double& TwistVel() { return FChime.FTwistVel; }
  int32_t& TwistDir() { return FChime.FTwistDir; }
  int32_t HookX() const { return FChime.FHookX; }
  uint32_t& LastSoundTick() { return FChime.FLastSoundTick; }
  int32_t& SoundGap() { return FChime.FSoundGap; }
  TBitmap& Bell() { return FChime.FBell; }
  TBitmap& Paper() { return FChime.FPaper; }
  TBitmap& TextFace() { return FChime.FTextFace; }
  double StepGusts() { return FChime.StepGusts(); }
  void ComposeFrame(double forcePrev, double force) { FChime.ComposeFrame(forcePrev, force); }

  // Every component in a long pulse of amplitude 0: adds nothing and draws nothing.
  void Quieten() {
    for (Gust& g : Gusts()) g = {0, 0, 1000};
  }
  // Makes the next StepGusts return exactly force (sin of a half turn's middle is 1).
  void NextForce(int32_t force) {
    Quieten();
    Gusts()[0] = {4, force, 10};
  }

 private:
  TChimora& FChime;
};

// How many draws of the random source lead from state before to state after.
inline int DrawsBetween(uint32_t before, uint32_t after) {
  for (int n = 0; n < 64; ++n) {
    if (before == after) return n;
    before = before * 134775813u + 1u;
  }
  return -1;
}
