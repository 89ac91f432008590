#pragma once
// A 32-bit picture shown k times larger on a dense screen: each pixel becomes a
// k x k block, so the picture stays exactly what was drawn, only bigger.
#include <cstdint>

#include "platform/graphics/Bitmap.h"
#include "platform/Types.h"

// target becomes source enlarged `scale` times. When target already has that size
// only `changed` (source coordinates) is redone; the rest is taken as it is.
// Returns the rectangle of target that was written.
TRect ScaleUp32(const TBitmap& source, int32_t scale, TBitmap& target, TRect changed);
