#pragma once
// A folder of the test's own under the temporary folder, removed with the object.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/text/AnsiString.h"

class TempFolder {
 public:
  explicit TempFolder(const std::string& purpose)
      : FPath(std::filesystem::temp_directory_path() / ("chimora-" + purpose + "-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(FPath);
    std::filesystem::create_directories(FPath);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(FPath, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return FPath; }
  // name is UTF-8, as the tests' literals are.
  std::filesystem::path operator/(const std::string& name) const { return FPath / std::u8string(name.begin(), name.end()); }

  // The path of name inside the folder, as the system names files (CP932).
  AnsiString Name(const std::string& name) const { return Ansi(*this / name); }
  // Writes bytes to name (creating its folders) and returns its CP932 path.
  template <typename Bytes>
  AnsiString Write(const std::string& name, const Bytes& bytes) const {
    const std::filesystem::path path = *this / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return Ansi(path);
  }

  // With the system's own separator throughout; characters CP932 lacks in their
  // reserved form, as the program holds names.
  static AnsiString Ansi(std::filesystem::path path) {
    path.make_preferred();
    const std::u8string utf8 = path.u8string();
    return FromUtf8Name(std::string(utf8.begin(), utf8.end()));
  }

 private:
  std::filesystem::path FPath;
};
