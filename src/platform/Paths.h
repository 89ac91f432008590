#pragma once
// File-system paths as the system holds them: CP932 text with the platform's separator.
#include "platform/AnsiString.h"

constexpr char PathDelim = '/';

// The folder that holds the running program, ending with PathDelim.
AnsiString ExePath();

// True for an existing regular file; false also when the name cannot be converted.
bool FileExists(const AnsiString& fileName);
