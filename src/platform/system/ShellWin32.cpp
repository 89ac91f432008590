#include "platform/system/Shell.h"

#include <windows.h>
#include <shellapi.h>

void SystemShellOpen(const AnsiString& target) {
  ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
