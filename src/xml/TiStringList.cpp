#include "xml/TiStringList.h"

#include <algorithm>
#include <string>

#include "platform/io/FileStream.h"
#include "platform/text/SysUtils.h"

namespace {
// File tags are decimal: a sign and digits, nothing else, within 32 bits.
int32_t DecimalOrZero(std::string_view text) {
  const size_t digits = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string_view::npos) return 0;
  return StrToIntDef(text, 0);
}
}  // namespace

int32_t TiStringList::AddTagged(const AnsiString& text, int32_t tag) {
  FItems.push_back({text, tag});
  return Count() - 1;
}

void TiStringList::Insert(int32_t index, const AnsiString& text) {
  FItems.insert(FItems.begin() + std::clamp(index, 0, Count()), Entry{text, 0});
}

void TiStringList::Delete(int32_t index) { FItems.erase(FItems.begin() + index); }

int32_t TiStringList::IndexOfTag(int32_t tag) const {
  for (int32_t i = 0; i < Count(); ++i) {
    if (FItems[static_cast<size_t>(i)].Tag == tag) return i;
  }
  return -1;
}

int32_t TiStringList::TagOf(const AnsiString& text) const {
  for (const Entry& e : FItems) {
    if (AnsiSameText(e.Text, text)) return e.Tag;
  }
  return -1;
}

void TiStringList::SortByTag(bool ascending) {
  FAscending = ascending;
  // Compared, not subtracted: the difference of two tags may not fit 32 bits.
  std::stable_sort(FItems.begin(), FItems.end(), [ascending](const Entry& a, const Entry& b) {
    return ascending ? a.Tag < b.Tag : b.Tag < a.Tag;
  });
}

void TiStringList::LoadFromFile(const AnsiString& fileName) {
  TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
  std::string content(static_cast<size_t>(file.Size()), '\0');
  file.ReadBuffer(content.data(), static_cast<int64_t>(content.size()));
  FItems.clear();
  size_t at = 0;
  while (at < content.size()) {
    const size_t end = content.find_first_of("\r\n", at);
    const std::string line = content.substr(at, end == std::string::npos ? std::string::npos : end - at);
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      AddTagged(line, 0);
    } else {
      AddTagged(line.substr(tab + 1), DecimalOrZero(line.substr(0, tab)));
    }
    if (end == std::string::npos) break;
    at = end + (content.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
}

void TiStringList::SaveToFile(const AnsiString& fileName) const {
  std::string content;
  for (const Entry& e : FItems) content += std::to_string(e.Tag) + "\t" + e.Text + "\r\n";
  TFileStream file(fileName, fmCreate);
  file.Write(content.data(), static_cast<int64_t>(content.size()));
}
