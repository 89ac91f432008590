#include "app/CommandLine.h"

#include <string_view>

#include "VersionRecord.h"

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--version") {
      out << kInternalName << " " << kFileVersion << "\n";
      return 0;
    }
    if (argument == "--help") {
      out << "usage: chimora [--help | --version]\n"
             "\n"
             "A wind chime hanging from the top of the screen. Right-click the bell for its\n"
             "menu, drag it with the left button, drop a picture on it for its paper strip.\n"
             "It takes no options; see chimora(1).\n"
             "\n"
             "  --help     print this text and exit\n"
             "  --version  print the version and exit\n";
      return 0;
    }
  }
  return std::nullopt;
}
