#pragma once
// Byte streams of the framework: memory, read-only spans, files, program resources.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/text/AnsiString.h"
#include "platform/Exception.h"

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class EReadError : public Exception {
 public:
  using Exception::Exception;
};

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to count bytes and returns how many it read; 0 at the end.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  // Writes count bytes and returns how many it wrote; streams that cannot write throw.
  virtual int64_t Write(const void* buffer, int64_t count);
  // Returns the new position. Positions past the end are allowed; reads there return 0.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size();

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // Reads exactly count bytes or throws EReadError.
  void ReadBuffer(void* buffer, int64_t count);
};

// Read-only view of bytes someone else owns; they must outlive the stream.
class TSpanStream : public TStream {
 public:
  explicit TSpanStream(std::span<const uint8_t> bytes) : FBytes(bytes) {}
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(FBytes.size()); }

 private:
  std::span<const uint8_t> FBytes;
  int64_t FPosition = 0;
};

// A growable stream held in memory.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<uint8_t> bytes) : FBytes(std::move(bytes)) {}
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return static_cast<int64_t>(FBytes.size()); }
  const std::vector<uint8_t>& Bytes() const { return FBytes; }
  std::vector<uint8_t>& Bytes() { return FBytes; }

 private:
  std::vector<uint8_t> FBytes;
  int64_t FPosition = 0;
};
