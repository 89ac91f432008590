#include "imaging/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSpanStream stream({data, size});
  TBitmap bitmap;
  try {
    LoadPngFromStream(bitmap, stream);
  } catch (const Exception&) {
  }
  return 0;
}
