// chimora-tool: the core of the chime from the command line. Prints UTF-8;
// exits 0 on success and 1 on any failure, with the message on stderr.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "ToolArgs.h"
#include "platform/Exception.h"
#include "platform/system/SystemInfo.h"

namespace {

const ToolCommand* const kCommands[] = {&kRenderCommand,  &kDecodeCommand, &kResourcesCommand, &kJpxCommand,
                                        &kAlmanacCommand, &kNoteCommand,   &kXmlCommand,       &kSettingsCommand,
                                        &kFarcCommand,    &kAutostartCommand};

int PrintOverview(std::ostream& out) {
  out << "usage: chimora-tool COMMAND [OPTIONS]   (chimora-tool COMMAND --help for details)\n\n";
  for (const ToolCommand* c : kCommands) out << "  " << c->Name << "\t" << c->Summary << "\n";
  return 0;
}

const ToolCommand* Find(const std::string& name) {
  for (const ToolCommand* c : kCommands) {
    if (name == c->Name) return c;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  UseUtf8Console();
  if (argc < 2) {
    PrintOverview(std::cerr);
    return 1;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") return PrintOverview(std::cout);
  const ToolCommand* command = Find(name);
  if (command == nullptr) {
    std::cerr << "chimora-tool: unknown command '" << name << "'\n";
    PrintOverview(std::cerr);
    return 1;
  }
  const std::vector<std::string> args(argv + 2, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      std::cout << command->Usage;
      return 0;
    }
  }
  try {
    return command->Run(args);
  } catch (const UsageError& e) {
    std::cerr << "chimora-tool " << name << ": " << e.what() << "\n\n" << command->Usage;
  } catch (const Exception& e) {
    std::cerr << "chimora-tool " << name << ": " << ToUtf8(e.Message()) << "\n";
  } catch (const std::exception& e) {
    std::cerr << "chimora-tool " << name << ": " << e.what() << "\n";
  }
  return 1;
}
