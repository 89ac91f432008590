#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
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

namespace {

// f in a child process as an ordinary user, since root reads and writes through
// permissions; true when f returned true.
bool AsOrdinaryUser(const std::function<bool()>& f) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(f() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

fs::perms Mode(const fs::path& p) { return fs::status(p).permissions(); }

}  // namespace

// What the user did to the file is kept: its permissions, its being a link, and
// a file we may not write or read is refused, untouched.
TEST_F(ProfileFile, TheUsersFileIsRespected) {
  using P = fs::perms;
  const fs::path path = dir / "application.ini";
  auto write = [this] { return WritePrivateProfileString(std::string("s"), std::string("k"), std::string("new"), file); };
  struct Case {
    const char* what;
    P mode;
    bool ordinaryUser;
    bool written;
  };
  const Case cases[] = {
      {"read-only, written by root", P::owner_read | P::group_read | P::others_read, false, false},
      {"read-only", P::owner_read | P::group_read | P::others_read, true, false},
      {"unreadable", P::owner_write, true, false},
      {"private", P::owner_read | P::owner_write, true, true},
  };
  fs::permissions(dir, P::all);
  for (const Case& c : cases) {
    fs::remove(path);
    std::ofstream(path) << "[s]\r\nk=old\r\n";
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(path.c_str(), c.ordinaryUser ? 65534 : 0, c.ordinaryUser ? 65534 : 0), 0);
    }
    fs::permissions(path, c.mode);
    EXPECT_EQ(c.ordinaryUser ? AsOrdinaryUser(write) : write(), c.written) << c.what;
    EXPECT_EQ(Mode(path), c.mode) << c.what;
    fs::permissions(path, P::owner_read | P::owner_write);
    EXPECT_EQ(GetPrivateProfileString("s", "k", "", 2048, file), c.written ? "new" : "old") << c.what;
  }
  // A link made by a dot-file manager stays a link; its target takes the value.
  fs::create_directories(dir / "dotfiles");
  std::ofstream(dir / "dotfiles" / "chimora.ini") << "[s]\r\nk=old\r\n";
  fs::create_symlink("dotfiles/chimora.ini", dir / "linked.ini");
  ASSERT_TRUE(WritePrivateProfileString(std::string("s"), std::string("k"), std::string("new"), folder.Name("linked.ini")));
  EXPECT_TRUE(fs::is_symlink(dir / "linked.ini"));
  EXPECT_EQ(GetPrivateProfileString("s", "k", "", 2048, folder.Name("dotfiles/chimora.ini")), "new");
}

// Writers killed half way leave temporaries; the next write clears those of
// processes that are gone, and two writers at once both keep their keys.
TEST_F(ProfileFile, StaleTemporariesGoAndConcurrentWritersKeepEveryKey) {
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const fs::path stale = dir / ("application.ini.tmp-" + std::to_string(gone));
  const fs::path living = dir / ("application.ini.tmp-" + std::to_string(::getppid()));
  std::ofstream(stale) << "half";
  std::ofstream(living) << "busy";
  std::vector<pid_t> writers;
  for (const char* key : {"a", "b"}) {
    writers.push_back(::fork());
    if (writers.back() == 0) {
      bool ok = true;
      for (int i = 0; i < 40; ++i) ok &= WritePrivateProfileString(std::string("s"), key + std::to_string(i), std::string("1"), file);
      ::_exit(ok ? 0 : 1);
    }
  }
  for (const pid_t w : writers) {
    int status = 0;
    ::waitpid(w, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (const char* key : {"a", "b"}) {
    for (int i = 0; i < 40; ++i) EXPECT_EQ(GetPrivateProfileString("s", key + std::to_string(i), "", 16, file), "1") << key << i;
  }
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(living));
}
