#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "TempFolder.h"
#include "app/vrelGlobal.h"
#include "platform/io/Paths.h"
#include "platform/io/ProfileFile.h"

namespace fs = std::filesystem;

namespace {

AnsiString Ansi8(const fs::path& p) { return TempFolder::Ansi(p); }

// A program folder, a per-user config home and a machine config folder of the
// test's own; the environment points at them while the fixture lives.
class Globals : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root / "program");
    fs::create_directories(root / "home");
    fs::create_directories(root / "etc");
    ::setenv("XDG_CONFIG_HOME", (root / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (root / "etc").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_CONFIG_DIRS");
  }
  AnsiString Program() const { return Ansi8(root / "program" / "chimora"); }
  void WriteSettings(TvrelGlobal& g, const std::string& text) {
    std::ofstream(ToUtf8(g.SettingsFileName()), std::ios::binary) << text;
  }
  TempFolder folder{"globals"};
  const fs::path& root = folder.Path();
};

}  // namespace

TEST_F(Globals, PathsAndVersionRecord) {
  TvrelGlobal g(Program());
  EXPECT_EQ(g.ExeDir(), Ansi8(root / "program"));
  EXPECT_EQ(g.ExePath(), Ansi8(root / "program") + "/");
  EXPECT_EQ(g.ExeName(), "chimora");
  EXPECT_EQ(g.ProductName(), "Chimora");
  EXPECT_EQ(g.InternalName(), "chimora");
  EXPECT_EQ(g.CompanyName(), "korvessa");
  EXPECT_FALSE(g.FileVersion().empty());
}

// In a root folder ExeDir keeps the separator and equals ExePath.
TEST_F(Globals, ProgramPathTable) {
  struct Row {
    AnsiString file, dir, path, name;
  };
  const std::vector<Row> rows = PathDelim == '/' ? std::vector<Row>{{"/chimora", "/", "/", "chimora"},
                                                                    {"/usr/lib/chimora/chimora", "/usr/lib/chimora", "/usr/lib/chimora/", "chimora"}}
                                                 : std::vector<Row>{{"C:\\chimora.exe", "C:\\", "C:\\", "chimora.exe"},
                                                                    {"C:\\Tools\\chimora.exe", "C:\\Tools", "C:\\Tools\\", "chimora.exe"},
                                                                    {"\\\\host\\share\\chimora.exe", "\\\\host\\share", "\\\\host\\share\\", "chimora.exe"}};
  for (const Row& row : rows) {
    TvrelGlobal g(row.file, [] { return std::optional<TVersionRecord>(); });
    EXPECT_EQ(g.ExeDir(), row.dir) << row.file;
    EXPECT_EQ(g.ExePath(), row.path) << row.file;
    EXPECT_EQ(g.ExeName(), row.name) << row.file;
  }
}

TEST_F(Globals, WithoutAVersionRecordNamesAreUnknown) {
  int attempts = 0;
  TvrelGlobal g("/nonexistent/prog", [&] {
    ++attempts;
    return std::optional<TVersionRecord>();
  });
  EXPECT_EQ(g.CompanyName(), "unknown");
  EXPECT_EQ(g.ProductName(), "unknown");
  EXPECT_EQ(g.InternalName(), "unknown");
  EXPECT_GT(attempts, 1);  // every accessor tries again
  // The program folder does not exist, so the data folder is the per-user fallback.
  EXPECT_EQ(g.DataFolder(), Ansi8(root / "home" / "unknown" / "unknown"));
  EXPECT_TRUE(fs::is_directory(root / "home" / "unknown" / "unknown"));
  TvrelGlobal partial(Program(), [] { return std::optional<TVersionRecord>(TVersionRecord{"1", "", "x", ""}); });
  EXPECT_EQ(partial.ProductName(), "unknown");
  EXPECT_EQ(partial.InternalName(), "x");
}

TEST_F(Globals, WritableProgramFolderKeepsSettingsBesideIt) {
  TvrelGlobal g(Program());
  EXPECT_EQ(g.SettingsFileName(), Ansi8(root / "program" / "Data" / "application.ini"));
  EXPECT_TRUE(fs::is_directory(root / "program" / "Data"));
  EXPECT_FALSE(fs::exists(root / "home" / "korvessa"));  // a normal run makes no registry key
}

