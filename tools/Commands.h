#pragma once
// The subcommands of chimora-tool.
#include <string>
#include <vector>

struct ToolCommand {
  const char* Name;
  const char* Summary;
  const char* Usage;  // the whole --help text
  int (*Run)(const std::vector<std::string>& args);
};

extern const ToolCommand kRenderCommand;
extern const ToolCommand kDecodeCommand;
extern const ToolCommand kResourcesCommand;
extern const ToolCommand kJpxCommand;
extern const ToolCommand kAlmanacCommand;
extern const ToolCommand kNoteCommand;
extern const ToolCommand kXmlCommand;
extern const ToolCommand kSettingsCommand;
extern const ToolCommand kFarcCommand;
extern const ToolCommand kAutostartCommand;
