// Dropped ".jpx" files: the running key, then the JPEG decoder.
#include "imaging/ImageLoading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TSpanStream stream({data, size});
  TBitmap bitmap;
  try {
    LoadScrambledJpegFromStream(bitmap, stream);
  } catch (const Exception&) {
  }
  return 0;
}
