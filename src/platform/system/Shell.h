#pragma once
// Opening links and files with the desktop's default handler.
#include <functional>
#include <string>
#include <vector>

#include "platform/text/AnsiString.h"

// Hands target (a link or a path) to the desktop's default handler (xdg-open;
// the shell's "open" verb on Windows), started without waiting. The result is
// not reported: the system's callers never look at it.
void ShellOpen(const AnsiString& target);
// The same, always by the desktop: what ShellOpen does without a test's opener.
void SystemShellOpen(const AnsiString& target);

#ifndef _WIN32
// Starts a program by argument vector, detached: it is not waited for and leaves
// no zombie behind. False when it cannot be started.
bool SpawnDetached(const std::vector<std::string>& argv);
#endif

// While alive, ShellOpen hands its target to the function instead (tests).
class ScopedShellOpener {
 public:
  explicit ScopedShellOpener(std::function<void(const AnsiString&)> opener);
  ~ScopedShellOpener();
  ScopedShellOpener(const ScopedShellOpener&) = delete;
  ScopedShellOpener& operator=(const ScopedShellOpener&) = delete;

 private:
  std::function<void(const AnsiString&)> FPrevious;
};
