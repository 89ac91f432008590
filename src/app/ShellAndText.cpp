#include "app/ShellAndText.h"

#include <algorithm>

#include "platform/system/Shell.h"

void OpenLink(const AnsiString& target) {
  ShellOpen(target.compare(0, 5, "http:") == 0 ? target : "mailto:" + target);
}

void RunFile(const AnsiString& path) { ShellOpen(path); }

bool HasLeadByte(const AnsiString& text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return IsLeadByte(static_cast<unsigned char>(c)); });
}

AnsiString CopyRange(const AnsiString& text, int32_t first, int32_t last) {
  first = std::max(first, 1);
  last = std::min<int64_t>(last, static_cast<int64_t>(text.size()));
  if (last < first) return "";
  return text.substr(static_cast<size_t>(first - 1), static_cast<size_t>(last - first + 1));
}

AnsiString CopyFrom(const AnsiString& text, int32_t first) {
  return CopyRange(text, first, static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX)));
}

int32_t PosFrom(const AnsiString& part, const AnsiString& text, int32_t first) {
  if (text.empty() || first < 1 || static_cast<size_t>(first) > text.size() || part.empty()) return 0;
  // Character boundaries are found from the start, so a match never begins on a trail byte.
  for (size_t i = 0; i + part.size() <= text.size(); i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1) {
    if (i + 1 >= static_cast<size_t>(first) && text.compare(i, part.size(), part) == 0) return static_cast<int32_t>(i + 1);
  }
  return 0;
}
