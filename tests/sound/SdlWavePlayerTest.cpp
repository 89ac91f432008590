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

// Until the device is let go after its quiet, however loaded the machine.
bool WaitUntilClosed(TSdlWavePlayer& player) {
  for (int i = 0; i < 500 && player.Serving(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return !player.Serving();
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

// A device that cannot be opened, or is lost while it plays (a sound server
// stopped), is tried again by a later sound, after a silence that doubles with
// each failure in a row; stderr hears of it once, and again only after sound has
// worked in between.
TEST(SdlWavePlayer, SoundComesBackAfterTheDeviceFailed) {
  TempFolder folder("recover");
  const std::filesystem::path output = folder / "later" / "device.raw";
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIODELAY", "0", 1);
  // Long beside the steps' own time, so "too soon" stays too soon under load.
  constexpr auto kRetry = std::chrono::milliseconds(1500);
  TSdlWavePlayer player(kRetry.count(), 50);
  struct Step {
    const char* device;  // where the disk driver writes what it plays; "": the output file
    bool waitRetry;      // a first failure's silence passes before the sound
    bool plays;
    size_t notices;
  };
  const Step steps[] = {
      {"", false, false, 1},           // the output's folder is missing: the device does not open
      {"", true, false, 1},            // tried again, still failing: nothing more said
      {"folder", true, false, 1},      // the folder is there, but a second failure waits twice as long: not tried
      {"", true, true, 1},             // tried again: sound is back
      {"/dev/full", false, false, 2},  // opens, then every write fails: lost, and said again
      {"", true, true, 2},             // sound had worked: a first failure's silence is enough again
  };
  size_t notices = 0;
  for (const Step& step : steps) {
    if (std::string(step.device) == "folder") std::filesystem::create_directories(output.parent_path());
    ::setenv("SDL_DISKAUDIOFILE", *step.device == '/' ? step.device : output.c_str(), 1);
    if (step.waitRetry) std::this_thread::sleep_for(kRetry + std::chrono::milliseconds(100));
    std::error_code missing;
    std::filesystem::remove(output, missing);  // a device that opens writes it afresh
    testing::internal::CaptureStderr();
    player.Play(CHIMORA_WAV_DIR "/ling0.wav");
    EXPECT_TRUE(WaitUntilSilent(player)) << step.device;
    EXPECT_TRUE(WaitUntilClosed(player)) << step.device;
    notices += Notices(testing::internal::GetCapturedStderr());
    EXPECT_EQ(std::filesystem::exists(output) && std::filesystem::file_size(output) > 44100, step.plays) << &step - steps;
    EXPECT_EQ(notices, step.notices) << &step - steps;
  }
  ::unsetenv("SDL_AUDIODRIVER");
}

// Without SDL, or with a library that is not SDL, the chime stays silent and says
// so once, however often it rings.
TEST(SdlWavePlayer, StaysSilentWithoutTheLibrary) {
  const struct {
    const char* library;
    const char* reason;
  } cases[] = {
      {"libchimora-absent.so.0", "chimora: no sound: libchimora-absent.so.0: cannot open"},
      {"libz.so.1", "undefined symbol: SDL_"},
  };
  for (const auto& c : cases) {
    TSdlWavePlayer player(5000, 3000, c.library);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i) player.Play(CHIMORA_WAV_DIR "/ling0.wav");
    const std::string notices = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(player.Serving()) << c.library;
    EXPECT_EQ(Notices(notices), 1u) << notices;
    EXPECT_NE(notices.find(c.reason), std::string::npos) << notices;
  }
}

}  // namespace
