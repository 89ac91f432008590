#include "resources/ClassArchiveStream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/system/DateTime.h"

namespace {

constexpr int32_t kHeaderLength = 24;
constexpr int64_t kLargestMember = (int64_t{1} << 31) - 1;

template <typename T>
void Put(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// The 48 bytes a new archive starts with.
std::string HeaderBytes(int64_t storedSize, int64_t count, const AnsiString& time) {
  std::string out = "FARC";
  Put(out, storedSize);
  out += "AHDR";
  Put(out, kHeaderLength);
  Put(out, count);
  out += time;
  out += "ADAT";
  return out;
}

[[noreturn]] void Damaged(const std::string& what) {
  throw EarcSTreamError(Ansi(u8"[Reload]メンバー表が壊れています(") + what + ")");
}

}  // namespace

EarcSTreamError::EarcSTreamError(const AnsiString& detail) : Exception("TArchiveStream:\r\n" + detail) {}

AnsiString ArchiveTimeText(double dateTime) {
  int32_t y, m, d, h, n, s, ms;
  DecodeDate(dateTime, y, m, d);
  DecodeTime(dateTime, h, n, s, ms);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d%02d", y, m, d, h, n, s, ms);
  return AnsiString(text).substr(0, 16);
}

int32_t TfilesList::IndexOf(const AnsiString& name) const {
  const AnsiString wanted = AnsiLowerCase(name);
  for (int32_t i = 0; i < Count(); ++i) {
    if (AnsiLowerCase(FItems[static_cast<size_t>(i)].Name) == wanted) return i;
  }
  return -1;
}

int32_t TfilesList::NextId() const {
  if (FItems.empty()) return 1;
  int32_t highest = INT32_MIN;
  for (const Item& item : FItems) highest = std::max(highest, item.Record->Id);
  // Past the 32-bit limit it wraps as the system's integers do, without undefined behaviour.
  return static_cast<int32_t>(static_cast<uint32_t>(highest) + 1u);
}

int32_t TfilesList::AddObject(const AnsiString& name, std::unique_ptr<TArchiveEntry> record) {
  if (!record) {
    record = std::make_unique<TArchiveEntry>();
    record->Id = NextId();
    record->NameLength = static_cast<int32_t>(name.size());
    record->Flags = 1;
  }
  FItems.push_back({name, std::move(record)});
  return Count() - 1;
}

void TfilesList::Insert(int32_t index, const AnsiString& name) {
  auto record = std::make_unique<TArchiveEntry>();
  record->NameLength = static_cast<int32_t>(name.size());
  FItems.insert(FItems.begin() + std::clamp(index, 0, Count()), Item{name, std::move(record)});
}

void TfilesList::Put(int32_t index, const AnsiString& name) {
  Item& item = FItems.at(static_cast<size_t>(index));
  item.Name = name;
  item.Record->NameLength = static_cast<int32_t>(name.size());
}

void TfilesList::Delete(int32_t index) { FItems.erase(FItems.begin() + index); }

AnsiString TfilesList::GetTextStr() const {
  AnsiString out;
  for (const Item& item : FItems) {
    out.append(reinterpret_cast<const char*>(item.Record.get()), sizeof(TArchiveEntry));
    out += item.Name;
  }
  return out;
}

void TfilesList::SetTextStr(std::string_view text) {
  Clear();
  size_t at = 0;
  while (text.size() - at >= sizeof(TArchiveEntry)) {
    auto record = std::make_unique<TArchiveEntry>();
    std::memcpy(record.get(), text.data() + at, sizeof(TArchiveEntry));
    at += sizeof(TArchiveEntry);
    if (record->NameLength < 0 || static_cast<size_t>(record->NameLength) > text.size() - at) return;
    const AnsiString name(text.substr(at, static_cast<size_t>(record->NameLength)));
    at += static_cast<size_t>(record->NameLength);
    AddObject(name, std::move(record));
  }
}

TArchiveStream::TArchiveStream(const AnsiString& fileName)
    : FFile(std::make_unique<TFileStream>(fileName, fmOpenReadWrite | fmShareDenyWrite)) {
  Reload();
}

void TArchiveStream::WriteEmptyArchive() {
  // The file itself holds 4 bytes once the magic is written: that is the size recorded.
  const std::string header = HeaderBytes(4, FFiles.Count(), ArchiveTimeText(Now()));
  FFile->SetSize(0);
  FFile->SetPosition(0);
  FFile->Write(header.data(), static_cast<int64_t>(header.size()));
}

void TArchiveStream::Reload() {
  const int64_t fileSize = FFile->Size();
  if (fileSize == 0) {
    WriteEmptyArchive();
    Reload();
    return;
  }
  auto readTag = [&] {
    char tag[4] = {};
    const int64_t n = FFile->Read(tag, 4);
    return AnsiString(tag, static_cast<size_t>(std::max<int64_t>(n, 0)));
  };
  FFile->SetPosition(0);
  const AnsiString magic = readTag();
  if (magic != "FARC") throw EarcSTreamError(Ansi(u8"[Reload]ファイルが不正[") + magic + Ansi(u8"]です"));
  int64_t storedSize = 0;
  FFile->Read(&storedSize, 8);
  const AnsiString headerTag = readTag();
  if (headerTag != "AHDR") throw EarcSTreamError(Ansi(u8"[Reload]ファイルヘッダが不正[") + headerTag + Ansi(u8"]です"));
  const int64_t p = FFile->Position();
  int32_t length = 0;
  int64_t count = 0;
  char time[16] = {};
  FFile->Read(&length, 4);
  FFile->Read(&count, 8);
  const int64_t timeRead = FFile->Read(time, 16);
  if (p + 4 + length < 0) {
    throw EarcSTreamError(Ansi(u8"[Reload]ファイルヘッダの長さが不正です(") + std::to_string(length) + ")");
  }
  FFile->SetPosition(p + 4 + length);
  const AnsiString dataTag = readTag();
  if (dataTag != "ADAT") throw EarcSTreamError(Ansi(u8"[Reload]ファイルデータが不正[") + dataTag + Ansi(u8"]です"));

  // Every record is checked against the file before anything of it is kept.
  TfilesList files;
  const auto members = static_cast<int32_t>(count & 0xFFFFFFFF);
  for (int32_t i = 0; i < members; ++i) {
    auto record = std::make_unique<TArchiveEntry>();
    if (FFile->Read(record.get(), sizeof(TArchiveEntry)) != static_cast<int64_t>(sizeof(TArchiveEntry))) {
      Damaged("member " + std::to_string(i + 1) + " of " + std::to_string(members) + " is missing");
    }
    const int64_t left = fileSize - FFile->Position();
    if (record->NameLength < 0 || record->NameLength > left) Damaged("name length " + std::to_string(record->NameLength));
    if (record->DataSize < 0 || record->DataSize > kLargestMember) Damaged("size " + std::to_string(record->DataSize));
    if (record->DataOffset < 0 || record->DataOffset > fileSize - record->DataSize) {
      Damaged("data at " + std::to_string(record->DataOffset) + " past the end");
    }
    AnsiString name(static_cast<size_t>(record->NameLength), '\0');
    FFile->ReadBuffer(name.data(), record->NameLength);
    files.AddObject(name, std::move(record));
    FFile->Seek(static_cast<int32_t>(files.GetDataSize(i) & 0xFFFFFFFF), TSeekOrigin::soCurrent);
  }
  FStoredSize = storedSize;
  FCount = count;
  FCreationTime = AnsiString(time, static_cast<size_t>(std::max<int64_t>(timeRead, 0)));
  FFiles = std::move(files);
  FIndex = -1;
}

void TArchiveStream::Select(int32_t index) {
  if (index < 0 || index >= FFiles.Count()) {
    throw EarcSTreamError(Ansi(u8"[Select]番号が範囲外です(") + std::to_string(index) + ")");
  }
  FIndex = index;
  FFile->SetPosition(FFiles.GetDataOffset(index));
}

void TArchiveStream::SelectName(const AnsiString& name) {
  const int32_t index = FFiles.IndexOf(name);
  if (index < 0) throw EarcSTreamError(Ansi(u8"[Select]格納ファイルがありません(") + name + ")");
  Select(index);
}

void TArchiveStream::RequireSelection(const char* operation) const {
  if (FIndex == -1) throw EarcSTreamError(std::string("[") + operation + "]" + Ansi(u8"読み込みINDEXが指定されていません"));
}

int64_t TArchiveStream::Read(void* buffer, int64_t count) {
  if (count < 0) throw EarcSTreamError(Ansi(u8"[Read]Countが負です(") + std::to_string(count) + ")");
  RequireSelection("Read");
  const int64_t end = FFiles.GetDataOffset(FIndex) + FFiles.GetDataSize(FIndex);
  const int64_t left = std::max<int64_t>(end - FFile->Position(), 0);
  return FFile->Read(buffer, std::min(count, left));
}

int64_t TArchiveStream::Write(const void* /*buffer*/, int64_t /*count*/) {
  throw EarcSTreamError(Ansi(u8"[Write]対応していません"));
}

TArchiveStream::MemberSpan TArchiveStream::Span(int64_t offset, TSeekOrigin origin, int64_t endDirection) const {
  RequireSelection("Seek");
  MemberSpan span;
  span.start = FFiles.GetDataOffset(FIndex);
  span.end = span.start + FFiles.GetDataSize(FIndex);
  span.current = FFile->Position();
  switch (origin) {
    case TSeekOrigin::soBeginning:
      span.target = span.start + offset;
      break;
    case TSeekOrigin::soCurrent:
      span.target = span.current + offset;
      break;
    case TSeekOrigin::soEnd:
      span.target = span.end + endDirection * offset;
      break;
  }
  return span;
}

void TArchiveStream::MoveTo(const MemberSpan& span, int64_t target) {
  if (target != span.current) FFile->SetPosition(target);
}

int64_t TArchiveStream::Seek(int64_t offset, TSeekOrigin origin) {
  // From the end this form counts backwards.
  const MemberSpan span = Span(offset, origin, -1);
  if (span.target < span.start || span.target > span.end) {
    throw EarcSTreamError(Ansi(u8"[Seek]格納ファイルの範囲外を指定しました"));
  }
  MoveTo(span, span.target);
  return span.target - span.start;
}

int32_t TArchiveStream::Seek32(int32_t offset, TSeekOrigin origin) {
  const MemberSpan span = Span(offset, origin, 1);
  const int64_t target = std::clamp(span.target, span.start, span.end);
  MoveTo(span, target);
  return static_cast<int32_t>(target - span.start);
}

void WriteArchive(const AnsiString& fileName, const std::vector<ArchiveMember>& members) {
  std::string out = HeaderBytes(4, static_cast<int64_t>(members.size()), ArchiveTimeText(Now()));
  TfilesList list;
  for (const ArchiveMember& m : members) {
    if (static_cast<int64_t>(m.Data.size()) > kLargestMember) throw Exception("a member of 2 GiB or more cannot be stored");
    const int32_t index = list.Add(m.Name);
    TArchiveEntry entry = list.Entry(index);
    entry.DataOffset = static_cast<int64_t>(out.size() + sizeof(TArchiveEntry) + m.Name.size());
    entry.DataSize = static_cast<int64_t>(m.Data.size());
    out.append(reinterpret_cast<const char*>(&entry), sizeof entry);
    out += m.Name;
    out.append(reinterpret_cast<const char*>(m.Data.data()), m.Data.size());
  }
  TFileStream file(fileName, fmCreate);
  file.Write(out.data(), static_cast<int64_t>(out.size()));
}
