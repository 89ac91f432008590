#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"
#include "platform/io/ProfileFile.h"

namespace fs = std::filesystem;

TEST(ProfileText, ReadingFollowsTheSystemsRules) {
  const std::string text =
      "; comment\r\n[Chimora]\r\n  Wind = 12  \r\nsound=\"1\"\r\npaper='a b'\r\nbare\r\n[chimora]\r\nwind=5\r\n"
      "[Other]\nwind=7\nempty=\n[ spaced ]\nk=v";
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  } cases[] = {{"chimora", "wind", "12"},   {"CHIMORA", "WIND", "12"}, {"chimora", "sound", "1"},
               {"chimora", "paper", "a b"}, {"chimora", "bare", ""},   {"other", "wind", "7"},
               {"other", "empty", ""},      {"spaced", "k", "v"},      {"chimora", "none", std::nullopt},
               {"missing", "wind", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(ProfileValue(text, c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(ProfileText, WritingKeepsTheRestOfTheFile) {
  std::string text = "; mine\r\n[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n";
  text = WithProfileValue(text, "A", "X", "10");
  EXPECT_EQ(text, "; mine\r\n[a]\r\nX=10\r\n\r\n[b]\r\ny=2\r\n");
  text = WithProfileValue(text, "a", "z", "3");
  EXPECT_EQ(text, "; mine\r\n[a]\r\nX=10\r\nz=3\r\n\r\n[b]\r\ny=2\r\n");
  text = WithProfileValue(text, "c", "k", "v");
  EXPECT_EQ(text, "; mine\r\n[a]\r\nX=10\r\nz=3\r\n\r\n[b]\r\ny=2\r\n[c]\r\nk=v\r\n");
  text = WithProfileValue(text, "a", "x", std::nullopt);
  text = WithProfileValue(text, "b", std::nullopt, std::nullopt);
  EXPECT_EQ(text, "; mine\r\n[a]\r\nz=3\r\n\r\n[c]\r\nk=v\r\n");
  EXPECT_EQ(WithProfileValue("", "s", "k", "v"), "[s]\r\nk=v\r\n");
}

TEST(ProfileText, DamagedFilesStillRead) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>(i * 37 % 256);
  const std::string text = garbage + "\n[s]\nk=" + std::string(100000, 'v') + "\n[s\nk=no";
  EXPECT_EQ(ProfileValue(text, "s", "k")->size(), 100000u);
  EXPECT_FALSE(ProfileValue(std::string("\0\0[s]\0k=1", 9), "t", "k").has_value());
}

class ProfileFile : public ::testing::Test {
 protected:
  TempFolder folder{"profile"};
  const fs::path& dir = folder.Path();
  const AnsiString file = folder.Name("application.ini");
};

TEST_F(ProfileFile, DefaultsCapsAndRoundTrips) {
  EXPECT_EQ(GetPrivateProfileString("s", "k", "def  ", 2048, file), "def");  // trailing blanks dropped
  ASSERT_TRUE(WritePrivateProfileString(std::string("s"), std::string("k"), std::string(3000, 'x'), file));
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", 2048, file).size(), 2047u);
  ASSERT_TRUE(WritePrivateProfileString(std::string("s"), std::string("j"), Ansi(u8"立春"), file));
  EXPECT_EQ(GetPrivateProfileString("s", "j", "", 2048, file), Ansi(u8"立春"));
  EXPECT_TRUE(WritePrivateProfileString(std::nullopt, std::nullopt, std::nullopt, file));
  for (const auto& entry : fs::directory_iterator(dir)) EXPECT_EQ(entry.path().filename(), "application.ini");
}

TEST_F(ProfileFile, RefusedWriteLeavesTheOldFile) {
  ASSERT_TRUE(WritePrivateProfileString(std::string("s"), std::string("k"), std::string("old"), file));
  if (::geteuid() == 0) {
    // Root writes through permissions; a missing folder refuses for everyone.
    const AnsiString missing = folder.Name("no/such/a.ini");
    EXPECT_FALSE(WritePrivateProfileString(std::string("s"), std::string("k"), std::string("new"), missing));
  } else {
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(WritePrivateProfileString(std::string("s"), std::string("k"), std::string("new"), file));
  }
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", 2048, file), "old");
}

TEST_F(ProfileFile, AKillDuringWritesLeavesAWholeFile) {
  // A child rewrites the file as fast as it can and is killed at a random moment;
  // every time, the file holds one complete version.
  for (int round = 0; round < 20; ++round) {
    const pid_t child = ::fork();
    if (child == 0) {
      for (int i = 0;; ++i) {
        const std::string value(1000 + i % 7 * 5000, static_cast<char>('a' + i % 26));
        WritePrivateProfileString(std::string("s"), std::string("k"), value, file);
      }
    }
    ::usleep(2000 + round * 1500);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const auto text = ReadWholeFile(file);
    if (!text) continue;  // killed before the first rename
    const auto value = ProfileValue(*text, "s", "k");
    ASSERT_TRUE(value.has_value());
    ASSERT_FALSE(value->empty());
    EXPECT_EQ(value->find_first_not_of(value->front()), std::string::npos);
    EXPECT_EQ(*text, "[s]\r\nk=" + *value + "\r\n");
  }
}
