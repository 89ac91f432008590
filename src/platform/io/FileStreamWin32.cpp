#include "platform/io/FileStream.h"

#include <windows.h>

#include "platform/io/RegularFile.h"

namespace {

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

AnsiString SystemMessage(DWORD error) {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                 reinterpret_cast<char*>(&text), 0, nullptr);
  AnsiString message = text != nullptr ? text : "error " + std::to_string(error);
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  return message;
}

[[noreturn]] void OpenFailed(const AnsiString& fileName, const AnsiString& reason) {
  throw EFOpenError(Ansi(u8"ファイル \"") + fileName + Ansi(u8"\" を開けません。") + reason);
}

}  // namespace

// The share modes are the system's own.
TFileStream::TFileStream(const AnsiString& fileName, uint16_t mode) {
  DWORD access = GENERIC_READ, disposition = OPEN_EXISTING, share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  if (mode == fmCreate) {
    access = GENERIC_READ | GENERIC_WRITE;
    disposition = CREATE_ALWAYS;
    share = 0;
  } else {
    if ((mode & 0x3) == fmOpenWrite) access = GENERIC_WRITE;
    if ((mode & 0x3) == fmOpenReadWrite) access = GENERIC_READ | GENERIC_WRITE;
    if ((mode & 0xF0) == fmShareExclusive) share = 0;
    if ((mode & 0xF0) == fmShareDenyWrite) share = FILE_SHARE_READ;
  }
  FHandle = OpenRegularFile(fileName, access, share, disposition);
  if (FHandle == -1) {
    const DWORD error = GetLastError();
    OpenFailed(fileName, error == ERROR_BAD_FILE_TYPE ? AnsiString("not a regular file") : SystemMessage(error));
  }
}

TFileStream::~TFileStream() { CloseHandle(Handle(FHandle)); }

int64_t TFileStream::Read(void* buffer, int64_t count) {
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t total = 0;
  while (total < count) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<int64_t>(count - total, 1 << 30));
    if (!ReadFile(Handle(FHandle), out + total, want, &n, nullptr)) throw EReadError("file read error: " + SystemMessage(GetLastError()));
    if (n == 0) break;
    total += n;
  }
  return total;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  const auto* in = static_cast<const uint8_t*>(buffer);
  int64_t total = 0;
  while (total < count) {
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<int64_t>(count - total, 1 << 30));
    if (!WriteFile(Handle(FHandle), in + total, want, &n, nullptr) || n == 0) {
      throw Exception("file write error: " + SystemMessage(GetLastError()));
    }
    total += n;
  }
  return total;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  const DWORD method = origin == TSeekOrigin::soBeginning ? FILE_BEGIN : origin == TSeekOrigin::soCurrent ? FILE_CURRENT : FILE_END;
  LARGE_INTEGER distance, position;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(Handle(FHandle), distance, &position, method)) throw Exception("file seek error: " + SystemMessage(GetLastError()));
  return position.QuadPart;
}

void TFileStream::SetSize(int64_t size) {
  const int64_t at = Seek(0, TSeekOrigin::soCurrent);
  Seek(size, TSeekOrigin::soBeginning);
  const bool ok = SetEndOfFile(Handle(FHandle));
  Seek(std::min(at, size), TSeekOrigin::soBeginning);
  if (!ok) throw Exception("file size error: " + SystemMessage(GetLastError()));
}
