#include "platform/window/DropFiles.h"

#include <algorithm>
#include <cstring>

uint32_t QueryDropFiles(uintptr_t drop, uint32_t index, char* buffer, uint32_t size) {
  const auto* files = reinterpret_cast<const TDropFiles*>(drop);
  if (files == nullptr) return 0;
  if (index == 0xFFFFFFFFu) return static_cast<uint32_t>(files->Names.size());
  if (index >= files->Names.size()) return 0;
  return CopyDropName(files->Names[index], buffer, size);
}

uint32_t CopyDropName(const AnsiString& name, char* buffer, uint32_t size) {
  if (buffer == nullptr) return static_cast<uint32_t>(name.size());
  if (size == 0) return 0;
  const size_t n = std::min<size_t>(name.size(), size - 1);
  std::memcpy(buffer, name.data(), n);
  buffer[n] = '\0';
  return static_cast<uint32_t>(n);
}
