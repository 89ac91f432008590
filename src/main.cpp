// The chime program: the process-wide objects, the main window, the message
// loop, and shut-down in reverse order; on the native Wayland window system
// where it is asked for and the compositor offers a layer shell, else on Qt.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>

#include "app/CommandLine.h"
#include "app/ProgramObjects.h"
#include "app/vrelGlobal.h"
#include "platform/Exception.h"
#include "platform/qt/QtProgram.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/sound/SdlWavePlayer.h"
#include "platform/wayland/WaylandWindowSystem.h"
#include "shell/UnitFmChimora.h"

namespace {
void Report(const AnsiString& message) { std::cerr << "chimora: " << ToUtf8(message) << std::endl; }

// The chime on a window system until its loop ends.
int RunChime(TWindowSystem& system) {
  TSdlWavePlayer player;
  ScopedWavePlayer sound(player);
  int exitCode = 0;
  try {
    TProgramObjects objects;
    TFmChimora form(system);
    const std::unique_ptr<TSessionLink> session = system.LinkSession(form);
    form.Show();
    exitCode = system.Run();
    // The settings could not be stored: said, and the program still ends normally.
    system.Guard(TEntry::UserAction, [&form] { form.Release(); });
  } catch (...) {
    // The start failed: the user started it and is told.
    system.HandleException(TEntry::UserAction);
    return 1;
  }
  return exitCode;
}

// The setting "scale", read once the settings exist.
std::optional<std::string> ScaleSetting() {
  const AnsiString scale = Globals().IniReadString("chimora", "scale", "");
  return scale.empty() ? std::nullopt : std::optional<std::string>(scale);
}

std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// The native Wayland window system where it was asked for, or chosen by itself
// on a Wayland session, and can be had; else none, and one line says why.
std::unique_ptr<TWaylandWindowSystem> NativeWayland(TBackend requested) {
  const char* session = std::getenv("WAYLAND_DISPLAY");
  if (requested == TBackend::X11 || (requested == TBackend::Automatic && (session == nullptr || *session == 0))) return nullptr;
  try {
    return std::make_unique<TWaylandWindowSystem>(requested == TBackend::Wayland);
  } catch (...) {
    Report(CurrentExceptionMessage() + Ansi(u8"。Xwayland で動かします"));
    return nullptr;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (const std::optional<int> answered = AnswerCommandLine(argc, argv, std::cout)) return *answered;
  if (const auto wayland = NativeWayland(RequestedBackend(argc, argv, std::getenv(kBackendVariable)))) {
    return RunChime(*wayland);
  }
  std::optional<TQtProgram> program;
  std::unique_ptr<TQtWindowSystem> system;
  try {
    program.emplace(argc, argv);
    system = std::make_unique<TQtWindowSystem>(
        TScaleRequest{.Option = ScaleOption(argc, argv), .GdkScale = Environment("GDK_SCALE"), .QtScaleFactor = program->UserScaleFactor()},
        ScaleSetting);
  } catch (...) {
    Report(CurrentExceptionMessage());
    return 1;
  }
  return RunChime(*system);
}