TEST_F(Globals, InstalledProgramKeepsSettingsWithTheUser) {
  fs::create_directories(root / "etc" / "korvessa" / "chimora");
  std::ofstream(root / "etc" / "korvessa" / "chimora" / "registry.ini")
      << "[]\nAppDir=" << fs::path(root / "PROGRAM").string() << "\n";  // equal except for case
  TvrelGlobal g(Program());
  EXPECT_EQ(g.InstalledAppDir(), Ansi8(root / "PROGRAM"));
  EXPECT_EQ(g.DataFolder(), Ansi8(root / "home" / "korvessa" / "Chimora"));
  EXPECT_FALSE(fs::exists(root / "program" / "Data"));
}

TEST_F(Globals, RegistryOverrideIsUsedAndWrittenBack) {
  const fs::path key = root / "home" / "korvessa" / "chimora";
  fs::create_directories(key);
  const fs::path chosen = root / "elsewhere" / "deep";
  std::ofstream(key / "registry.ini") << "[DATA]\r\nPATH=" << chosen.string() << "\r\n";
  TvrelGlobal g(Program());
  EXPECT_EQ(g.DataFolder(), Ansi8(chosen));
  EXPECT_TRUE(fs::is_directory(chosen));
  EXPECT_EQ(g.RegReadString("data", "path", ""), Ansi8(chosen));
  EXPECT_EQ(g.RegReadString("DATA", "missing", "dflt"), "dflt");
  g.IniWriteInteger("chimora", "ling", 1);
  EXPECT_TRUE(fs::exists(chosen / "application.ini"));
}

TEST_F(Globals, IntegerAndBooleanConversions) {
  TvrelGlobal g(Program());
  WriteSettings(g,
                "[s]\nhex=0x1F\ndollar=$1F\nbare=0x\nmixed=12abc\nword=abc\nempty=\nblanks=  42\nneg=-5\n"
                "zero=0\none=1\ntwo=2\nminus=-1\nyes=yes\nX=0X10\nsignedhex=-0x10\nspacedhex=\" 0x10\"\n");
  struct Case {
    const char* key;
    int32_t value;
  } ints[] = {{"hex", 31}, {"dollar", 31}, {"bare", 99},  {"mixed", 99}, {"word", 99},
              {"empty", 99}, {"blanks", 42}, {"neg", -5}, {"missing", 99}, {"x", 16},
              {"signedhex", 99}, {"spacedhex", 99}};
  for (const Case& c : ints) EXPECT_EQ(g.IniReadInteger("S", c.key, 99), c.value) << c.key;
  EXPECT_FALSE(g.IniReadBool("s", "zero", true));
  for (const char* k : {"one", "two", "minus"}) EXPECT_TRUE(g.IniReadBool("s", k, false)) << k;
  EXPECT_TRUE(g.IniReadBool("s", "yes", true));
  EXPECT_FALSE(g.IniReadBool("s", "yes", false));
  EXPECT_EQ(g.IniReadInteger("other", "hex", 7), 7);
}

TEST_F(Globals, WrittenFormsReadBack) {
  TvrelGlobal g(Program());
  g.IniWriteFloat("chimora", "wind", 8.0);
  g.IniWriteFloat("chimora", "neg", -12.0);
  g.IniWriteFloat("chimora", "frac", 8.5);
  g.IniWriteBool("chimora", "sound", true);
  g.IniWriteBool("chimora", "mute", false);
  g.IniWriteString("chimora", "paper", Ansi(u8"/写真/夏.jpg"));
  g.IniWriteString("chimora", "long", std::string(3000, 'z'));
  g.IniWriteInteger("TFMCHIMORA", "LEFT", -70);
  const AnsiString text = *ReadWholeFile(g.SettingsFileName());
  for (const char* line : {"wind=8\r\n", "neg=-12\r\n", "frac=8.5\r\n", "sound=1\r\n", "mute=0\r\n", "LEFT=-70\r\n"}) {
    EXPECT_NE(text.find(line), AnsiString::npos) << line;
  }
  EXPECT_EQ(g.IniReadInteger("chimora", "wind", 0), 8);
  EXPECT_EQ(g.IniReadInteger("chimora", "neg", 0), -12);
  EXPECT_EQ(g.IniReadInteger("chimora", "frac", 8), 8);  // a fraction reads as the default
  EXPECT_EQ(g.IniReadString("chimora", "paper", ""), Ansi(u8"/写真/夏.jpg"));
  EXPECT_EQ(g.IniReadString("chimora", "long", "").size(), 2047u);
  EXPECT_EQ(g.IniReadString("chimora", "absent", "dflt"), "dflt");
}

