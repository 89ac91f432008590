#include "platform/SystemInfo.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <climits>
#include <string>

#include "VersionRecord.h"
#include "platform/Exception.h"

std::optional<TVersionRecord> ProgramVersionRecord() {
  return TVersionRecord{kFileVersion, kProductName, kInternalName, kCompanyName};
}

AnsiString ProgramFileName() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) throw Exception("cannot read /proc/self/exe");
  AnsiString path;
  if (!FromUtf8(std::string(buffer, static_cast<size_t>(n)), path)) {
    throw Exception("the program's path is not representable in CP932");
  }
  return path;
}

int32_t SystemMajorVersion() {
  constexpr int32_t kWithoutComposition = 4;
  constexpr int32_t kWithComposition = 6;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return kWithoutComposition;
  const std::string selection = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
  const Atom atom = XInternAtom(display, selection.c_str(), False);
  const bool composited = XGetSelectionOwner(display, atom) != None;
  XCloseDisplay(display);
  return composited ? kWithComposition : kWithoutComposition;
}
