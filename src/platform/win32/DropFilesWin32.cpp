// Drops come from the shell: its drop handle and its query.
#include "platform/win32/Win32Api.h"

uint32_t DragQueryFileA(uintptr_t drop, uint32_t index, char* buffer, uint32_t size) {
  return ::DragQueryFileA(reinterpret_cast<HDROP>(drop), index, buffer, size);
}
