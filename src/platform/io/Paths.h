#pragma once
// File-system paths as the system holds them: CP932 text with the platform's separator.
#include "platform/text/AnsiString.h"

#ifdef _WIN32
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif

// The folder that holds the running program, ending with PathDelim.
AnsiString ExePath();

// True for an existing regular file; false also when the name cannot be converted.
bool FileExists(const AnsiString& fileName);

// The extension with its dot: from the last dot after the last separator; empty when none.
AnsiString ExtractFileExt(const AnsiString& fileName);
// fileName with its extension replaced by extension (which may be empty).
AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension);
// The part after the last separator.
AnsiString ExtractFileName(const AnsiString& fileName);
// The part before the last separator, without it (the root keeps its separator); empty when none.
AnsiString ExtractFileDir(const AnsiString& fileName);
