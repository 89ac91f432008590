#pragma once
// The chime takes no options. Asked for its version or for help it answers and
// ends at once, before it needs a display; any other argument is ignored.
#include <optional>
#include <ostream>

// The exit status when argv asked for an answer, which is written to out.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out);
