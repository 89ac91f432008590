#pragma once
// The whole-number scale the desktop asks for: the chime's 160 x 160 units are
// shown as 160k x 160k pixels, so it keeps its physical size on a dense screen.
// Everything the forms measure stays in units; only a backend sees pixels.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Types.h"

// One whole-number scale at a backend's edge: units are what the forms measure,
// pixels what the screen has. Pixels become units rounded down; a rectangle of
// pixels becomes the units wholly inside it.
struct TScale {
  int32_t K = 1;
  TPoint ToPixels(TPoint p) const { return {p.x * K, p.y * K}; }
  TRect ToPixels(const TRect& r) const { return {r.Left * K, r.Top * K, r.Right * K, r.Bottom * K}; }
  TPoint ToUnits(TPoint p) const { return {Down(p.x), Down(p.y)}; }
  TRect ToUnits(const TRect& r) const { return {Up(r.Left), Up(r.Top), Down(r.Right), Down(r.Bottom)}; }

 private:
  int32_t Down(int32_t v) const { return v >= 0 ? v / K : -((-v + K - 1) / K); }
  int32_t Up(int32_t v) const { return -Down(-v); }
};

// Where a scale may come from, strongest first; each as its text, absent when unset.
struct TScaleRequest {
  std::optional<std::string> Option = std::nullopt;         // the program's --scale
  std::optional<std::string> Setting = std::nullopt;        // the settings file's "scale"
  std::optional<std::string> GdkScale = std::nullopt;       // GDK_SCALE, as the user set it
  std::optional<std::string> QtScaleFactor = std::nullopt;  // QT_SCALE_FACTOR, likewise
  std::optional<std::string> XftDpi = std::nullopt;         // the X resource Xft.dpi, set by the desktop
};

struct TScaleChoice {
  int32_t Scale = 1;
  // One line for stderr when the request could not be honoured; empty otherwise.
  std::string Notice;
};

// The scale for a window of `units` x `units` on a screen of `screen` pixels: the
// strongest source given, never less than 1 nor more than the screen holds.
TScaleChoice ChooseScale(const TScaleRequest& request, TPoint screen, int32_t units);

// The value of one resource in an X resource database's text ("Xft.dpi:\t192\n"
// lines, as the desktop stores it on the root window); none when it is not there.
std::optional<std::string> XResourceValue(std::string_view database, std::string_view name);
