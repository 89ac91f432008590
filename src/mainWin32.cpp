// The chime program on Windows: the process-wide objects, the main window, the
// message loop, and shut-down in reverse order.
#include <memory>

#include "app/ProgramObjects.h"
#include "platform/Exception.h"
#include "platform/win32/Win32WavePlayer.h"
#include "platform/win32/Win32WindowSystem.h"
#include "shell/UnitFmChimora.h"

namespace {
AnsiString MessageOf(const std::exception& error) {
  if (const auto* e = dynamic_cast<const Exception*>(&error)) return e->Message();
  return error.what();
}
}  // namespace

int main() {
  TWin32WindowSystem system;
  TWin32WavePlayer player;
  ScopedWavePlayer sound(player);
  int exitCode = 0;
  try {
    TProgramObjects objects;
    TFmChimora form(system);
    form.Show();
    exitCode = system.Run();
    try {
      form.Release();
    } catch (const std::exception& e) {
      system.MessageBox(MessageOf(e), "Chimora");  // the settings could not be stored
    }
  } catch (const std::exception& e) {
    system.MessageBox(MessageOf(e), "Chimora");
    return 1;
  }
  return exitCode;
}
