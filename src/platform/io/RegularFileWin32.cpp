#include <windows.h>

#include "platform/io/RegularFile.h"

intptr_t OpenRegularFile(const std::string& name, uint32_t access, uint32_t share, uint32_t disposition) {
  // A folder cannot be opened as a file anyway; this gives the same reason as for a device.
  const DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    SetLastError(ERROR_BAD_FILE_TYPE);
    return -1;
  }
  const HANDLE h = CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  // Devices (CON, NUL, COM1) and pipes are no files to read.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    SetLastError(ERROR_BAD_FILE_TYPE);
    return -1;
  }
  return reinterpret_cast<intptr_t>(h);
}
