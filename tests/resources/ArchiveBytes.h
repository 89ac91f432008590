#pragma once
// Builds FARC archive bytes field by field, to make damaged and unusual archives.
#include <cstdint>
#include <cstring>
#include <string>

#include "resources/ClassArchiveStream.h"

class ArchiveBytes {
 public:
  ArchiveBytes& Raw(const std::string& bytes) {
    FBytes += bytes;
    return *this;
  }
  template <typename T>
  ArchiveBytes& Value(T v) {
    FBytes.append(reinterpret_cast<const char*>(&v), sizeof v);
    return *this;
  }
  // "FARC", 4, "AHDR", L, count, time, padding to L, "ADAT".
  ArchiveBytes& Header(int64_t count, int32_t length = 24, const std::string& magic = "FARC",
                       const std::string& headerTag = "AHDR", const std::string& dataTag = "ADAT") {
    Raw(magic).Value<int64_t>(4).Raw(headerTag).Value<int32_t>(length).Value<int64_t>(count).Raw("2024010112000000");
    if (length > 24) FBytes.append(static_cast<size_t>(length - 24), '\0');
    return Raw(dataTag);
  }
  ArchiveBytes& Member(int32_t id, const std::string& name, int64_t offset, int64_t size, uint8_t flags = 1) {
    TArchiveEntry e;
    e.Id = id;
    e.NameLength = static_cast<int32_t>(name.size());
    e.DataOffset = offset;
    e.Flags = flags;
    e.DataSize = size;
    FBytes.append(reinterpret_cast<const char*>(&e), sizeof e);
    return Raw(name);
  }
  ArchiveBytes& PadTo(size_t size, char fill = '.') {
    if (FBytes.size() < size) FBytes.append(size - FBytes.size(), fill);
    return *this;
  }
  size_t Size() const { return FBytes.size(); }
  const std::string& Bytes() const { return FBytes; }

 private:
  std::string FBytes;
};
