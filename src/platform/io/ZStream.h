#pragma once
// A zlib inflate stream reading compressed bytes from another stream.
#include <zlib.h>

#include <array>

#include "platform/io/Stream.h"

class EZDecompressionError : public Exception {
 public:
  using Exception::Exception;
};

class TDecompressionStream : public TStream {
 public:
  // source must outlive this stream; reading starts at its current position.
  explicit TDecompressionStream(TStream& source);
  ~TDecompressionStream() override;
  TDecompressionStream(const TDecompressionStream&) = delete;
  TDecompressionStream& operator=(const TDecompressionStream&) = delete;

  // Fewer bytes than asked only at the end of the compressed data (or of the
  // source); damaged data throws EZDecompressionError.
  int64_t Read(void* buffer, int64_t count) override;
  // Only the position can be asked for; inflated data cannot be sought.
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;

 private:
  TStream& FSource;
  z_stream FZ{};
  std::array<uint8_t, 16384> FInput{};
  int64_t FPosition = 0;
  bool FEnded = false;
};
