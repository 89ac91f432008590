#include "platform/io/Paths.h"

#include <windows.h>

#include "platform/system/SystemInfo.h"

AnsiString ExePath() {
  AnsiString path = ProgramFileName();
  path.erase(path.rfind(PathDelim) + 1);
  return path;
}

bool FileExists(const AnsiString& fileName) {
  const DWORD attributes = GetFileAttributesA(fileName.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
