#pragma once
// Japanese text written top to bottom, one double-byte character per row.
#include <cstdint>

#include "platform/graphics/Canvas.h"

// h: 0 centres the column on x, 2 puts its right edge at x, others its left edge.
// v: 0 centres a text of double-byte characters on y, 2 ends it at y, others start at y.
// A single-byte space advances half a row; a single byte at the very end is not drawn.
void DrawVerticalText(TCanvas& canvas, int32_t x, int32_t y, uint8_t h, uint8_t v, const AnsiString& text);
