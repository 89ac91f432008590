#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/io/ProfileFile.h"

std::optional<AnsiString> ReadWholeFile(const AnsiString& fileName) {
  std::ifstream in(ToUtf8(fileName), std::ios::binary);
  if (!in) return std::nullopt;
  return AnsiString{std::istreambuf_iterator<char>(in), {}};
}

bool ReplaceFileAtomically(const AnsiString& fileName, std::string_view content) {
  const std::string path = ToUtf8(fileName);
  const std::string temporary = path + ".tmp-" + std::to_string(::getpid());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t written = 0;
  while (written < content.size()) {
    const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
    if (n <= 0) break;
    written += static_cast<size_t>(n);
  }
  const bool ok = written == content.size() && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  const size_t slash = path.rfind('/');
  const int dir = ::open(slash == std::string::npos ? "." : path.substr(0, slash + 1).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}
