#include "platform/io/ZStream.h"

#include <algorithm>
#include <climits>

TDecompressionStream::TDecompressionStream(TStream& source) : FSource(source) {
  if (inflateInit(&FZ) != Z_OK) throw EZDecompressionError("zlib: cannot start inflating");
}

TDecompressionStream::~TDecompressionStream() { inflateEnd(&FZ); }

int64_t TDecompressionStream::Read(void* buffer, int64_t count) {
  int64_t total = 0;
  auto* out = static_cast<uint8_t*>(buffer);
  while (total < count && !FEnded) {
    if (FZ.avail_in == 0) {
      const int64_t n = FSource.Read(FInput.data(), static_cast<int64_t>(FInput.size()));
      if (n <= 0) break;
      FZ.next_in = FInput.data();
      FZ.avail_in = static_cast<uInt>(n);
    }
    const int64_t want = std::min<int64_t>(count - total, UINT_MAX);
    FZ.next_out = out + total;
    FZ.avail_out = static_cast<uInt>(want);
    const int rc = inflate(&FZ, Z_NO_FLUSH);
    total += want - FZ.avail_out;
    if (rc == Z_STREAM_END) {
      FEnded = true;
    } else if (rc == Z_BUF_ERROR && FZ.avail_in != 0) {
      break;  // no progress possible; treat as the end
    } else if (rc != Z_OK && rc != Z_BUF_ERROR) {
      throw EZDecompressionError(std::string("zlib: ") + (FZ.msg != nullptr ? FZ.msg : "data error"));
    }
  }
  FPosition += total;
  return total;
}

int64_t TDecompressionStream::Seek(int64_t offset, TSeekOrigin origin) {
  if (offset == 0 && origin == TSeekOrigin::soCurrent) return FPosition;
  throw EZDecompressionError("zlib: inflated data cannot be sought");
}
