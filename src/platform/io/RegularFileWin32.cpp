#include <windows.h>

#include "platform/io/RegularFile.h"
#include "platform/text/AnsiString.h"

namespace {
// The name as the system holds it: a character CP932 lacks travels inside in the
// reserved form (FromUtf8Name) and reaches the file through its UTF-16 name.
std::wstring SystemName(const std::string& name) {
  const std::string utf8 = ToUtf8(name);
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}
}  // namespace

intptr_t OpenRegularFile(const std::string& name, uint32_t access, uint32_t share, uint32_t disposition) {
  const std::wstring wide = SystemName(name);
  // A folder cannot be opened as a file anyway; this gives the same reason as for a device.
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    SetLastError(ERROR_BAD_FILE_TYPE);
    return -1;
  }
  const HANDLE h = CreateFileW(wide.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return -1;
  // Devices (CON, NUL, COM1) and pipes are no files to read.
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    SetLastError(ERROR_BAD_FILE_TYPE);
    return -1;
  }
  return reinterpret_cast<intptr_t>(h);
}
