#include "platform/io/Folders.h"

#include <windows.h>
#include <shlobj.h>
#undef DeleteFile  // ours, not the system's macro

bool DirectoryExists(const AnsiString& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDir(const AnsiString& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool DeleteFile(const AnsiString& fileName) { return DeleteFileA(fileName.c_str()) != 0; }

bool CreateEmptyFile(const AnsiString& fileName) {
  const HANDLE h = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

AnsiString ShellFolderPath(int32_t csidl) {
  LPITEMIDLIST list = nullptr;
  if (SHGetSpecialFolderLocation(nullptr, csidl, &list) != S_OK) return "";
  char path[MAX_PATH] = {};
  const bool found = SHGetPathFromIDListA(list, path);
  CoTaskMemFree(list);
  return found ? AnsiString(path) : AnsiString();
}
