#include <gtest/gtest.h>

#include "platform/system/SystemInfo.h"
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/system/Clock.h"
#include "platform/io/Paths.h"
#include "platform/system/Sound.h"

TEST(Clock, OverrideIsScopedAndNests) {
  const uint32_t real = GetTickCount();
  {
    ScopedTickCount outer([] { return 0xFFFFFFF0u; });
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
    {
      ScopedTickCount inner([] { return 5u; });
      EXPECT_EQ(GetTickCount(), 5u);
    }
    EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
  }
  EXPECT_LT(GetTickCount() - real, 60000u);
}

TEST(Paths, ExePathIsTheFolderOfThisProgram) {
  const AnsiString folder = ExePath();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), PathDelim);
  EXPECT_TRUE(FileExists(ProgramFileName()));
  EXPECT_EQ(ProgramFileName().substr(0, folder.size()), folder);
  EXPECT_FALSE(FileExists(folder));  // a folder is not a file
  EXPECT_FALSE(FileExists(folder + "no-such-file"));
}

namespace {
struct Recorder : WavePlayer {
  std::vector<AnsiString> played;
  void Play(const AnsiString& path) override { played.push_back(path); }
};
}  // namespace

TEST(Sound, GoesToTheInstalledPlayerOnly) {
  EXPECT_FALSE(PlaySoundA("a.wav", nullptr, SND_ASYNC));
  Recorder recorder;
  {
    ScopedWavePlayer scope(recorder);
    EXPECT_TRUE(PlaySoundA("b.wav", nullptr, SND_ASYNC));
  }
  EXPECT_FALSE(PlaySoundA("c.wav", nullptr, SND_ASYNC));
  EXPECT_EQ(recorder.played, std::vector<AnsiString>{"b.wav"});
}
