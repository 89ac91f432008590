// The chime program on Windows: the process-wide objects, the main window, the
// message loop, and shut-down in reverse order.
#include <memory>

#include "app/ProgramObjects.h"
#include "platform/Exception.h"
#include "platform/win32/Win32WavePlayer.h"
#include "platform/win32/Win32WindowSystem.h"
#include "shell/UnitFmChimora.h"

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
    system.Guard(TEntry::UserAction, [&form] { form.Release(); });  // the settings could not be stored
  } catch (...) {
    system.HandleException(TEntry::UserAction);
    return 1;
  }
  return exitCode;
}
