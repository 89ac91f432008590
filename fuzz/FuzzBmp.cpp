#include "platform/graphics/BmpReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSpanStream stream({data, size});
  TBitmap bitmap;
  try {
    LoadBmpFromStream(bitmap, stream);
  } catch (const Exception&) {
  }
  return 0;
}
