#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <utility>

#include "platform/io/ProfileFile.h"
#include "platform/io/RegularFile.h"

namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : FFd(fd) {}
  ~Descriptor() {
    if (FFd >= 0) ::close(FFd);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return FFd; }
  // Closes now; false when the data did not reach the file.
  bool Close() { return ::close(std::exchange(FFd, -1)) == 0; }

 private:
  int FFd;
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

// The file a name finally stands for: a settings file that is a link (as
// dot-file managers make them) stays a link, and its target is replaced.
std::string FinalTarget(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    char target[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
    if (n <= 0 || n == static_cast<ssize_t>(sizeof target)) break;
    const std::string next(target, static_cast<size_t>(n));
    path = next[0] == '/' ? next : FolderOf(path) + next;
  }
  return path;
}

std::string TemporaryPrefix(const std::string& path) { return path + ".tmp-"; }

// What writers killed half way left behind: temporaries of processes that are gone.
void RemoveStaleTemporaries(const std::string& path) {
  const std::string folder = FolderOf(path);
  const size_t slash = path.rfind('/');
  const std::string prefix = TemporaryPrefix(slash == std::string::npos ? path : path.substr(slash + 1));
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
      ::unlink((folder + name).c_str());
    }
  }
  ::closedir(dir);
}

bool ReadAll(int fd, std::string& out) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    out.append(buffer, static_cast<size_t>(n));
  }
}

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    content.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

std::optional<AnsiString> ReadWholeFile(const AnsiString& fileName) {
  const Descriptor in(OpenRegularFile(ToUtf8(fileName), O_RDONLY));
  std::string text;
  if (in.Get() < 0 || !ReadAll(in.Get(), text)) return std::nullopt;
  return text;
}

bool UpdateFileAtomically(const AnsiString& fileName, const std::function<std::string(const std::string&)>& change) {
  const std::string path = FinalTarget(ToUtf8(fileName));
  const Descriptor folder(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Writers of the folder take turns, so no read-modify-write loses another's keys.
  if (folder.Get() < 0 || ::flock(folder.Get(), LOCK_EX) != 0) return false;
  RemoveStaleTemporaries(path);
  std::string before;
  struct stat old {};
  const bool existed = ::stat(path.c_str(), &old) == 0;
  if (existed) {
    // A file the user made read-only stays as it is, also for root; one that
    // cannot be read is never replaced by what little we know.
    if (!S_ISREG(old.st_mode) || (old.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0) return false;
    const Descriptor in(OpenRegularFile(path, O_RDONLY));
    if (in.Get() < 0 || !ReadAll(in.Get(), before)) return false;
  } else if (errno != ENOENT) {
    return false;
  }
  const std::string temporary = TemporaryPrefix(path) + std::to_string(::getpid());
  Descriptor out(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (out.Get() < 0) return false;
  bool ok = WriteAll(out.Get(), change(before));
  if (existed) {
    // The replacement keeps the old file's permissions (and its owner, where we may).
    ok = ok && ::fchmod(out.Get(), old.st_mode & 07777) == 0;
    if (::geteuid() == 0) (void)::fchown(out.Get(), old.st_uid, old.st_gid);
  }
  ok = ok && ::fsync(out.Get()) == 0;
  if (!out.Close() || !ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  ::fsync(folder.Get());  // the rename itself reaches the disk with the folder
  return true;
}
