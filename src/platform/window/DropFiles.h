#pragma once
// The names of one drop of files, reached through a drop handle (WM_DROPFILES's
// wParam) the way the shell's drop query reads them.
#include <cstdint>
#include <vector>

#include "platform/text/AnsiString.h"

struct TDropFiles {
  std::vector<AnsiString> Names;  // CP932, in drop order
  uintptr_t Handle() const { return reinterpret_cast<uintptr_t>(this); }
};

// The drop query of the backends whose drop handles are TDropFiles.
uint32_t QueryDropFiles(uintptr_t drop, uint32_t index, char* buffer, uint32_t size);
// The answer of a drop query for one name: copied into buffer (at most size - 1
// bytes and a NUL) and the bytes copied; with no buffer, the name's whole length.
uint32_t CopyDropName(const AnsiString& name, char* buffer, uint32_t size);
