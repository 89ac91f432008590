// Playback through SDL's disk driver, which writes what the device would play to a file.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "platform/sound/SdlWavePlayer.h"

namespace {

std::vector<char> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Our notices, not SDL's own chatter.
size_t Notices(const std::string& err) {
  size_t n = 0;
  for (size_t at = err.find("chimora: "); at != std::string::npos; at = err.find("chimora: ", at + 1)) ++n;
  return n;
}

bool WaitUntilSilent(TSdlWavePlayer& player) {
  for (int i = 0; i < 300 && player.Playing(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return !player.Playing();
}

TEST(SdlWavePlayer, PlaysTheWaveAndStaysSilentOnBrokenFiles) {
  TempFolder folder("sound");
  const std::filesystem::path output = folder / "device.raw";
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  ::setenv("SDL_DISKAUDIODELAY", "0", 1);
  const AnsiString broken = folder.Write("broken.wav", std::string("RIFF....WAVEfmt nonsense"));
  {
    TSdlWavePlayer player;
    testing::internal::CaptureStderr();
    player.Play(broken);
    player.Play(broken);
    player.Play(folder.Name("missing.wav"));
    const std::string notices = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(player.Playing());
    // Once per file, not per attempt.
    EXPECT_EQ(Notices(notices), 2u) << notices;
    player.Play(CHIMORA_WAV_DIR "/ling0.wav");
    EXPECT_TRUE(player.Playing());
    EXPECT_TRUE(WaitUntilSilent(player));
  }
  const std::vector<char> played = ReadAll(output);
  ASSERT_GT(played.size(), 44100u);  // at least a quarter second of 16-bit stereo
  EXPECT_TRUE(std::any_of(played.begin(), played.end(), [](char b) { return b != 0; }));
  ::unsetenv("SDL_AUDIODRIVER");
}

TEST(SdlWavePlayer, WithoutADeviceItSaysSoOnceAndStaysSilent) {
  ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  TSdlWavePlayer player;
  testing::internal::CaptureStderr();
  player.Play(CHIMORA_WAV_DIR "/ling0.wav");
  EXPECT_TRUE(WaitUntilSilent(player));  // the device is tried on SDL's timer thread
  player.Play(CHIMORA_WAV_DIR "/ling1.wav");
  EXPECT_FALSE(player.Playing());
  const std::string notices = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Notices(notices), 1u) << notices;
  ::unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
