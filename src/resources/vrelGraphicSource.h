#pragma once
// The process-wide graphic source: it holds the archive "graphic" beside the
// program open (and locked against other writers) for the whole run.
#include <memory>
#include <vector>

#include "resources/ClassArchiveStream.h"

// Open archives by name (the file name without folder and extension).
class TArchiverList {
 public:
  // Opens the file as an archive when a file (not a folder) exists at path.
  void AddArchive(const AnsiString& path);
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  const AnsiString& Names(int32_t index) const { return FItems.at(static_cast<size_t>(index)).Name; }
  TArchiveStream& Archive(int32_t index) const { return *FItems.at(static_cast<size_t>(index)).Stream; }

 private:
  struct Item {
    AnsiString Name;
    std::unique_ptr<TArchiveStream> Stream;
  };
  std::vector<Item> FItems;
};

class TGraphicSource {
 public:
  // Opens programFolder + "graphic" when it exists; its failures propagate.
  explicit TGraphicSource(const AnsiString& programFolder);
  TArchiverList& Archives() { return FArchives; }

 private:
  TArchiverList FArchives;
};
