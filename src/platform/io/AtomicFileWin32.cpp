#include <windows.h>

#include <string>
#include <thread>

#include "platform/io/ProfileFile.h"
#include "platform/io/RegularFile.h"

namespace {

class Handle {
 public:
  explicit Handle(HANDLE h) : FHandle(h) {}
  ~Handle() {
    if (Valid()) CloseHandle(FHandle);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return FHandle; }

 private:
  HANDLE FHandle;
};

// Writers take turns on a lock file beside the settings, gone when its holder ends.
HANDLE TakeTurn(const AnsiString& fileName) {
  for (int attempt = 0; attempt < 250; ++attempt) {
    const HANDLE h = CreateFileA((fileName + ".lock").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) return h;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return INVALID_HANDLE_VALUE;
}

bool ReadAll(HANDLE h, std::string& out) {
  char buffer[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr)) return false;
    if (n == 0) return true;
    out.append(buffer, n);
  }
}

}  // namespace

std::optional<AnsiString> ReadWholeFile(const AnsiString& fileName) {
  const Handle in(reinterpret_cast<HANDLE>(
      OpenRegularFile(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING)));
  std::string text;
  if (!in.Valid() || !ReadAll(in.Get(), text)) return std::nullopt;
  return text;
}

bool UpdateFileAtomically(const AnsiString& fileName, const std::function<std::string(const std::string&)>& change) {
  const Handle turn(TakeTurn(fileName));
  if (!turn.Valid()) return false;
  std::string before;
  const DWORD attributes = GetFileAttributesA(fileName.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    // A file the user made read-only stays as it is; one that cannot be read is never replaced.
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;
    const std::optional<AnsiString> text = ReadWholeFile(fileName);
    if (!text) return false;
    before = *text;
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }
  const AnsiString temporary = fileName + ".tmp-" + std::to_string(GetCurrentProcessId());
  bool ok = false;
  {
    const Handle out(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.Valid()) return false;
    const std::string content = change(before);
    DWORD written = 0;
    ok = WriteFile(out.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
         written == content.size() && FlushFileBuffers(out.Get());
  }
  if (!ok || !MoveFileExA(temporary.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  return true;
}
