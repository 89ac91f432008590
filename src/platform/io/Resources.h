#pragma once
// Program resources: named blocks of bytes compiled into the program, found by
// type and name without regard to case.
#include <cstdint>
#include <optional>
#include <span>

#include "platform/io/Stream.h"

struct ResourceEntry {
  const char* Type;
  const char* Name;
  std::span<const uint8_t> Data;
};

// Every resource the program carries (the table the build generates from assets/).
std::span<const ResourceEntry> ProgramResources();

std::optional<std::span<const uint8_t>> FindResource(const AnsiString& name, const AnsiString& type);

class EResNotFound : public Exception {
 public:
  using Exception::Exception;
};

// Reads a resource in place; throws EResNotFound when there is none of that name.
class TResourceStream : public TSpanStream {
 public:
  TResourceStream(const AnsiString& name, const AnsiString& type);
};

// The whole resource named name without extension, lower-cased; EResNotFound when missing.
AnsiString LoadResourceText(const AnsiString& name);
