#include "platform/system/Shell.h"

#include <utility>

namespace {
std::function<void(const AnsiString&)>& Opener() {
  static std::function<void(const AnsiString&)> opener;
  return opener;
}
}  // namespace

void ShellOpen(const AnsiString& target) {
  if (Opener()) {
    Opener()(target);
    return;
  }
  SystemShellOpen(target);
}

ScopedShellOpener::ScopedShellOpener(std::function<void(const AnsiString&)> opener)
    : FPrevious(std::exchange(Opener(), std::move(opener))) {}

ScopedShellOpener::~ScopedShellOpener() { Opener() = std::move(FPrevious); }
