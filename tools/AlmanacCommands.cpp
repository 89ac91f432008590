// chimora-tool almanac, note and xml: the almanac's tables and the XML reader.
#include <climits>
#include <cstdio>
#include <iostream>

#include "Commands.h"
#include "ToolArgs.h"
#include "almanac/vrelDate.h"
#include "app/ProgramObjects.h"
#include "platform/text/SysUtils.h"
#include "xml/TxmlList.h"

namespace {

// Entries from lastDay on are left out.
void PrintList(const char* title, const TiStringList& list, int32_t lastDay = INT32_MAX) {
  std::cout << title << "\n";
  for (int32_t i = 0; i < list.Count() && list.Tags(i) <= lastDay; ++i) {
    std::cout << "  " << IsoDate(list.Tags(i)) << "  " << ToUtf8(list.Strings(i)) << "\n";
  }
}

int AlmanacTables(const std::vector<std::string>& args) {
  const ToolArgs opts(args, {});
  if (opts.Positionals().size() != 1) throw UsageError("give one YEAR");
  const int32_t year = StrToIntDef(opts.Positionals()[0], 0);
  if (year < 2 || year > 9998) throw UsageError("YEAR must be from 2 to 9998");
  // The chime's own start: globals, the almanac, the graphic source.
  TProgramObjects program;
  Talmanac& almanac = Almanac();
  almanac.SetDate(EncodeDate(year, 1, 1));
  almanac.EnsureYear();
  PrintList("Solar terms and seasonal days:", almanac.Terms());
  // The table runs on into the next year, where its names are not worked out.
  PrintList("Lunisolar months (first day):", almanac.Months(), static_cast<int32_t>(EncodeDate(year, 12, 31)));
  PrintList("Public holidays:", almanac.Holidays());
  PrintList("Special days:", almanac.SpecialDays());
  return 0;
}

TDateTime ParseDate(const std::string& text) {
  int y = 0, m = 0, d = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%d-%d-%d%c", &y, &m, &d, &tail) != 3) throw UsageError("dates are written YYYY-MM-DD");
  return EncodeDate(y, m, d);
}

int Note(const std::vector<std::string>& args) {
  const ToolArgs opts(args, {});
  if (opts.Positionals().size() > 1) throw UsageError("give at most one date");
  const TDateTime date = opts.Positionals().empty() ? Date() : ParseDate(opts.Positionals()[0]);
  TProgramObjects program;
  Almanac().SetDate(date);
  const AnsiString note = Almanac().DayNote();
  if (!note.empty()) std::cout << ToUtf8(note) << "\n";
  return 0;
}

void PrintNode(const TxmlList& node, int depth) {
  const std::string indent(static_cast<size_t>(depth) * 2, ' ');
  if (node.Name().empty()) {
    std::cout << indent << "text \"" << ToUtf8(node.Text()) << "\"\n";
    return;
  }
  std::cout << indent << "<" << ToUtf8(node.Name()) << ">";
  for (int32_t i = 0; i < node.AttributeCount(); ++i) {
    std::cout << " " << ToUtf8(node.AttributeName(i)) << "=\"" << ToUtf8(node.AttributeValueAt(i)) << "\"";
  }
  std::cout << "\n";
  for (int32_t i = 0; i < node.Count(); ++i) PrintNode(node.Items(i), depth + 1);
}

int Xml(const std::vector<std::string>& args) {
  const ToolArgs opts(args, {});
  if (opts.Positionals().size() != 1) throw UsageError("give one FILE");
  const std::vector<uint8_t> bytes = ReadFileArgument(opts.Positionals()[0]);
  const AnsiString text(bytes.begin(), bytes.end());
  TxmlList root;
  root.LoadFromText(text);
  std::cout << "version \"" << ToUtf8(root.Version()) << "\", encoding \"" << ToUtf8(root.Encoding()) << "\"\n";
  PrintNode(root, 0);
  return 0;
}

}  // namespace

const ToolCommand kAlmanacCommand = {
    "almanac", "print a year's solar terms, months and holidays",
    "usage: chimora-tool almanac YEAR\n"
    "\n"
    "Starts the chime's process-wide objects as the program does (so a damaged archive\n"
    "\"graphic\" beside it stops this too) and prints the almanac's tables of YEAR\n"
    "(Japan Standard Time): the 30 solar terms and\n"
    "the 7 seasonal days, the lunisolar months that begin up to the end of the year\n"
    "with their first days and names (the first one, holding the winter solstice\n"
    "before the year, is shown by its number 11), the\n"
    "public holidays in list order (substitute and national holidays last) and the\n"
    "special days.\n",
    AlmanacTables};

const ToolCommand kNoteCommand = {
    "note", "print the note of a day",
    "usage: chimora-tool note [YYYY-MM-DD]\n"
    "\n"
    "Prints the solar term or seasonal day that falls on the date (today when omitted),\n"
    "the text the chime writes on its strip; prints nothing on other days.\n",
    Note};

const ToolCommand kXmlCommand = {
    "xml", "show an XML file as the reader sees it",
    "usage: chimora-tool xml FILE\n"
    "\n"
    "Reads FILE with the chime's XML reader and prints its element tree: element names\n"
    "with their attributes, and text nodes, indented by depth. A text the reader\n"
    "refuses gives its message and exit status 1.\n",
    Xml};
