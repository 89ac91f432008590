// chimora-tool decode, resources and jpx: pictures as the program loads them.
#include <fstream>
#include <iostream>
#include <vector>

#include "Commands.h"
#include "PngWriter.h"
#include "ToolArgs.h"
#include "imaging/ImageLoading.h"
#include "platform/io/Resources.h"

namespace {
int Decode(const std::vector<std::string>& args) {
  const ToolArgs opts(args, {"--out"});
  if (opts.Positionals().size() != 1) throw UsageError("give exactly one FILE");
  const std::string& file = opts.Positionals()[0];
  TBitmap bitmap;
  LoadImageFromFile(bitmap, FromUtf8Name(file));
  if (bitmap.Empty()) {
    std::cerr << "chimora-tool decode: " << file
              << ": nothing decoded (the name does not end in .bmp, .png, .jpg, .jpeg or .jpx,"
                 " or a .jpx file is over 10,000,000 bytes)\n";
    return 1;
  }
  std::cout << file << ": " << (bitmap.PixelFormat() == TPixelFormat::pf32bit ? "32" : "24") << "-bit, "
            << bitmap.Width() << " x " << bitmap.Height() << "\n";
  if (const auto out = opts.Text("--out")) {
    WritePng(bitmap, *out);
    std::cout << "written to " << *out << "\n";
  }
  return 0;
}

int Resources(const std::vector<std::string>& args) {
  const ToolArgs opts(args, {});
  if (!opts.Positionals().empty()) throw UsageError("takes no arguments");
  for (const ResourceEntry& e : ProgramResources()) {
    std::cout << e.Type << "\t" << e.Name << "\t" << e.Data.size() << " bytes\n";
  }
  return 0;
}

int Jpx(const std::vector<std::string>& args) {
  const ToolArgs opts(args, {});
  if (opts.Positionals().size() != 2) throw UsageError("give IN and OUT");
  std::vector<uint8_t> bytes = ReadFileArgument(opts.Positionals()[0]);
  if (static_cast<int64_t>(bytes.size()) > MaxJpxBytes) {
    throw std::runtime_error("a .jpx file holds at most 10,000,000 bytes");
  }
  ScrambleJpx(bytes);
  std::ofstream out(ArgumentPath(opts.Positionals()[1]), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + opts.Positionals()[1]);
  std::cout << bytes.size() << " bytes written to " << opts.Positionals()[1] << "\n";
  return 0;
}

}  // namespace

const ToolCommand kDecodeCommand = {
    "decode", "load a picture as the program does",
    "usage: chimora-tool decode FILE [--out OUT.png]\n"
    "\n"
    "Loads FILE the way the chime loads a dropped picture: the extension (.bmp, .png,\n"
    ".jpg, .jpeg, .jpx, any case) picks the decoder. Prints the pixel format and size;\n"
    "--out writes the picture as an RGBA PNG (24-bit pictures as opaque).\n",
    Decode};

const ToolCommand kResourcesCommand = {
    "resources", "list the program's packaged resources",
    "usage: chimora-tool resources\n"
    "\n"
    "Lists every resource compiled into the program: type, name and size.\n",
    Resources};

const ToolCommand kJpxCommand = {
    "jpx", "scramble a JPEG into a .jpx file, or back",
    "usage: chimora-tool jpx IN OUT\n"
    "\n"
    "XORs every byte of IN with the running key of .jpx files (start value 0x5A; each\n"
    "next key adds the file size mod 256 and subtracts the byte index mod 256) and\n"
    "writes OUT. The operation is its own inverse: a .jpx file becomes a JPEG again.\n",
    Jpx};
