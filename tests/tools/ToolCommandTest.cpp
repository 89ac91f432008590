#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <string>

#include "TempFolder.h"
#include "resources/ClassArchiveStream.h"

namespace fs = std::filesystem;

namespace {

struct Result {
  int status;
  std::string output;  // stdout and stderr together
};

Result RunToolAt(const std::string& tool, const std::string& args) {
  const std::string command = tool + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  Result r{-1, {}};
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.output.append(buffer, n);
  const int raw = pclose(pipe);
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return r;
}

Result RunTool(const std::string& args) { return RunToolAt(std::string(CHIMORA_TOOL) + " ", args); }

class ToolCommand : public ::testing::Test {
 protected:
  TempFolder folder{"tool"};
  const fs::path& dir = folder.Path();
};

}  // namespace

TEST_F(ToolCommand, RenderWritesOneFramePerTickAndASheet) {
  const Result r = RunTool("render --ticks 12 --seed 3 --wind -5 --out " + dir.string() +
                           " --sheet " + (dir / "sheet.png").string());
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_NE(r.output.find("12 frames written"), std::string::npos) << r.output;
  EXPECT_TRUE(fs::exists(dir / "frame-0001.png"));
  EXPECT_TRUE(fs::exists(dir / "frame-0012.png"));
  EXPECT_FALSE(fs::exists(dir / "frame-0013.png"));
  EXPECT_TRUE(fs::exists(dir / "sheet.png"));
}

TEST_F(ToolCommand, SameSeedSameFrames) {
  ASSERT_EQ(RunTool("render --ticks 30 --seed 77 --out " + (dir / "a").string()).status, 0);
  ASSERT_EQ(RunTool("render --ticks 30 --seed 77 --out " + (dir / "b").string()).status, 0);
  ASSERT_EQ(RunTool("render --ticks 30 --seed 78 --out " + (dir / "c").string()).status, 0);
  auto bytes = [](const fs::path& p) {
    std::string s(fs::file_size(p), '\0');
    FILE* f = fopen(p.c_str(), "rb");
    EXPECT_EQ(fread(s.data(), 1, s.size(), f), s.size());
    fclose(f);
    return s;
  };
  EXPECT_EQ(bytes(dir / "a/frame-0030.png"), bytes(dir / "b/frame-0030.png"));
  bool differs = false;
  for (int i = 1; i <= 30 && !differs; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%04d.png", i);
    differs = bytes(dir / "a" / name) != bytes(dir / "c" / name);
  }
  EXPECT_TRUE(differs);
}

TEST_F(ToolCommand, MistakesExitOneWithAMessage) {
  const char* cases[] = {"",
                         "no-such-command",
                         "render",
                         "render --ticks 0 --out /tmp/x",
                         "render --ticks abc --out /tmp/x",
                         "render --seed -1 --out /tmp/x",
                         "render --wind nan --out /tmp/x",
                         "render --frobnicate --out /tmp/x",
                         "render --out",
                         "render --ticks 1 --sheet /nonexistent-folder/sheet.png",
                         "render --bell 2 --out /tmp/x",
                         "render --text 😀 --out /tmp/x",
                         "render --twist abc --out /tmp/x",
                         "decode",
                         "decode /nonexistent/picture.png",
                         "decode /etc/hostname",
                         "resources extra",
                         "jpx /nonexistent/in.jpg /tmp/out.jpx"};
  for (const char* args : cases) {
    const Result r = RunTool(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_FALSE(r.output.empty()) << args;
  }
}

TEST_F(ToolCommand, RenderChoosesBellTextPaperAndTwist) {
  const fs::path back = dir / "back", paper = dir / "paper";
  ASSERT_EQ(RunTool("render --ticks 1 --wind 0 --bell 0 --text 一期一会 --twist 180 --out " + back.string()).status, 0);
  const Result r = RunTool("render --ticks 1 --wind 0 --paper /nonexistent/x.png --out " + paper.string());
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.output.find("default paper"), std::string::npos) << r.output;
  EXPECT_NE(fs::file_size(back / "frame-0001.png"), fs::file_size(paper / "frame-0001.png"));
}

TEST_F(ToolCommand, DecodeResourcesAndJpx) {
  fs::create_directories(dir);
  const Result decoded = RunTool("decode " + std::string(CHIMORA_TESTDATA) + "/jpeg/libjpeg-turbo/testorig.jpg --out " +
                                 (dir / "d.png").string());
  EXPECT_EQ(decoded.status, 0) << decoded.output;
  EXPECT_NE(decoded.output.find("24-bit, 227 x 149"), std::string::npos) << decoded.output;
  EXPECT_TRUE(fs::exists(dir / "d.png"));
  const Result refused = RunTool("decode " + std::string(CHIMORA_TESTDATA) + "/png/basn0g16.png");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.output.find("16bit色深度には対応していません"), std::string::npos) << refused.output;
  const Result listed = RunTool("resources");
  EXPECT_NE(listed.output.find("HOLIDAYS"), std::string::npos);
  ASSERT_EQ(RunTool("jpx " + std::string(CHIMORA_TESTDATA) + "/jpeg/libjpeg-turbo/testorig.jpg " + (dir / "t.jpx").string()).status, 0);
  const Result jpx = RunTool("decode " + (dir / "t.jpx").string());
  EXPECT_NE(jpx.output.find("24-bit, 227 x 149"), std::string::npos) << jpx.output;
}

