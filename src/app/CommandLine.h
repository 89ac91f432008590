#pragma once
// The chime's behaviour has no options. Asked for its version or for help it
// answers and ends at once, before it needs a display; the window system it runs
// on may be forced (--backend=wayland|x11, or CHIMORA_BACKEND); any other
// argument is ignored. The scale of a dense screen may be forced (--scale=N).
#include <optional>
#include <ostream>
#include <string>

// The exit status when argv asked for an answer (or named no known window
// system), which is written to out.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out);

enum class TBackend { Automatic, Wayland, X11 };
// The window system asked for: the command line's, else the environment
// variable's value (null when unset), else chosen by the program.
TBackend RequestedBackend(int argc, const char* const* argv, const char* environment);
constexpr const char* kBackendVariable = "CHIMORA_BACKEND";

// The text of the last --scale=N, none when not given.
std::optional<std::string> ScaleOption(int argc, const char* const* argv);
