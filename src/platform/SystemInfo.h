#pragma once
// What the program knows of itself and of the system it runs on.
#include <cstdint>
#include <optional>

#include "platform/AnsiString.h"

// The program's version record, compiled in from the build.
struct TVersionRecord {
  AnsiString FileVersion;
  AnsiString ProductName;
  AnsiString InternalName;
  AnsiString CompanyName;
};
std::optional<TVersionRecord> ProgramVersionRecord();

// The full path of the running program file (CP932).
AnsiString ProgramFileName();

// Above 4 exactly when windows with per-pixel alpha work on the display: a
// compositing manager owns _NET_WM_CM_S<screen>. 4 without one, or without a display.
int32_t SystemMajorVersion();
