#pragma once
// What each system's code page conversion gives the shared rules of AnsiString.cpp.
#include <string>
#include <string_view>

#include "platform/text/AnsiString.h"

// utf8 (well-formed) in CP932, true only when CP932 gives back the very same bytes.
bool ExactCp932(std::string_view utf8, AnsiString& out);
// CP932 text as UTF-8; bytes that are no CP932 character become U+FFFD.
std::string PlainToUtf8(std::string_view cp932);
