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

// Above 4 exactly when windows with per-pixel alpha work on the display: the
// window system answers (its capabilities) through the source installed below;
// 4 while none is installed, as without a display, on Linux.
int32_t SystemMajorVersion();
// What the system itself says: 4 on Linux, the real major version on Windows.
int32_t SystemOwnMajorVersion();

// While alive, SystemMajorVersion asks source whether per-pixel alpha works:
// the system's own version where it does and that is above 4 (else 6), 4 where not.
class ScopedPerPixelAlphaSource {
 public:
  explicit ScopedPerPixelAlphaSource(std::function<bool()> source);
  ~ScopedPerPixelAlphaSource();
  ScopedPerPixelAlphaSource(const ScopedPerPixelAlphaSource&) = delete;
  ScopedPerPixelAlphaSource& operator=(const ScopedPerPixelAlphaSource&) = delete;

 private:
  std::function<bool()> FPrevious;
};

// Standard output and error carry UTF-8 (a Windows console is told so).
void UseUtf8Console();

// The program's arguments after its name, in UTF-8: argv itself on Linux; on
// Windows the command line read as UTF-16. Nothing when it cannot be read.
std::optional<std::vector<std::string>> ProgramArguments(int argc, char** argv);
