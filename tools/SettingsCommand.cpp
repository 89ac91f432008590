// chimora-tool settings: where the program keeps its settings and what they hold.
#include <iostream>

#include "Commands.h"
#include "ToolArgs.h"
#include "app/vrelGlobal.h"
#include "platform/io/Paths.h"
#include "platform/io/ProfileFile.h"

namespace {

int Settings(const std::vector<std::string>& args) {
  const ToolArgs opts(args, {});
  if (!opts.Positionals().empty()) throw UsageError("takes no arguments");
  // The program that keeps the settings lives beside this tool.
  TvrelGlobal globals(ExePath() + "chimora");
  std::cout << "product:        " << ToUtf8(globals.ProductName()) << " " << ToUtf8(globals.FileVersion()) << "\n"
            << "company:        " << ToUtf8(globals.CompanyName()) << "\n"
            << "internal name:  " << ToUtf8(globals.InternalName()) << "\n"
            << "program folder: " << ToUtf8(globals.ExeDir()) << "\n";
  const bool kept = !globals.DataFolder().empty();
  std::cout << "data folder:    " << (kept ? ToUtf8(globals.DataFolder()) : "(none: the settings are not kept)") << "\n"
            << "settings file:  " << (kept ? ToUtf8(globals.SettingsFileName()) : "(none)") << "\n"
            << "system version: " << globals.OSMajorVersion()
            << (globals.OSMajorVersion() > 4 ? " (windows with per-pixel alpha)" : " (windows shaped by regions)") << "\n";
  const std::optional<AnsiString> text = kept ? ReadWholeFile(globals.SettingsFileName()) : std::nullopt;
  std::cout << "\n" << (text ? ToUtf8(*text) : "(no settings stored yet)\n");
  return 0;
}

}  // namespace

const ToolCommand kSettingsCommand = {
    "settings", "show where the settings are kept and what they hold",
    "usage: chimora-tool settings\n"
    "\n"
    "Prints the version record, the program folder, the data folder and settings file\n"
    "the chime beside this tool uses, the system version it sees (above 4 when a\n"
    "compositing manager allows windows with per-pixel alpha), and the settings file.\n",
    Settings};
