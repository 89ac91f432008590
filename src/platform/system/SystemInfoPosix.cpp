#include "platform/system/SystemInfo.h"

#include <unistd.h>

#include <climits>
#include <string>

#include "platform/Exception.h"

AnsiString ProgramFileName() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) throw Exception("cannot read /proc/self/exe");
  return FromSystemName(std::string_view(buffer, static_cast<size_t>(n)));
}
