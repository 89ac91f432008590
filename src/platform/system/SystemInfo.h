#pragma once
// What the program knows of itself and of the system it runs on.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/text/AnsiString.h"

// The program's version record, compiled in from the build.
struct TVersionRecord {
  AnsiString FileVersion;
  AnsiString ProductName;
  AnsiString InternalName;
  AnsiString CompanyName;
};
std::optional<TVersionRecord> ProgramVersionRecord();

// The full path of the running program file (CP932).
AnsiString ProgramFileName();

// Above 4 exactly when windows with per-pixel alpha work on the display. The
// window system's backend knows (it watches for a compositing manager) and
// installs its answer; 4 while none is installed, as without a display.
int32_t SystemMajorVersion();
// What the system itself says while no source is installed: 4 on Linux, the
// real major version on Windows.
int32_t SystemOwnMajorVersion();

// While alive, SystemMajorVersion asks source.
class ScopedMajorVersionSource {
 public:
  explicit ScopedMajorVersionSource(std::function<int32_t()> source);
  ~ScopedMajorVersionSource();
  ScopedMajorVersionSource(const ScopedMajorVersionSource&) = delete;
  ScopedMajorVersionSource& operator=(const ScopedMajorVersionSource&) = delete;

 private:
  std::function<int32_t()> FPrevious;
};

// Standard output and error carry UTF-8 (a Windows console is told so).
void UseUtf8Console();

// The program's arguments after its name, in UTF-8: argv itself on Linux; on
// Windows the command line read as UTF-16. Nothing when it cannot be read.
std::optional<std::vector<std::string>> ProgramArguments(int argc, char** argv);
