#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "platform/Exception.h"

AnsiString ExePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) throw Exception("cannot read /proc/self/exe");
  std::string utf8(buffer, static_cast<size_t>(n));
  utf8.erase(utf8.rfind('/') + 1);
  AnsiString path;
  if (!FromUtf8(utf8, path)) throw Exception("program folder name is not representable in CP932");
  return path;
}

bool FileExists(const AnsiString& fileName) {
  struct stat st {};
  return stat(ToUtf8(fileName).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
