#include "platform/system/SystemInfo.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>

#include "platform/Exception.h"
#include "VersionRecord.h"

std::optional<TVersionRecord> ProgramVersionRecord() {
  return TVersionRecord{kFileVersion, kProductName, kInternalName, kCompanyName};
}

// The window system's backend tells whether windows may have per-pixel alpha.
int32_t SystemOwnMajorVersion() { return 4; }

AnsiString ProgramFileName() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) throw Exception("cannot read /proc/self/exe");
  return FromSystemName(std::string_view(buffer, static_cast<size_t>(n)));
}

// Terminals here take UTF-8 as it is.
void UseUtf8Console() {}

std::optional<std::vector<std::string>> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}
