#include "platform/io/Folders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "platform/io/ProfileFile.h"

namespace {

std::string Environment(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

// HOME, else the password database's home, as the shell does.
std::string Home() {
  if (std::string home = Environment("HOME"); !home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return "";
  return found->pw_dir != nullptr ? found->pw_dir : "";
}

std::string ConfigHome() {
  const std::string xdg = Environment("XDG_CONFIG_HOME");
  if (!xdg.empty() && xdg[0] == '/') return xdg;
  return Home().empty() ? "" : Home() + "/.config";
}

// XDG_DESKTOP_DIR from user-dirs.dirs, else ~/Desktop.
std::string DesktopFolder() {
  std::istringstream dirs(ReadWholeFile(FromSystemName(ConfigHome() + "/user-dirs.dirs")).value_or(""));
  std::string line;
  while (std::getline(dirs, line)) {
    const std::string key = "XDG_DESKTOP_DIR=\"";
    if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1) continue;
    std::string value = line.substr(key.size(), line.size() - key.size() - 1);
    if (value.rfind("$HOME", 0) == 0) value = Home() + value.substr(5);
    return value;
  }
  return Home().empty() ? "" : Home() + "/Desktop";
}

}  // namespace

bool DirectoryExists(const AnsiString& path) {
  struct stat st {};
  return !path.empty() && ::stat(ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(const AnsiString& path) { return ::mkdir(ToUtf8(path).c_str(), 0755) == 0; }

bool DeleteFile(const AnsiString& fileName) { return ::unlink(ToUtf8(fileName).c_str()) == 0; }

bool CreateEmptyFile(const AnsiString& fileName) {
  const int fd = ::open(ToUtf8(fileName).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

AnsiString ShellFolderPath(int32_t csidl) {
  if (csidl == CSIDL_APPDATA) return FromSystemName(ConfigHome());
  if (csidl == CSIDL_DESKTOPDIRECTORY) return FromSystemName(DesktopFolder());
  return "";
}

AnsiString SystemConfigPath() {
  std::string dirs = Environment("XDG_CONFIG_DIRS");
  dirs = dirs.substr(0, dirs.find(':'));
  return FromSystemName(dirs.empty() || dirs[0] != '/' ? "/etc/xdg" : dirs);
}
