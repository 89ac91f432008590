// The chime program: the process-wide objects, the main window, the message
// loop, and shut-down in reverse order.
#include <iostream>
#include <memory>
#include <optional>

#include "app/CommandLine.h"
#include "app/ProgramObjects.h"
#include "platform/Exception.h"
#include "platform/qt/QtProgram.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/sound/SdlWavePlayer.h"
#include "shell/UnitFmChimora.h"

namespace {
void Report(const AnsiString& message) { std::cerr << "chimora: " << ToUtf8(message) << std::endl; }
}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> answered = AnswerCommandLine(argc, argv, std::cout)) return *answered;
  std::optional<TQtProgram> program;
  std::unique_ptr<TQtWindowSystem> system;
  try {
    program.emplace(argc, argv);
    system = std::make_unique<TQtWindowSystem>();
  } catch (...) {
    Report(CurrentExceptionMessage());
    return 1;
  }
  TSdlWavePlayer player;
  ScopedWavePlayer sound(player);
  int exitCode = 0;
  try {
    TProgramObjects objects;
    TFmChimora form(*system);
    const std::unique_ptr<TSessionLink> session = system->LinkSession(form);
    form.Show();
    exitCode = system->Run();
    // The settings could not be stored: said, and the program still ends normally.
    system->Guard(TEntry::UserAction, [&form] { form.Release(); });
  } catch (...) {
    // The start failed: the user started it and is told.
    system->HandleException(TEntry::UserAction);
    return 1;
  }
  return exitCode;
}
