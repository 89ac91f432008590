#pragma once
// The desktop application object. Our pixels are the screen's pixels: Qt's
// high-DPI scaling stays off, and on a Wayland session Qt talks to XWayland,
// because a Wayland client cannot place its own window. What the chime starts
// gets none of this: it runs as the desktop would run it.
#include <QApplication>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system/OwnEnvironment.h"

class TQtProgram {
 public:
  // Throws Exception when no X display can be reached.
  TQtProgram(int& argc, char** argv);
  ~TQtProgram();
  TQtProgram(const TQtProgram&) = delete;
  TQtProgram& operator=(const TQtProgram&) = delete;
  // QT_SCALE_FACTOR as the user set it, which Qt itself is not shown.
  const std::optional<std::string>& UserScaleFactor() const { return FUserScaleFactor; }

 private:
  std::optional<std::string> FUserScaleFactor;
  std::vector<std::unique_ptr<ScopedOwnVariable>> FOwnVariables;
  // Qt keeps the arguments for the application's lifetime.
  int FArgumentCount;
  std::vector<char*> FArguments;
  std::unique_ptr<QApplication> FApplication;
};

// Qt ends the process with exit(1) when the X connection breaks, past every
// destructor on the stack. It says why first, through its message handler, on
// the main thread and with everything still alive: while this object lives, the
// action runs there, once, and the process ends with status 1 right after it.
class ScopedDisplayLostAction {
 public:
  explicit ScopedDisplayLostAction(std::function<void()> action);
  ~ScopedDisplayLostAction();
  ScopedDisplayLostAction(const ScopedDisplayLostAction&) = delete;
  ScopedDisplayLostAction& operator=(const ScopedDisplayLostAction&) = delete;

 private:
  std::function<void()> FPrevious;
};
