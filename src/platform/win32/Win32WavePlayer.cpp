#include "platform/win32/Win32WavePlayer.h"

#include "platform/win32/Win32Api.h"

void TWin32WavePlayer::Play(const AnsiString& path) {
  ::PlaySoundA(path.c_str(), static_cast<HMODULE>(nullptr), DWORD{SND_ASYNC | SND_FILENAME | SND_NODEFAULT});
}
