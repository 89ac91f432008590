// The chime program: the process-wide objects, the main window, the message
// loop, and shut-down in reverse order.
#include <iostream>
#include <memory>
#include <optional>

#include "app/ProgramObjects.h"
#include "platform/Exception.h"
#include "platform/qt/QtProgram.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/qt/SessionEvents.h"
#include "platform/sound/SdlWavePlayer.h"
#include "platform/system/SystemInfo.h"
#include "shell/UnitFmChimora.h"

namespace {

// The system's messages are CP932; others (the standard library's) are taken as UTF-8.
AnsiString MessageOf(const std::exception& error) {
  if (const auto* e = dynamic_cast<const Exception*>(&error)) return e->Message();
  return Utf8ToAnsi(error.what());
}

void Report(const AnsiString& message) { std::cerr << "chimora: " << ToUtf8(message) << std::endl; }

}  // namespace

int main(int argc, char** argv) {
  std::optional<TQtProgram> program;
  std::unique_ptr<TQtWindowSystem> system;
  try {
    program.emplace(argc, argv);
    system = std::make_unique<TQtWindowSystem>();
  } catch (const std::exception& e) {
    Report(MessageOf(e));
    return 1;
  }
  ScopedMajorVersionSource majorVersion([&system] { return system->Composited() ? 6 : 4; });
  TSdlWavePlayer player;
  ScopedWavePlayer sound(player);
  int exitCode = 0;
  try {
    TProgramObjects objects;
    TFmChimora form(*system);
    TSessionEvents session(*system, form);
    ScopedDisplayLostAction displayLost([&form] {
      Report(Ansi(u8"ディスプレイとの接続が切れたので終了します"));
      try {
        form.Release();
      } catch (const std::exception& e) {
        Report(MessageOf(e));
      }
    });
    form.Show();
    exitCode = system->Run();
    try {
      form.Release();
    } catch (const std::exception& e) {
      Report(MessageOf(e));  // the settings could not be stored; the program still ends normally
    }
  } catch (const std::exception& e) {
    Report(MessageOf(e));
    system->MessageBox(MessageOf(e), "Chimora");
    return 1;
  }
  return exitCode;
}
