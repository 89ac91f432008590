#pragma once
// JPEG decoding through libjpeg into a 24-bit bitmap.
#include <cstdint>
#include <span>

#include "platform/graphics/Bitmap.h"

// Decodes a whole JPEG file held in memory. Every libjpeg error becomes an
// Exception ("JPEG: " and libjpeg's text); the bitmap is then unchanged.
// Corrupt data that libjpeg only warns about decodes as far as it can, up to a
// bound on warnings and scans, so damaged files cannot keep it busy for long.
void DecodeJpeg(TBitmap& bitmap, std::span<const uint8_t> data);
