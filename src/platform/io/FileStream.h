#pragma once
// A file as a stream. Share modes become advisory locks: a file opened with
// fmShareDenyWrite or fmShareExclusive refuses a second such opener.
#include <cstdint>

#include "platform/io/Stream.h"

constexpr uint16_t fmOpenRead = 0x0000;
constexpr uint16_t fmOpenWrite = 0x0001;
constexpr uint16_t fmOpenReadWrite = 0x0002;
constexpr uint16_t fmShareExclusive = 0x0010;
constexpr uint16_t fmShareDenyWrite = 0x0020;
constexpr uint16_t fmShareDenyNone = 0x0040;
constexpr uint16_t fmCreate = 0xFF00;

// The file could not be opened (missing, a folder, no permission, locked, or a
// name CP932 cannot hold).
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
};

class TFileStream : public TStream {
 public:
  TFileStream(const AnsiString& fileName, uint16_t mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  // Cuts or extends the file; throws Exception when the system refuses.
  void SetSize(int64_t size);

 private:
  intptr_t FHandle = -1;  // a descriptor, or the system's handle
};
