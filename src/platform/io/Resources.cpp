#include "platform/io/Resources.h"

#include <algorithm>

#include "platform/io/Paths.h"

namespace {

bool SameAsciiNoCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::span<const uint8_t> Require(const AnsiString& name, const AnsiString& type) {
  if (auto data = FindResource(name, type)) return *data;
  throw EResNotFound(Ansi(u8"リソース ") + name + Ansi(u8" が見つかりません"));
}

}  // namespace

std::optional<std::span<const uint8_t>> FindResource(const AnsiString& name, const AnsiString& type) {
  for (const ResourceEntry& e : ProgramResources()) {
    if (SameAsciiNoCase(e.Type, type) && SameAsciiNoCase(e.Name, name)) return e.Data;
  }
  return std::nullopt;
}

TResourceStream::TResourceStream(const AnsiString& name, const AnsiString& type)
    : TSpanStream(Require(name, type)) {}

AnsiString LoadResourceText(const AnsiString& name) {
  TResourceStream stream(AnsiLowerCase(ChangeFileExt(name, "")), "RC_DATA");
  AnsiString text(static_cast<size_t>(stream.Size()), '\0');
  stream.ReadBuffer(text.data(), stream.Size());
  return text;
}
