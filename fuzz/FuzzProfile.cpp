// Settings files edited by hand or damaged: reading and rewriting any bytes.
#include <string_view>

#include "platform/io/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  ProfileValue(text, "chimora", "wind");
  ProfileValue(text, "TFMCHIMORA", "LEFT");
  const AnsiString written = WithProfileValue(text, "chimora", "wind", "8");
  if (ProfileValue(written, "chimora", "wind") != "8") __builtin_trap();  // a write must read back
  WithProfileValue(text, "chimora", std::nullopt, std::nullopt);
  return 0;
}
