#pragma once
// The system's headers beside ours. Ours come first; the system's HWND is
// renamed WinHWND while its headers are read, since ours is a plain number (and
// its region header, ours being the stored layout of a region), and
// the system's macros that would rename our functions are taken back.
#include "platform/system/Sound.h"
#include "platform/window/Form.h"
#include "platform/window/Menus.h"
#include "platform/window/WindowSystem.h"

#define HWND WinHWND
#define RGNDATAHEADER WinRGNDATAHEADER
#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>
#undef HWND
#undef RGNDATAHEADER
#undef MessageBox
#undef DeleteFile
#undef DragQueryFile

inline WinHWND Native(HWND window) { return reinterpret_cast<WinHWND>(window); }
inline HWND Ours(WinHWND window) { return reinterpret_cast<HWND>(window); }
