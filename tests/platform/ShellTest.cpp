#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/system/Shell.h"

TEST(Shell, DetachedProgramsRunAndLeaveNoZombie) {
  const auto marker = std::filesystem::temp_directory_path() / ("chimora-spawn-" + std::to_string(::getpid()));
  ASSERT_TRUE(SpawnDetached({"touch", marker.string()}));
  for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(std::filesystem::exists(marker));
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
