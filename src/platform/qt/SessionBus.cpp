#include "platform/qt/SessionBus.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

std::unique_ptr<ScopedOwnVariable> NoSessionBusAutolaunch() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address != nullptr && *address != '\0') return nullptr;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st {};
  if (runtime != nullptr && *runtime != '\0' && ::stat((std::string(runtime) + "/bus").c_str(), &st) == 0 &&
      S_ISSOCK(st.st_mode)) {
    return nullptr;  // the D-Bus library finds the user's bus there
  }
  // An address of no known kind: every connection attempt fails at once.
  return std::make_unique<ScopedOwnVariable>("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}
