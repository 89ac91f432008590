#include "app/CommandLine.h"

#include <string_view>

#include "VersionRecord.h"

namespace {
constexpr std::string_view kBackendOption = "--backend=";
constexpr std::string_view kScaleOption = "--scale=";

std::optional<TBackend> BackendNamed(std::string_view name) {
  if (name == "wayland") return TBackend::Wayland;
  if (name == "x11") return TBackend::X11;
  return std::nullopt;
}
}  // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--version") {
      out << kInternalName << " " << kFileVersion << "\n";
      return 0;
    }
    if (argument == "--help") {
      out << "usage: chimora [--help | --version | --backend=wayland|x11] [--scale=N]\n"
             "\n"
             "A wind chime hanging from the top of the screen. Right-click the bell for its\n"
             "menu, drag it with the left button, drop a picture on it for its paper strip.\n"
             "It has no other options; see chimora(1).\n"
             "\n"
             "  --help             print this text and exit\n"
             "  --version          print the version and exit\n"
             "  --backend=wayland  run natively on a Wayland compositor with the layer shell\n"
             "                     (sway, Hyprland, labwc, wayfire; KWin 5.27, whose version 3\n"
             "                     gives the chime the keyboard only once it is clicked)\n"
             "  --backend=x11      run on X11 (Xwayland on a Wayland session)\n"
             "  --scale=N          on X11, show each pixel as N x N (a whole number); else\n"
             "                     the setting scale in application.ini, GDK_SCALE,\n"
             "                     QT_SCALE_FACTOR or the desktop's Xft.dpi decide\n"
             "\n"
             "The environment variable CHIMORA_BACKEND=wayland|x11 does the same; the option\n"
             "wins. Without either, the chime runs natively where WAYLAND_DISPLAY is set and\n"
             "the compositor offers a layer shell at version 4 or later, else on X11; where\n"
             "it is missing or older (forced: older than 3), it says so in one line and runs\n"
             "on Xwayland.\n";
      return 0;
    }
    if (argument.starts_with(kBackendOption) && !BackendNamed(argument.substr(kBackendOption.size()))) {
      out << "chimora: unknown window system '" << argument.substr(kBackendOption.size()) << "' (wayland or x11)\n";
      return 2;
    }
  }
  return std::nullopt;
}

TBackend RequestedBackend(int argc, const char* const* argv, const char* environment) {
  for (int i = argc - 1; i >= 1; --i) {
    const std::string_view argument = argv[i];
    if (!argument.starts_with(kBackendOption)) continue;
    if (const auto named = BackendNamed(argument.substr(kBackendOption.size()))) return *named;
  }
  if (environment != nullptr) {
    if (const auto named = BackendNamed(environment)) return *named;
  }
  return TBackend::Automatic;
}

std::optional<std::string> ScaleOption(int argc, const char* const* argv) {
  for (int i = argc - 1; i >= 1; --i) {
    const std::string_view argument = argv[i];
    if (argument.starts_with(kScaleOption)) return std::string(argument.substr(kScaleOption.size()));
  }
  return std::nullopt;
}
