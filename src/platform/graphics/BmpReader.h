#pragma once
// The bitmap type's own reader of Windows BMP files: 1, 4, 8, 16, 24 and 32 bits
// per pixel, bottom-up or top-down, uncompressed, with bit-field masks, or
// run-length encoded (4 and 8 bits).
// 32-bit files load as 32-bit with their alpha; all others as 24-bit.
#include "platform/graphics/Bitmap.h"
#include "platform/io/Stream.h"

// Throws Exception on anything it cannot read; the bitmap is then unchanged.
void LoadBmpFromStream(TBitmap& bitmap, TStream& stream);
