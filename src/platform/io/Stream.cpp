#include "platform/io/Stream.h"

#include <algorithm>
#include <cstring>

namespace {

int64_t NewPosition(int64_t current, int64_t size, int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) base = current;
  if (origin == TSeekOrigin::soEnd) base = size;
  if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0) {
    throw Exception("stream seek out of range");
  }
  return base + offset;
}

int64_t CopyOut(std::span<const uint8_t> bytes, int64_t& position, void* buffer, int64_t count) {
  const int64_t size = static_cast<int64_t>(bytes.size());
  if (count <= 0 || position >= size) return 0;
  const int64_t n = std::min(count, size - position);
  std::memcpy(buffer, bytes.data() + position, static_cast<size_t>(n));
  position += n;
  return n;
}

}  // namespace

int64_t TStream::Write(const void* /*buffer*/, int64_t /*count*/) {
  throw Exception("stream cannot be written");
}

int64_t TStream::Size() {
  const int64_t here = Position();
  const int64_t end = Seek(0, TSeekOrigin::soEnd);
  SetPosition(here);
  return end;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  while (count > 0) {
    const int64_t n = Read(out, count);
    if (n <= 0) throw EReadError("stream read error");
    out += n;
    count -= n;
  }
}

int64_t TSpanStream::Read(void* buffer, int64_t count) {
  return CopyOut(FBytes, FPosition, buffer, count);
}

int64_t TSpanStream::Seek(int64_t offset, TSeekOrigin origin) {
  FPosition = NewPosition(FPosition, Size(), offset, origin);
  return FPosition;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  return CopyOut(FBytes, FPosition, buffer, count);
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  const auto end = static_cast<size_t>(FPosition + count);
  if (end > FBytes.size()) FBytes.resize(end);
  std::memcpy(FBytes.data() + FPosition, buffer, static_cast<size_t>(count));
  FPosition += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  FPosition = NewPosition(FPosition, Size(), offset, origin);
  return FPosition;
}
