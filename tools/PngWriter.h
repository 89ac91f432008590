#pragma once
// A small PNG encoder for the tool's output: 8-bit RGBA, straight alpha.
#include <string>

#include "platform/graphics/Bitmap.h"

// Writes a 32-bit bitmap (24-bit ones as opaque) to a file named in UTF-8; throws Exception on failure.
void WritePng(const TBitmap& bitmap, const std::string& utf8Path);
