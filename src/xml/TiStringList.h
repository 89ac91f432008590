#pragma once
// A string list whose entries carry a signed 32-bit tag (the almanac keeps day
// numbers in it), with tag lookup, sorting by tag and a tab-separated file form.
#include <cstdint>
#include <vector>

#include "platform/text/AnsiString.h"

class TiStringList {
 public:
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  const AnsiString& Strings(int32_t index) const { return FItems.at(static_cast<size_t>(index)).Text; }
  void SetStrings(int32_t index, const AnsiString& text) { FItems.at(static_cast<size_t>(index)).Text = text; }
  int32_t Tags(int32_t index) const { return FItems.at(static_cast<size_t>(index)).Tag; }
  void SetTags(int32_t index, int32_t tag) { FItems.at(static_cast<size_t>(index)).Tag = tag; }

  int32_t Add(const AnsiString& text) { return AddTagged(text, 0); }
  int32_t AddTagged(const AnsiString& text, int32_t tag);
  void Insert(int32_t index, const AnsiString& text);
  void Delete(int32_t index);
  void Clear() { FItems.clear(); }

  // The first entry with the tag; -1 when none.
  int32_t IndexOfTag(int32_t tag) const;
  // The tag of the first entry whose text equals text without regard to case; -1 when none.
  int32_t TagOf(const AnsiString& text) const;
  // Stable: entries with equal tags keep their order.
  void SortByTag(bool ascending);
  bool SortAscending() const { return FAscending; }

  // One line per entry: the decimal tag, a tab, the text. Lines may end in CR LF,
  // LF or CR when read; they are written with CR LF. Files are named in CP932.
  void LoadFromFile(const AnsiString& fileName);
  void SaveToFile(const AnsiString& fileName) const;

 private:
  struct Entry {
    AnsiString Text;
    int32_t Tag = 0;
  };
  std::vector<Entry> FItems;
  bool FAscending = true;
};
