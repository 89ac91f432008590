// chimora-tool autostart: the per-user entry that starts the chime with the desktop.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>

#include "Commands.h"
#include "ToolArgs.h"
#include "platform/io/Folders.h"
#include "platform/io/Paths.h"
#include "platform/io/ProfileFile.h"

namespace fs = std::filesystem;

namespace {

// Marks the entries this command wrote; any other is the user's own.
constexpr const char* kMark = "X-Chimora-Autostart=chimora-tool";

fs::path EntryPath() {
  const AnsiString config = ShellFolderPath(CSIDL_APPDATA);
  if (config.empty()) throw std::runtime_error("no home folder: the autostart entry has no place");
  return fs::path(ToUtf8(config)) / "autostart" / "chimora.desktop";
}

// The program as the entry's Exec key quotes it.
std::string QuotedProgram() {
  const std::string program = ToUtf8(ExePath()) + "chimora";
  std::string quoted = "\"";
  for (const char c : program) {
    if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("the program's path holds a control character: " + program);
    // Escaped for the quoted argument, then its backslash escaped again for the string value.
    if (c == '"' || c == '`' || c == '$') quoted += "\\\\";
    if (c == '\\') quoted += "\\\\\\";
    if (c == '%') quoted += '%';  // a field code otherwise
    quoted += c;
  }
  return quoted + "\"";
}

std::string EntryText() {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Chimora\n"
         "Name[ja]=Chimora 風鈴\n"
         "Comment=A wind chime hanging from the top of the screen\n"
         "Comment[ja]=画面の上から吊るす風鈴\n"
         "Exec=" + QuotedProgram() + "\n"
         "Icon=chimora\n"
         "Terminal=false\n"
         "StartupNotify=false\n"
         "X-GNOME-Autostart-enabled=true\n" +
         kMark + "\n";
}

enum class Found { None, Ours, Users };

Found Inspect(const fs::path& entry) {
  const std::optional<AnsiString> text = ReadWholeFile(FromSystemName(entry.string()));
  if (!text) return fs::exists(entry) ? Found::Users : Found::None;
  std::istringstream in(*text);
  for (std::string line; std::getline(in, line);) {
    if (line == kMark) return Found::Ours;
  }
  return Found::Users;
}

[[noreturn]] void Fail(const std::string& what, const fs::path& path, int error) {
  throw std::runtime_error(what + " " + path.string() + ": " + std::strerror(error));
}

// Written whole or not at all.
void Write(const fs::path& entry) {
  std::error_code error;
  fs::create_directories(entry.parent_path(), error);
  if (error) Fail("cannot create the folder", entry.parent_path(), error.value());
  const fs::path temp = entry.string() + ".tmp-" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) Fail("cannot write", temp, errno);
    out << EntryText();
    out.close();
    if (!out) {
      const int written = errno;
      fs::remove(temp, error);
      Fail("cannot write", temp, written);
    }
  }
  fs::rename(temp, entry, error);
  if (error) {
    fs::remove(temp);
    Fail("cannot replace", entry, error.value());
  }
}

int Autostart(const std::vector<std::string>& args) {
  const ToolArgs opts(args, {}, {"--force"});
  if (opts.Positionals().size() != 1) throw UsageError("needs one of on, off, status");
  const std::string action = opts.Positionals()[0];
  const bool force = opts.Has("--force");
  const fs::path entry = EntryPath();
  const Found found = Inspect(entry);
  if (action == "status") {
    switch (found) {
      case Found::None: std::cout << "off: no entry at " << entry.string() << "\n"; break;
      case Found::Ours: std::cout << "on: " << entry.string() << " starts the chime with the desktop\n"; break;
      case Found::Users: std::cout << "an entry of your own is at " << entry.string() << " (not written by chimora-tool)\n"; break;
    }
    return 0;
  }
  if (action != "on" && action != "off") throw UsageError("unknown action '" + action + "': on, off or status");
  if (found == Found::Users && !force) {
    throw std::runtime_error(entry.string() + " exists and was not written by chimora-tool; --force " +
                    (action == "on" ? "replaces" : "removes") + " it");
  }
  if (action == "on") {
    Write(entry);
    std::cout << "on: " << entry.string() << " starts the chime with the desktop\n";
    return 0;
  }
  std::error_code error;
  if (found != Found::None && !fs::remove(entry, error) && error) Fail("cannot remove", entry, error.value());
  std::cout << "off: " << (found == Found::None ? "there was no entry at " : "removed ") << entry.string() << "\n";
  return 0;
}

}  // namespace

const ToolCommand kAutostartCommand = {
    "autostart", "start the chime with the desktop, or stop doing so",
    "usage: chimora-tool autostart on|off|status [--force]\n"
    "\n"
    "on writes the per-user autostart entry (XDG autostart: autostart/chimora.desktop\n"
    "in ~/.config or $XDG_CONFIG_HOME) that starts the chime beside this tool when you\n"
    "log in; off removes it; status says what is there. An entry of that name that\n"
    "chimora-tool did not write is left alone unless --force is given.\n",
    Autostart};
