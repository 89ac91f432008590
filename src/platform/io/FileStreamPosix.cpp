#include "platform/io/FileStream.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstring>

#include "platform/io/RegularFile.h"

namespace {

[[noreturn]] void OpenFailed(const AnsiString& fileName, const char* reason) {
  AnsiString reasonText;
  if (!FromUtf8(reason, reasonText)) reasonText = "?";
  throw EFOpenError(Ansi(u8"ファイル \"") + fileName + Ansi(u8"\" を開けません。") + reasonText);
}

int OpenFlags(uint16_t mode) {
  if (mode == fmCreate) return O_RDWR | O_CREAT | O_TRUNC;
  switch (mode & 0x3) {
    case fmOpenWrite:
      return O_WRONLY;
    case fmOpenReadWrite:
      return O_RDWR;
    default:
      return O_RDONLY;
  }
}

}  // namespace

TFileStream::TFileStream(const AnsiString& fileName, uint16_t mode) {
  const std::string path = ToUtf8(fileName);
  if (FromSystemName(path) != fileName) OpenFailed(fileName, "invalid file name");
  FHandle = OpenRegularFile(path, OpenFlags(mode));
  if (FHandle < 0) OpenFailed(fileName, errno == ENODEV ? "not a regular file" : std::strerror(errno));
  const uint16_t share = mode == fmCreate ? fmShareExclusive : (mode & 0xF0);
  if ((share == fmShareDenyWrite || share == fmShareExclusive) && flock(FHandle, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(FHandle);
    OpenFailed(fileName, error == EWOULDBLOCK ? "in use by another program" : std::strerror(error));
  }
}

TFileStream::~TFileStream() { ::close(FHandle); }

int64_t TFileStream::Read(void* buffer, int64_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t total = 0;
  while (total < count) {
    const ssize_t n = ::read(FHandle, out + total, static_cast<size_t>(count - total));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw EReadError("file read error: " + std::string(std::strerror(errno)));
    if (n == 0) break;
    total += n;
  }
  return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  const auto* in = static_cast<const uint8_t*>(buffer);
  int64_t total = 0;
  while (total < count) {
    const ssize_t n = ::write(FHandle, in + total, static_cast<size_t>(count - total));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw Exception("file write error: " + std::string(std::strerror(errno)));
    total += n;
  }
  return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                     : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                        : SEEK_END;
  const off_t position = ::lseek(FHandle, offset, whence);
  if (position < 0) throw Exception("file seek error: " + std::string(std::strerror(errno)));
  return position;
}

void TFileStream::SetSize(int64_t size) {
  if (::ftruncate(FHandle, size) != 0) throw Exception("file size error: " + std::string(std::strerror(errno)));
}
