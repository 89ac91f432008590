#include "platform/system/SystemInfo.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/Exception.h"

AnsiString ProgramFileName() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) throw Exception("GetModuleFileNameA failed");
    if (n < buffer.size()) return AnsiString(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

// The program's VERSIONINFO resource, in its first language.
std::optional<TVersionRecord> ProgramVersionRecord() {
  const AnsiString file = ProgramFileName();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(file.c_str(), 0, size, data.data())) return std::nullopt;
  struct Translation {
    WORD Language, CodePage;
  }* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(Translation)) {
    return std::nullopt;
  }
  char prefix[64];
  wsprintfA(prefix, "\\StringFileInfo\\%04x%04x\\", translation->Language, translation->CodePage);
  auto value = [&](const char* name) {
    char* text = nullptr;
    UINT n = 0;
    return VerQueryValueA(data.data(), (AnsiString(prefix) + name).c_str(), reinterpret_cast<void**>(&text), &n) && n > 0
               ? AnsiString(text)
               : AnsiString();
  };
  return TVersionRecord{value("FileVersion"), value("ProductName"), value("InternalName"), value("CompanyName")};
}

int32_t SystemOwnMajorVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&info)) return 4;
#pragma GCC diagnostic pop
  return static_cast<int32_t>(info.dwMajorVersion);
}

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }

std::optional<std::vector<std::string>> ProgramArguments(int /*argc*/, char** /*argv*/) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::nullopt;
  std::vector<std::string> arguments;
  bool readable = true;
  for (int i = 1; i < count && readable; ++i) {
    // A lone surrogate has no UTF-8 form: such a line cannot be read.
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string argument(static_cast<size_t>(std::max(n, 1)), '\0');
    readable = n > 0 && WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide[i], -1, argument.data(), n, nullptr, nullptr) == n;
    argument.pop_back();  // the terminating NUL
    arguments.push_back(std::move(argument));
  }
  LocalFree(wide);
  if (!readable) return std::nullopt;
  return arguments;
}
