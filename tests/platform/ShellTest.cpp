#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/system/OwnEnvironment.h"
#include "platform/system/Shell.h"

// What the program started with reaches what it starts; its own variables do not.
TEST(Shell, DetachedProgramsRunWithTheProgramsFirstEnvironmentAndLeaveNoZombie) {
  const auto marker = std::filesystem::temp_directory_path() / ("chimora-spawn-" + std::to_string(::getpid()));
  const auto partial = marker.string() + ".part";
  ::setenv("CHIMORA_GIVEN", "given", 1);
  ::unsetenv("CHIMORA_ABSENT");
  ::setenv("CHIMORA_KEPT", "kept", 1);
  {
    ScopedOwnVariable changed("CHIMORA_GIVEN", "ours");
    ScopedOwnVariable added("CHIMORA_ABSENT", "ours");
    ScopedOwnVariable removed("CHIMORA_KEPT", std::nullopt);
    ASSERT_TRUE(SpawnDetached({"sh", "-c", "echo \"$CHIMORA_GIVEN ${CHIMORA_ABSENT-unset} $CHIMORA_KEPT\" > \"$0\" && mv \"$0\" \"$1\"",
                               partial, marker.string()}));
    EXPECT_STREQ(std::getenv("CHIMORA_GIVEN"), "ours");
  }
  EXPECT_STREQ(std::getenv("CHIMORA_GIVEN"), "given");
  EXPECT_EQ(std::getenv("CHIMORA_ABSENT"), nullptr);
  for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::ifstream in(marker);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "given unset kept");
  std::filesystem::remove(marker);
  // Nothing is left for this process to reap.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  EXPECT_FALSE(SpawnDetached({"no-such-program-anywhere"}));
  EXPECT_FALSE(SpawnDetached({}));
}

TEST(Shell, OpenGoesToTheInstalledOpener) {
  std::vector<AnsiString> opened;
  {
    ScopedShellOpener capture([&](const AnsiString& t) { opened.push_back(t); });
    ShellOpen("http://example.invalid/");
  }
  EXPECT_EQ(opened, std::vector<AnsiString>{"http://example.invalid/"});
}
