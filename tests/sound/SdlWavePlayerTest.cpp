// Playback through SDL's disk driver, which writes what the device would play to
// a file, with a clock the test moves: the retries' minutes pass at once.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <poll.h>
#include <sys/stat.h>

#include <atomic>
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

constexpr const char* kLing0 = CHIMORA_WAV_DIR "/ling0.wav";

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

// Until the sound was played and the device let go, or the sound dropped, however loaded the machine.
bool WaitUntilIdle(const TSdlWavePlayer& player) {
  for (int i = 0; i < 1000 && player.Busy(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return !player.Busy();
}

class SdlWavePlayer : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIODELAY", "0", 1);
  }
  void TearDown() override { ::unsetenv("SDL_AUDIODRIVER"); }

  // The device closes as soon as its sound has ended.
  TSdlWavePlayer Player(const char* library = TSdlLibrary::kName) {
    return TSdlWavePlayer({kRetry, 0, 5}, library, [this] { return now.load(); });
  }

  static constexpr uint32_t kRetry = 5000;
  std::atomic<uint32_t> now{123};
  TempFolder folder{"sound"};
};

TEST_F(SdlWavePlayer, PlaysTheWaveAndStaysSilentOnBrokenFiles) {
  const std::filesystem::path output = folder / "device.raw";
  ::setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
  const AnsiString broken = folder.Write("broken.wav", std::string("RIFF....WAVEfmt nonsense"));
  {
    TSdlWavePlayer player = Player();
    testing::internal::CaptureStderr();
    for (const AnsiString& name : {broken, AnsiString(""), broken, folder.Name("missing.wav")}) {
      player.Play(name);
      ASSERT_TRUE(WaitUntilIdle(player));
    }
    const std::string notices = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(std::filesystem::exists(output));
    // Once per file, not per attempt.
    EXPECT_EQ(Notices(notices), 3u) << notices;
    player.Play(kLing0);
    EXPECT_TRUE(WaitUntilIdle(player));
  }
  const std::vector<char> played = ReadAll(output);
  ASSERT_GT(played.size(), 44100u);  // at least a quarter second of 16-bit stereo
  EXPECT_TRUE(std::any_of(played.begin(), played.end(), [](char b) { return b != 0; }));
}

// A device that cannot be opened, or is lost while it plays (a sound server
// stopped), is tried again by a later sound, after a silence that doubles with
// each failure in a row; stderr hears of it once, and again only after sound has
// worked in between.
TEST_F(SdlWavePlayer, SoundComesBackAfterTheDeviceFailed) {
  const std::filesystem::path output = folder / "later" / "device.raw";
  TSdlWavePlayer player = Player();
  struct Step {
    const char* device;  // where the disk driver writes what it plays; "": the output file
    uint32_t wait;       // milliseconds on the player's clock before the sound
    bool plays;
    size_t notices;
  };
  const Step steps[] = {
      {"", 0, false, 1},               // the output's folder is missing: the device does not open
      {"", kRetry - 1, false, 1},      // too soon: not tried
      {"", 1, false, 1},               // tried again, still failing: nothing more said
      {"folder", kRetry, false, 1},    // the folder is there, but a second failure waits twice as long
      {"", kRetry, true, 1},           // tried again: sound is back
      {"/dev/full", 0, false, 2},      // opens, then every write fails: lost, and said again
      {"", kRetry, true, 2},           // sound had worked: a first failure's silence is enough again
  };
  size_t notices = 0;
  for (const Step& step : steps) {
    if (std::string(step.device) == "folder") std::filesystem::create_directories(output.parent_path());
    ::setenv("SDL_DISKAUDIOFILE", *step.device == '/' ? step.device : output.c_str(), 1);
    now += step.wait;
    std::error_code missing;
    std::filesystem::remove(output, missing);  // a device that opens writes it afresh
    testing::internal::CaptureStderr();
    player.Play(kLing0);
    EXPECT_TRUE(WaitUntilIdle(player)) << &step - steps;
    notices += Notices(testing::internal::GetCapturedStderr());
    EXPECT_EQ(std::filesystem::exists(output) && std::filesystem::file_size(output) > 44100, step.plays) << &step - steps;
    EXPECT_EQ(notices, step.notices) << &step - steps;
  }
}

// Without SDL, or with a library that is not SDL, the chime stays silent and says
// so once, however often it rings.
TEST_F(SdlWavePlayer, StaysSilentWithoutTheLibrary) {
  const struct {
    const char* library;
    const char* reason;
  } cases[] = {
      {"libchimora-absent.so.0", "chimora: no sound: libchimora-absent.so.0: cannot open"},
      {"libz.so.1", "undefined symbol: SDL_"},
  };
  for (const auto& c : cases) {
    TSdlWavePlayer player = Player(c.library);
    testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i) {
      player.Play(kLing0);
      ASSERT_TRUE(WaitUntilIdle(player));
    }
    const std::string notices = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Notices(notices), 1u) << notices;
    EXPECT_NE(notices.find(c.reason), std::string::npos) << notices;
  }
}

// A device that stops taking sound while it plays (a sound server that stopped
// answering; here a pipe that nobody reads) holds the worker, never the caller
// nor the end, though closing the device waits for SDL's audio thread until the
// device answers again.
TEST_F(SdlWavePlayer, AHungDeviceHoldsNeitherTheCallerNorTheEnd) {
  const std::filesystem::path pipe = folder / "device.fifo";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ::setenv("SDL_DISKAUDIOFILE", pipe.c_str(), 1);
  pollfd device{reader, POLLIN, 0};
  {
    TSdlWavePlayer player = Player();
    player.Play(kLing0);
    ASSERT_EQ(::poll(&device, 1, 10000), 1);  // the device is open and the pipe filling up
    // Until the pipe is full and the audio thread stuck in its write.
    for (int n = 0, before = -1; n != before; std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
      before = n;
      ::ioctl(reader, FIONREAD, &n);
    }
    for (int i = 0; i < 3; ++i) player.Play(kLing0);
    EXPECT_TRUE(player.Busy());
  }
  // The device answers again: the worker left behind lets it go and ends.
  std::vector<char> buffer(1 << 16);
  for (ssize_t got = 1; got != 0 && ::poll(&device, 1, 10000) == 1;) got = ::read(reader, buffer.data(), buffer.size());
  EXPECT_EQ(::read(reader, buffer.data(), buffer.size()), 0);  // every writer is gone
  ::close(reader);
}

}  // namespace
