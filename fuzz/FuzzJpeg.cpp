#include "platform/Exception.h"
#include "platform/graphics/JpegDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TBitmap bitmap;
  try {
    DecodeJpeg(bitmap, {data, size});
  } catch (const Exception&) {
  }
  return 0;
}
