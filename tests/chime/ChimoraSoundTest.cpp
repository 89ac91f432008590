#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "ChimoraProbe.h"
#include "platform/system/Clock.h"
#include "platform/io/Paths.h"
#include "platform/system/Random.h"
#include "platform/system/Sound.h"

namespace {

struct Recorder : WavePlayer {
  std::vector<AnsiString> played;
  void Play(const AnsiString& path) override { played.push_back(path); }
};

// A chime with sound on, the wav folder beside this test program, a recording
// player and a tick counter the test sets.
class ChimoraSound : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(WavFolder());
    for (int k = 0; k < 4; ++k) std::ofstream(WavFolder() / ("ling" + std::to_string(k) + ".wav"));
    chime.SetWind(12);
    chime.SetSound(true);
  }
  void TearDown() override { std::filesystem::remove_all(WavFolder()); }

  static std::filesystem::path WavFolder() { return std::filesystem::path(ExePath()) / "wav"; }

  // One tick whose force goes from previous to force at system time now.
  void TickAt(uint32_t time, double previous, int32_t force) {
    now = time;
    probe.Force() = previous;
    probe.NextForce(force);
    chime.Tick();
  }

  static AnsiString Wav(int k) {
    return ExePath() + "wav" + PathDelim + "ling" + std::to_string(k) + ".wav";
  }

  TChimora chime;
  ChimoraProbe probe{chime};
  Recorder recorder;
  ScopedWavePlayer player{recorder};
  uint32_t now = 0;
  ScopedTickCount clock{[this] { return now; }};
};

}  // namespace

TEST_F(ChimoraSound, ThresholdsOfTheForce) {
  struct Case {
    double previous;
    int32_t force;
    bool sounds;
  } cases[] = {{0, 9, false},  {0, -9, false}, {0, 10, true},  {0, -10, true},
               {10, 10, false}, {12, 12, false}, {12, -12, false}, {11, 12, true}, {-11, -12, true}};
  for (const Case& c : cases) {
    TChimora fresh;
    fresh.SetWind(12);
    fresh.SetSound(true);
    ChimoraProbe p(fresh);
    p.Force() = c.previous;
    p.NextForce(c.force);
    now = 5;  // just after the counter's start: the first qualifying tick still sounds
    recorder.played.clear();
    fresh.Tick();
    EXPECT_EQ(recorder.played.size(), c.sounds ? 1u : 0u) << c.previous << " -> " << c.force;
  }
}

TEST_F(ChimoraSound, ElevenChoosesTheFirstBellWithoutADraw) {
  SetRandSeed(5);
  TickAt(1000, 0, 11);
  ASSERT_EQ(recorder.played, std::vector<AnsiString>{Wav(0)});
  EXPECT_EQ(probe.SoundGap(), 1200);
  EXPECT_EQ(probe.LastSoundTick(), 1000u);
  EXPECT_EQ(DrawsBetween(5, RandSeed()), 2);  // Random(40), Random(500)
}

TEST_F(ChimoraSound, AboveElevenDrawsTheBellAndItsGap) {
  const int32_t gaps[] = {1200, 1200, 1800, 2500};
  std::set<int> chosen;
  for (uint32_t seed = 0; seed < 64 && chosen.size() < 4; ++seed) {
    TChimora fresh;
    fresh.SetWind(12);
    fresh.SetSound(true);
    ChimoraProbe p(fresh);
    p.NextForce(-12);
    SetRandSeed(seed);
    now = 5;
    recorder.played.clear();
    fresh.Tick();
    EXPECT_EQ(DrawsBetween(seed, RandSeed()), 3);
    // The last draw of the tick was Random(4): its value is the high bits of state * 4.
    const int k = static_cast<int>((uint64_t{RandSeed()} * 4) >> 32);
    ASSERT_EQ(recorder.played, std::vector<AnsiString>{Wav(k)});
    EXPECT_EQ(p.SoundGap(), gaps[k]);
    chosen.insert(k);
  }
  EXPECT_EQ(chosen.size(), 4u);
}

TEST_F(ChimoraSound, SoundOffDrawsNoBell) {
  chime.SetSound(false);
  SetRandSeed(5);
  TickAt(1000, 0, 12);
  EXPECT_TRUE(recorder.played.empty());
  EXPECT_EQ(DrawsBetween(5, RandSeed()), 2);
}

TEST_F(ChimoraSound, GapHoldsAcrossTheCounterWrap) {
  TickAt(0xFFFFFF00u, 0, 11);
  ASSERT_EQ(recorder.played.size(), 1u);
  TickAt(0x00000100u, 0, 11);  // 512 ms later
  TickAt(0xFFFFFF00u + 1200u, 0, 11);  // exactly the gap: not yet
  EXPECT_EQ(recorder.played.size(), 1u);
  TickAt(0xFFFFFF00u + 1201u, 0, 11);
  EXPECT_EQ(recorder.played.size(), 2u);
  EXPECT_EQ(probe.LastSoundTick(), 0xFFFFFF00u + 1201u);
}

TEST_F(ChimoraSound, LongGapOfTheLastBell) {
  probe.LastSoundTick() = 0;
  probe.SoundGap() = 2500;
  TickAt(2400, 0, 11);
  EXPECT_TRUE(recorder.played.empty());
  TickAt(2501, 0, 11);
  EXPECT_EQ(recorder.played.size(), 1u);
}

TEST_F(ChimoraSound, MissingFileIsSkippedButTheGapStarts) {
  std::filesystem::remove_all(WavFolder());
  TickAt(7000, 0, 11);
  EXPECT_TRUE(recorder.played.empty());
  EXPECT_EQ(probe.LastSoundTick(), 7000u);
  EXPECT_EQ(probe.SoundGap(), 1200);
}
