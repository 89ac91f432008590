#pragma once
// Opening links and files through the desktop, and small byte-string helpers.
// Positions are 1-based byte positions in CP932 text.
#include <cstdint>

#include "platform/text/AnsiString.h"

// A target that does not begin with "http:" (exactly) is a mail address.
void OpenLink(const AnsiString& target);
void RunFile(const AnsiString& path);

bool HasLeadByte(const AnsiString& text);
// Bytes first to last inclusive, clamped to the text; empty when last < first.
AnsiString CopyRange(const AnsiString& text, int32_t first, int32_t last);
AnsiString CopyFrom(const AnsiString& text, int32_t first);
// The position of part at or after byte first, never on a trail byte; 0 when none.
int32_t PosFrom(const AnsiString& part, const AnsiString& text, int32_t first);