TEST_F(ToolCommand, FarcPackListExtract) {
  fs::create_directories(dir / "in");
  std::ofstream(dir / "in" / "一.txt") << "first member";
  std::ofstream(dir / "in" / "b.bin") << std::string(5000, 'x');
  const std::string archive = (dir / "t.farc").string();
  ASSERT_EQ(RunTool("farc pack " + archive + " " + (dir / "in" / "一.txt").string() + " " + (dir / "in" / "b.bin").string()).status, 0);
  const Result listed = RunTool("farc list " + archive);
  EXPECT_EQ(listed.status, 0);
  EXPECT_NE(listed.output.find("一.txt"), std::string::npos) << listed.output;
  EXPECT_NE(listed.output.find("members:           2"), std::string::npos) << listed.output;
  ASSERT_EQ(RunTool("farc extract " + archive + " 1 " + (dir / "out.bin").string()).status, 0);
  EXPECT_EQ(fs::file_size(dir / "out.bin"), 5000u);
  ASSERT_EQ(RunTool("farc extract " + archive + " 一.txt " + (dir / "out.txt").string()).status, 0);
  EXPECT_EQ(fs::file_size(dir / "out.txt"), 12u);
  const Result bad = RunTool("farc list " + std::string(CHIMORA_TESTDATA) + "/png/basn0g01.png");
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.output.find("TArchiveStream:"), std::string::npos) << bad.output;
  EXPECT_EQ(RunTool("farc extract " + archive + " missing.txt").status, 1);
}

// Without an output name a member lands in the current folder under its base name, whatever it is called.
TEST_F(ToolCommand, FarcExtractStaysInTheCurrentFolder) {
  const fs::path work = dir / "work" / "here";
  fs::create_directories(work);
  const AnsiString archive = folder.Name("names.farc");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"../up.txt", "up.txt"}, {"/tmp/chimora-absolute.txt", "chimora-absolute.txt"}, {"sub\\win.txt", "win.txt"},
      {"\x95\x5C.txt", "\xE8\xA1\xA8.txt"},  // its trail byte is a backslash
      {"..", ""}, {"a/", ""}};
  std::vector<ArchiveMember> members;
  for (const auto& [name, file] : cases) members.push_back({name, {'x'}});
  WriteArchive(archive, members);
  for (size_t i = 0; i < cases.size(); ++i) {
    const Result r = RunToolAt("cd '" + work.string() + "' && " + CHIMORA_TOOL + " ", "farc extract " + ToUtf8(archive) + " " + std::to_string(i));
    EXPECT_EQ(r.status, cases[i].second.empty() ? 1 : 0) << cases[i].first << r.output;
    if (!cases[i].second.empty()) {
      EXPECT_TRUE(fs::exists(work / cases[i].second)) << cases[i].first;
    }
  }
  EXPECT_FALSE(fs::exists(dir / "work" / "up.txt"));
  EXPECT_FALSE(fs::exists("/tmp/chimora-absolute.txt"));
  EXPECT_EQ(std::distance(fs::directory_iterator(work), fs::directory_iterator()), 4);
}

// A program folder whose name CP932 lacks works; a user with no home at all is
// told once that nothing is kept, and the tool still answers.
TEST_F(ToolCommand, SettingsFromAnyFolderAndWithoutAHome) {
  const fs::path folder = dir / "Gl\xC3\xB6" "ckchen \xF0\x9F\x94\x94";
  fs::create_directories(folder);
  fs::copy_file(CHIMORA_TOOL, folder / "chimora-tool");
  const Result here = RunToolAt("'" + (folder / "chimora-tool").string() + "' ", "settings");
  EXPECT_EQ(here.status, 0) << here.output;
  EXPECT_NE(here.output.find("program folder: " + folder.string() + "\n"), std::string::npos) << here.output;
  if (::geteuid() != 0) GTEST_SKIP() << "only root can run the tool as a user the password database does not know";
  fs::permissions(dir, fs::perms::all);
  const Result homeless = RunToolAt("env -u HOME -u XDG_CONFIG_HOME setpriv --reuid=4242 --regid=4242 --clear-groups '" +
                                        (folder / "chimora-tool").string() + "' ",
                                    "settings");
  EXPECT_EQ(homeless.status, 0) << homeless.output;
  EXPECT_NE(homeless.output.find("data folder:    (none: the settings are not kept)"), std::string::npos) << homeless.output;
  const std::string notice = "設定を保存するフォルダーがありません";
  const size_t first = homeless.output.find(notice);
  EXPECT_NE(first, std::string::npos) << homeless.output;
  EXPECT_EQ(homeless.output.find(notice, first + 1), std::string::npos) << "said more than once";
}

