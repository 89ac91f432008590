#pragma once
// A small PNG decoder for the common subset: 8-bit colour with or without alpha,
// greyscale and palette images of 1 to 8 bits, no interlacing.
#include "platform/graphics/Bitmap.h"
#include "platform/io/Stream.h"

// Colour types 0, 2 and 3 give a 24-bit bitmap, 4 and 6 a 32-bit one (straight
// alpha). A stream without IHDR leaves the bitmap as it was; failures raise
// Exception with the decoder's messages and also leave the bitmap as it was.
// Rows the compressed data does not reach are all zero.
void LoadPngFromStream(TBitmap& bitmap, TStream& stream);
