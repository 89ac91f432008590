#pragma once
// Folders and files by CP932 name, and the user's special folders.
#include <cstdint>

#include "platform/text/AnsiString.h"

bool DirectoryExists(const AnsiString& path);
// One folder; false when it cannot be made (its parent is missing, no permission).
bool CreateDir(const AnsiString& path);
bool DeleteFile(const AnsiString& fileName);
// Creates (or truncates) a file for reading and writing and closes it at once.
bool CreateEmptyFile(const AnsiString& fileName);

// Folder numbers of the shell.
constexpr int32_t CSIDL_DESKTOPDIRECTORY = 16;
constexpr int32_t CSIDL_APPDATA = 26;
// The folder of that number without a trailing separator: the XDG config home
// for application data, the XDG desktop folder for the desktop; empty for others.
AnsiString ShellFolderPath(int32_t csidl);
// The first machine-wide configuration folder (XDG_CONFIG_DIRS, /etc/xdg by default).
AnsiString SystemConfigPath();
