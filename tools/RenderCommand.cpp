// chimora-tool render: the chime's frames, reproducible from a seed.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "Commands.h"
#include "PngWriter.h"
#include "ToolArgs.h"
#include "chime/ClassChimora.h"
#include "platform/system/Random.h"

namespace {

constexpr int32_t kSheetColumns = 10;

AnsiString SystemText(const std::string& utf8) {
  AnsiString text;
  if (!FromUtf8(utf8, text)) throw UsageError(utf8 + " cannot be written in CP932");
  return text;
}

std::string FrameName(int64_t index, int64_t count) {
  const int digits = std::max<int>(4, static_cast<int>(std::to_string(count).size()));
  std::string number = std::to_string(index);
  return "frame-" + std::string(static_cast<size_t>(digits) - number.size(), '0') + number + ".png";
}

void CopyInto(TBitmap& sheet, const TBitmap& frame, int32_t left, int32_t top) {
  for (int32_t y = 0; y < frame.Height(); ++y) {
    std::memcpy(sheet.ScanLine(top + y) + 4 * left, frame.ScanLine(y),
                4 * static_cast<size_t>(frame.Width()));
  }
}

int Run(const std::vector<std::string>& args) {
  const ToolArgs opts(args, {"--ticks", "--seed", "--wind", "--out", "--sheet", "--bell", "--text", "--paper", "--twist"});
  if (!opts.Positionals().empty()) throw UsageError("unexpected argument " + opts.Positionals()[0]);
  const int64_t ticks = opts.Integer("--ticks", 20, 1, 100000);
  const auto seed = static_cast<uint32_t>(opts.Integer("--seed", 0, 0, UINT32_MAX));
  const double wind = opts.Real("--wind", 8);
  const auto bell = static_cast<int32_t>(opts.Integer("--bell", 1, 0, 1));
  const AnsiString text = SystemText(opts.Text("--text").value_or(""));
  const auto paper = opts.Text("--paper");
  const auto twist = opts.Text("--twist");
  const auto outDir = opts.Text("--out");
  const auto sheetFile = opts.Text("--sheet");
  if (!outDir && !sheetFile) throw UsageError("give --out DIR, --sheet FILE or both");
  if (outDir) std::filesystem::create_directories(ArgumentPath(*outDir));

  TBitmap sheet;
  if (sheetFile) {
    const auto columns = static_cast<int32_t>(std::min<int64_t>(ticks, kSheetColumns));
    const auto rows = static_cast<int32_t>((ticks + kSheetColumns - 1) / kSheetColumns);
    sheet.SetPixelFormat(TPixelFormat::pf32bit);
    sheet.SetSize(columns * TChimora::FrameSize, rows * TChimora::FrameSize);
  }

  SetRandSeed(seed);
  TChimora chime;
  chime.SetBellType(bell);
  chime.SetStripText(text);
  if (paper) {
    chime.LoadPaperFile(FromUtf8Name(*paper));
    if (chime.PaperFile().empty()) std::cerr << "chimora-tool render: " << *paper << ": cannot be read, default paper shown\n";
  }
  if (twist) chime.SetTwist(opts.Real("--twist", 0));
  chime.SetWind(wind);
  chime.SetSound(false);
  for (int64_t i = 1; i <= ticks; ++i) {
    chime.Tick();
    if (outDir) WritePng(chime, *outDir + "/" + FrameName(i, ticks));
    if (sheetFile) {
      const auto cell = static_cast<int32_t>(i - 1);
      CopyInto(sheet, chime, (cell % kSheetColumns) * TChimora::FrameSize,
               (cell / kSheetColumns) * TChimora::FrameSize);
    }
  }
  if (outDir) {
    std::cout << ticks << " frames written to " << *outDir << "/" << FrameName(1, ticks) << " .. "
              << FrameName(ticks, ticks) << "\n";
  }
  if (sheetFile) {
    WritePng(sheet, *sheetFile);
    std::cout << "contact sheet written to " << *sheetFile << "\n";
  }
  return 0;
}

}  // namespace

const ToolCommand kRenderCommand = {
    "render", "render the swinging chime to PNG frames",
    "usage: chimora-tool render [--ticks N] [--seed S] [--wind W] [--out DIR] [--sheet FILE]\n"
    "                           [--bell 0|1] [--text TEXT] [--paper FILE] [--twist DEGREES]\n"
    "\n"
    "Sets the random state to S (default 0, the program's start state), builds the chime,\n"
    "chooses the bell (0 iron, 1 glass, default 1), writes TEXT top to bottom on the\n"
    "strip's back face, puts the picture in FILE on its front face (.bmp, .png, .jpg,\n"
    ".jpeg, .jpx), turns the strip to DEGREES (90 to 270 show the back), sets the wind\n"
    "to W (default 8), keeps sound off and runs N ticks (default 20).\n"
    "After each tick the 160 x 160 frame is written as an RGBA PNG (straight alpha):\n"
    "  --out DIR     one file per tick, DIR/frame-0001.png onwards\n"
    "  --sheet FILE  all frames on one contact sheet, ten to a row\n",
    Run};
