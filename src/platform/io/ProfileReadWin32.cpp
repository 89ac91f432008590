// Reading is the system's own profile call; writing stays ours, since each
// write replaces the whole file at once.
#include "platform/io/ProfileFile.h"

#include <windows.h>
#undef GetPrivateProfileString

#include <vector>

AnsiString GetPrivateProfileString(const AnsiString& section, const AnsiString& key, const AnsiString& fallBack,
                                   size_t size, const AnsiString& fileName) {
  std::vector<char> buffer(size > 0 ? size : 65536);
  const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallBack.c_str(), buffer.data(),
                                           static_cast<DWORD>(buffer.size()), fileName.c_str());
  return AnsiString(buffer.data(), n);
}
