#pragma once
// Draws a rectangle of a bitmap onto any four-cornered area, with filtering and
// soft edges. Corners are 8.8 fixed point: top-left, top-right, bottom-left, bottom-right.
#include <cstdint>

#include "imaging/QuadGrid.h"
#include "imaging/QuadRowStepper.h"
#include "imaging/QuadSampler.h"
#include "platform/graphics/Bitmap.h"
#include "platform/Types.h"

constexpr uint8_t QuadModeCopy = 1;
constexpr uint8_t QuadModeOver = 12;

// The target becomes 32-bit. A source that is not 32-bit, or a mode other than
// copy and over, draws nothing; the source rectangle is cut to the source.
void DrawQuadImage(TBitmap& target, const TBitmap& source, const QuadCorners& corners,
                   uint8_t mode, TRect sourceRect);
