#include <sys/stat.h>

#include "platform/io/Paths.h"
#include "platform/system/SystemInfo.h"

AnsiString ExePath() {
  AnsiString path = ProgramFileName();
  path.erase(path.rfind(PathDelim) + 1);
  return path;
}

bool FileExists(const AnsiString& fileName) {
  struct stat st {};
  return stat(ToUtf8(fileName).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