TEST_F(ToolCommand, AlmanacNoteXmlAndSettings) {
  const Result year = RunTool("almanac 2024");
  EXPECT_EQ(year.status, 0);
  EXPECT_NE(year.output.find("2024-02-03  節分"), std::string::npos);
  EXPECT_NE(year.output.find("2024-05-04  国民の休日"), std::string::npos);
  EXPECT_EQ(RunTool("note 2024-02-04").output, "立春\n");
  EXPECT_EQ(RunTool("note 2024-01-01").output, "");
  EXPECT_EQ(RunTool("note 2024-02-30").status, 1);
  fs::create_directories(dir);
  std::ofstream(dir / "bad.xml") << "<a b='1'/>";
  const Result xml = RunTool("xml " + (dir / "bad.xml").string());
  EXPECT_EQ(xml.status, 1);
  EXPECT_NE(xml.output.find("属性指定が不正です"), std::string::npos) << xml.output;
  const Result settings = RunTool("settings");
  EXPECT_EQ(settings.status, 0);
  EXPECT_NE(settings.output.find("settings file:"), std::string::npos);
}

TEST_F(ToolCommand, ADamagedArchiveBesideTheProgramStopsTheStart) {
  // A copy of the tool of its own, so that other tests never see the archive.
  fs::copy_file(CHIMORA_TOOL, dir / "chimora-tool");
  std::ofstream(dir / "graphic") << "not an archive";
  const std::string tool = (dir / "chimora-tool").string() + " ";
  Result r = RunToolAt(tool, "note 2024-02-04");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("TArchiveStream:\r\n[Reload]ファイルが不正[not ]です"), std::string::npos) << r.output;
  std::ofstream(dir / "graphic", std::ios::trunc);  // an empty file becomes an empty archive
  r = RunToolAt(tool, "note 2024-02-04");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, "立春\n");
  EXPECT_EQ(fs::file_size(dir / "graphic"), 48u);
}

TEST_F(ToolCommand, HelpForEveryCommand) {
  const Result overview = RunTool("--help");
  EXPECT_EQ(overview.status, 0);
  EXPECT_NE(overview.output.find("render"), std::string::npos);
  for (const char* command : {"render", "decode", "resources", "jpx", "almanac", "note", "xml", "settings", "farc", "autostart"}) {
    const Result help = RunTool(std::string(command) + " --help");
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_NE(help.output.find(std::string("usage: chimora-tool ") + command), std::string::npos) << command;
  }
}

// The autostart entry: written, reported and removed; a user's own entry of that
// name is kept unless forced; a home that cannot take it is an error.
TEST_F(ToolCommand, AutostartOnStatusOff) {
  const fs::path entry = dir / "autostart" / "chimora.desktop";
  const std::string tool = "XDG_CONFIG_HOME='" + dir.string() + "' " + CHIMORA_TOOL + " ";
  struct Step {
    const char* args;
    int status;
    const char* says;
    bool entryAfter;
  } steps[] = {{"autostart status", 0, "off: no entry", false},
               {"autostart on", 0, "on: ", true},
               {"autostart status", 0, "on: ", true},
               {"autostart off", 0, "off: removed", false},
               {"autostart off", 0, "off: there was no entry", false},
               {"autostart sideways", 1, "unknown action", false}};
  for (const Step& step : steps) {
    const Result r = RunToolAt(tool, step.args);
    EXPECT_EQ(r.status, step.status) << step.args << ": " << r.output;
    EXPECT_NE(r.output.find(step.says), std::string::npos) << step.args << ": " << r.output;
    EXPECT_EQ(fs::exists(entry), step.entryAfter) << step.args;
  }
  ASSERT_EQ(RunToolAt(tool, "autostart on").status, 0);
  std::ifstream written(entry);
  const std::string text((std::istreambuf_iterator<char>(written)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Exec=\"" + fs::path(CHIMORA_TOOL).parent_path().string() + "/chimora\"\n"), std::string::npos) << text;
  EXPECT_EQ(std::system(("desktop-file-validate '" + entry.string() + "'").c_str()), 0);
  // The user's own entry.
  std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=Mine\nExec=mine\n";
  for (const char* args : {"autostart on", "autostart off"}) {
    const Result refused = RunToolAt(tool, args);
    EXPECT_EQ(refused.status, 1) << args;
    EXPECT_NE(refused.output.find("was not written by chimora-tool"), std::string::npos) << refused.output;
  }
  EXPECT_NE(RunToolAt(tool, "autostart status").output.find("an entry of your own"), std::string::npos);
  EXPECT_EQ(RunToolAt(tool, "autostart on --force").status, 0);
  EXPECT_NE(RunToolAt(tool, "autostart status").output.find("on: "), std::string::npos);
  const Result homeless = RunToolAt(std::string("XDG_CONFIG_HOME=/dev/null/home ") + CHIMORA_TOOL + " ", "autostart on");
  EXPECT_EQ(homeless.status, 1);
  EXPECT_NE(homeless.output.find("cannot create the folder /dev/null/home/autostart"), std::string::npos) << homeless.output;
}
