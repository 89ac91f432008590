#include "platform/io/ProfileFile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Line {
  size_t begin, end;  // the line without its end-of-line characters
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    lines.push_back({at, end});
    at = end;
    if (at < text.size() && text[at] == '\r') ++at;
    if (at < text.size() && text[at] == '\n') ++at;
  }
  return lines;
}

std::string_view Trim(std::string_view s) {
  const size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

bool SameNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AnsiLowerCase(AnsiString(a)) == AnsiLowerCase(AnsiString(b));
}

// The section a line opens, if it is a section line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  const size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// Key and raw value of a line; a line without "=" is a key without value.
std::pair<std::string_view, std::string_view> KeyValue(std::string_view line) {
  const size_t eq = line.find('=');
  if (eq == std::string_view::npos) return {Trim(line), {}};
  return {Trim(line.substr(0, eq)), Trim(line.substr(eq + 1))};
}

std::string_view Unquoted(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return v.substr(1, v.size() - 2);
  return v;
}

// Lines [first, last) of the first section of that name; nothing when missing.
std::optional<std::pair<size_t, size_t>> FindSection(std::string_view text, const std::vector<Line>& lines,
                                                     std::string_view section) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(text.substr(lines[i].begin, lines[i].end - lines[i].begin));
    if (!name || !SameNoCase(*name, section)) continue;
    size_t j = i + 1;
    while (j < lines.size() && !SectionName(text.substr(lines[j].begin, lines[j].end - lines[j].begin))) ++j;
    return std::make_pair(i, j);
  }
  return std::nullopt;
}

std::string_view LineText(std::string_view text, const Line& l) { return text.substr(l.begin, l.end - l.begin); }

}  // namespace

std::optional<AnsiString> ProfileValue(std::string_view text, std::string_view section, std::string_view key) {
  const std::vector<Line> lines = SplitLines(text);
  const auto range = FindSection(text, lines, section);
  if (!range) return std::nullopt;
  for (size_t i = range->first + 1; i < range->second; ++i) {
    const auto [k, v] = KeyValue(LineText(text, lines[i]));
    if (!k.empty() && SameNoCase(k, key)) return AnsiString(Unquoted(v));
  }
  return std::nullopt;
}

AnsiString WithProfileValue(std::string_view text, std::string_view section, std::optional<std::string_view> key,
                            std::optional<std::string_view> value) {
  const std::vector<Line> lines = SplitLines(text);
  const auto range = FindSection(text, lines, section);
  std::vector<std::string> out;
  for (const Line& l : lines) out.emplace_back(LineText(text, l));
  const auto entry = [&] { return std::string(*key).append("=").append(*value); };
  if (!range) {
    if (key && value) {
      out.push_back(std::string("[").append(section).append("]"));
      out.push_back(entry());
    }
  } else if (!key) {
    out.erase(out.begin() + static_cast<ptrdiff_t>(range->first), out.begin() + static_cast<ptrdiff_t>(range->second));
  } else {
    size_t found = range->second;
    for (size_t i = range->first + 1; i < range->second && found == range->second; ++i) {
      const auto [k, v] = KeyValue(out[i]);
      if (!k.empty() && SameNoCase(k, *key)) found = i;
    }
    if (found < range->second) {
      if (value) {
        out[found] = entry();
      } else {
        out.erase(out.begin() + static_cast<ptrdiff_t>(found));
      }
    } else if (value) {
      // After the section's last non-blank line, as the system's calls place it.
      size_t at = range->second;
      while (at > range->first + 1 && Trim(out[at - 1]).empty()) --at;
      out.insert(out.begin() + static_cast<ptrdiff_t>(at), entry());
    }
  }
  AnsiString result;
  for (const std::string& l : out) result += l + "\r\n";
  return result;
}

bool WritePrivateProfileString(const std::optional<AnsiString>& section, const std::optional<AnsiString>& key,
                               const std::optional<AnsiString>& value, const AnsiString& fileName) {
  if (!section && !key && !value) return true;  // nothing is cached: a flush has nothing to do
  if (!section) return false;
  const auto k = key ? std::optional<std::string_view>(*key) : std::nullopt;
  const auto v = value ? std::optional<std::string_view>(*value) : std::nullopt;
  return UpdateFileAtomically(fileName, [&](const std::string& before) { return WithProfileValue(before, *section, k, v); });
}
