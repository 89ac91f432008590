// chimora-tool: the core of the chime from the command line. Prints UTF-8;
// exits 0 on success and 1 on any failure, with the message on stderr; 2 when
// the command line itself cannot be read.
#include <cstring>
#include <iostream>
#include <optional>
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
  const std::optional<std::vector<std::string>> arguments = ProgramArguments(argc, argv);
  if (!arguments) {
    std::cerr << "chimora-tool: the command line cannot be read (it is not valid Unicode)\n";
    return 2;
  }
  if (arguments->empty()) {
    PrintOverview(std::cerr);
    return 1;
  }
  const std::string name = arguments->front();
  if (name == "--help" || name == "-h" || name == "help") return PrintOverview(std::cout);
  const ToolCommand* command = Find(name);
  if (command == nullptr) {
    std::cerr << "chimora-tool: unknown command '" << name << "'\n";
    PrintOverview(std::cerr);
    return 1;
  }
  const std::vector<std::string> args(arguments->begin() + 1, arguments->end());
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
