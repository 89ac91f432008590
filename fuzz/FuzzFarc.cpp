// Archives from anywhere: opening, selecting every member and reading it whole.
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "resources/ClassArchiveStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/chimora-fuzz-farc-" + std::to_string(::getpid());
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
  try {
    TArchiveStream archive(path);
    std::vector<char> buffer(4096);
    for (int32_t i = 0; i < archive.Files().Count(); ++i) {
      archive.Select(i);
      archive.Seek(0, TSeekOrigin::soEnd);
      archive.Seek32(INT32_MAX, TSeekOrigin::soCurrent);
      archive.Seek(0, TSeekOrigin::soBeginning);
      while (archive.Read(buffer.data(), static_cast<int64_t>(buffer.size())) > 0) {
      }
    }
  } catch (const Exception&) {
  }
  return 0;
}
