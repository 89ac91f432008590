#pragma once
// Whole-bitmap and rectangle operations on 32-bit straight-alpha bitmaps.
#include <cstdint>

#include "platform/graphics/Bitmap.h"
#include "platform/Types.h"

// Both raise Exception "32bitBmp以外を塗りつぶそうとしました" on a bitmap that is not 32-bit.
void FillBitmap32(TBitmap& bitmap, Color32 color);
void FillRect32(TBitmap& bitmap, TRect rect, Color32 color);

void SetAlpha32(TBitmap& bitmap, uint8_t alpha);
void SetAlphaRect32(TBitmap& bitmap, TRect rect, uint8_t alpha);
// Alpha 0 where the colour equals the top-left pixel's, else alpha.
void ColorKeyAlpha32(TBitmap& bitmap, uint8_t alpha);
// Alpha above 20 (32-bit) or a colour other than the top-left one (24-bit) is visible.
TRect GetVisibleBounds(const TBitmap& bitmap);
// Clockwise by quarters; a bitmap without pixels is left unchanged.
void RotateQuarters(TBitmap& bitmap, int32_t quarters);
void MirrorHorizontal32(TBitmap& bitmap);
// 2 x 2 box reduction into the top-left quarter; the size stays.
void HalveInPlace32(TBitmap& bitmap);

// An empty result always has Right == Left.
void ClipRectTo(TRect& rect, const TRect& bounds);
void GrowRectTo(TRect& rect, const TRect& other);