TEST_F(Globals, RefusedWritesNameTheFileAndKeepTheOldOne) {
  TvrelGlobal g(Program());
  g.SetDataFolder("/proc/chimora-cannot-exist");  // no folder can be made there
  try {
    g.IniWriteInteger("chimora", "ling", 2);
    FAIL() << "no exception";
  } catch (const EIniWriteError& e) {
    EXPECT_EQ(ToUtf8(e.Message()), "/proc/chimora-cannot-exist/application.ini に書き込めません");
  }
  EXPECT_EQ(g.IniReadInteger("chimora", "ling", 5), 5);  // the store stays usable
}

// A folder where the settings file belongs: the chime starts with the defaults,
// and the folder is left as it was.
TEST_F(Globals, AFolderInPlaceOfTheSettingsFileReadsAsDefaults) {
  TvrelGlobal g(Program());
  const fs::path settings = ToUtf8(g.SettingsFileName());
  fs::create_directories(settings / "inside");
  EXPECT_EQ(g.IniReadInteger("chimora", "wind", 8), 8);
  EXPECT_EQ(g.IniReadString("chimora", "paper", ""), "");
  EXPECT_THROW(g.IniWriteInteger("chimora", "ling", 1), EIniWriteError);
  EXPECT_TRUE(fs::is_directory(settings / "inside"));
}

TEST_F(Globals, ARefusedRewriteKeepsTheOldFile) {
  TvrelGlobal g(Program());
  g.IniWriteInteger("chimora", "ling", 1);
  // A folder in the way of the temporary file makes the system refuse the write,
  // whoever runs the test (root writes through permissions).
  const fs::path blocker = fs::path(ToUtf8(g.SettingsFileName()) + ".tmp-" + std::to_string(::getpid()));
  fs::create_directories(blocker);
  try {
    g.IniWriteInteger("chimora", "ling", 3);
    FAIL() << "no exception";
  } catch (const EIniWriteError& e) {
    EXPECT_EQ(e.Message(), g.SettingsFileName() + Ansi(u8" に書き込めません"));
  }
  EXPECT_EQ(g.IniReadInteger("chimora", "ling", 0), 1);
  fs::remove(blocker);
  g.IniWriteInteger("chimora", "ling", 3);  // later writes try again
  EXPECT_EQ(g.IniReadInteger("chimora", "ling", 0), 3);
}

TEST_F(Globals, WriteTestCandidates) {
  const AnsiString folder = Ansi8(root / "program") + "/";
  std::ofstream(root / "program" / "WriteTest0.tmp") << "mine";
  EXPECT_TRUE(TvrelGlobal::CanWriteFolder(folder));
  EXPECT_TRUE(fs::exists(root / "program" / "WriteTest0.tmp"));
  EXPECT_FALSE(fs::exists(root / "program" / "WriteTest1.tmp"));
  EXPECT_FALSE(TvrelGlobal::CanWriteFolder(Ansi8(root / "missing") + "/"));
  for (int n = 0; n < 1000; ++n) std::ofstream(root / "program" / ("WriteTest" + std::to_string(n) + ".tmp"));
  EXPECT_FALSE(TvrelGlobal::CanWriteFolder(folder));  // every candidate is taken
}

TEST_F(Globals, EnsureFolder) {
  TvrelGlobal::EnsureFolder(Ansi8(root / "a" / "b" / "c"));
  EXPECT_TRUE(fs::is_directory(root / "a" / "b" / "c"));
  TvrelGlobal::EnsureFolder("/proc/no-such/x/y");  // returns without creating anything
  EXPECT_FALSE(fs::exists("/proc/no-such"));
  TvrelGlobal::EnsureFolder("relative-never-made/x");
  fs::remove_all("relative-never-made");
}

TEST_F(Globals, SpecialFolders) {
  EXPECT_EQ(TvrelGlobal::SpecialFolderPath(26), Ansi8(root / "home"));
  const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  ::setenv("HOME", (root / "user").c_str(), 1);
  EXPECT_EQ(TvrelGlobal::SpecialFolderPath(16), Ansi8(root / "user" / "Desktop"));
  EXPECT_EQ(TvrelGlobal::SpecialFolderPath(5), Ansi8(root / "user" / "Desktop"));  // unknown: the desktop
  ::setenv("HOME", home.c_str(), 1);
}
