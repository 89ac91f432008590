#pragma once
// FARC archives: a header, then for every member a 37-byte entry record, its
// name and its bytes, uncompressed. TArchiveStream reads the member table and is
// then a read-only stream over one selected member.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/io/FileStream.h"
#include "platform/io/Stream.h"

// "TArchiveStream:" + CR LF + the detail text.
class EarcSTreamError : public Exception {
 public:
  explicit EarcSTreamError(const AnsiString& detail);
};

#pragma pack(push, 1)
struct TArchiveEntry {
  int32_t Id = 0;
  int32_t NameLength = 0;
  int64_t DataOffset = 0;
  uint8_t Flags = 0;
  int64_t DataSize = 0;
  uint8_t Reserved[12] = {};
};
#pragma pack(pop)
static_assert(sizeof(TArchiveEntry) == 37);

// Member names (CP932) with the entry records the list owns, in file order.
class TfilesList {
 public:
  int32_t Count() const { return static_cast<int32_t>(FItems.size()); }
  const AnsiString& Strings(int32_t index) const { return FItems.at(static_cast<size_t>(index)).Name; }
  const TArchiveEntry& Entry(int32_t index) const { return *FItems.at(static_cast<size_t>(index)).Record; }
  int32_t GetId(int32_t index) const { return Entry(index).Id; }
  int64_t GetDataOffset(int32_t index) const { return Entry(index).DataOffset; }
  int64_t GetDataSize(int32_t index) const { return Entry(index).DataSize; }
  // The first member of that name, without regard to case; -1 when none.
  int32_t IndexOf(const AnsiString& name) const;

  // Without a record: Id = highest Id + 1, NameLength, Flags 1.
  int32_t Add(const AnsiString& name) { return AddObject(name, nullptr); }
  int32_t AddObject(const AnsiString& name, std::unique_ptr<TArchiveEntry> record);
  void Insert(int32_t index, const AnsiString& name);
  // Renames; NameLength follows.
  void Put(int32_t index, const AnsiString& name);
  void Delete(int32_t index);
  void Clear() { FItems.clear(); }

  // Each item's 37-byte record followed by its name bytes.
  AnsiString GetTextStr() const;
  // Clears and rebuilds from such bytes; a truncated last item is dropped.
  void SetTextStr(std::string_view text);

 private:
  struct Item {
    AnsiString Name;
    std::unique_ptr<TArchiveEntry> Record;
  };
  int32_t NextId() const;
  std::vector<Item> FItems;
};

class TArchiveStream : public TStream {
 public:
  // Opens the file for reading and writing, denying other writers, and reads
  // its member table. EFOpenError when it cannot be opened, EarcSTreamError
  // when it is no FARC archive.
  explicit TArchiveStream(const AnsiString& fileName);

  void Reload();
  const TfilesList& Files() const { return FFiles; }
  int32_t Index() const { return FIndex; }
  // Selects a member and moves to its first byte; throws EarcSTreamError for an
  // index outside the list or a name not in it.
  void Select(int32_t index);
  void SelectName(const AnsiString& name);

  int64_t StoredSize() const { return FStoredSize; }
  int64_t MemberCount() const { return FCount; }
  const AnsiString& CreationTime() const { return FCreationTime; }

  // Reads stop at the selected member's end, so no consumer sees a neighbour's bytes.
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  // Positions outside the member fail; the end itself is allowed.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // The 32-bit form clamps into the member instead of failing.
  int32_t Seek32(int32_t offset, TSeekOrigin origin);

 private:
  // The selected member's bounds, the file position and where a seek leads.
  struct MemberSpan {
    int64_t start = 0, end = 0, current = 0, target = 0;
  };
  MemberSpan Span(int64_t offset, TSeekOrigin origin, int64_t endDirection) const;
  void MoveTo(const MemberSpan& span, int64_t target);
  void WriteEmptyArchive();
  void RequireSelection(const char* operation) const;

  int64_t FStoredSize = 0;
  int64_t FCount = 0;
  AnsiString FCreationTime;
  std::unique_ptr<TFileStream> FFile;
  int32_t FIndex = -1;
  bool FOwnsFile = true;
  TfilesList FFiles;
};

// The 16 characters "YYYYMMDDHHNNSSZZ" of a local date-time.
AnsiString ArchiveTimeText(double dateTime);

// A new archive of the files' contents: header, then record, name and data of
// each member. Names are CP932; throws on any file that cannot be read or written.
struct ArchiveMember {
  AnsiString Name;
  std::vector<uint8_t> Data;
};
void WriteArchive(const AnsiString& fileName, const std::vector<ArchiveMember>& members);
