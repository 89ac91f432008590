#pragma once
// Copies one 32-bit straight-alpha bitmap into another with blend modes, overall
// opacity, mirroring and scaling of the whole source onto a rectangle.
#include <cstdint>

#include "platform/graphics/Bitmap.h"
#include "platform/Types.h"

enum TTransferMode : uint8_t {
  tmNormal = 0,
  tmCopy = 1,
  tmAdd = 2,
  tmSubtract = 3,
  tmMultiply = 4,
  tmDivide = 5,
  tmScreen = 6,
  tmSoftLight = 7,
  tmHalfLight = 8,
  tmHalfDark = 9,
  tmPremultiplied = 11,
  tmAlphaOver = 12,
};

struct TTransferParams {
  TBitmap* Dest = nullptr;
  const TBitmap* Source = nullptr;
  TRect DestRect;   // where the whole source lands; may reach past Dest
  TRect ClipRect;   // the only pixels that may change; narrowed in place
  int32_t Opacity = 255;  // above 255 is stored back as 255; 0 draws nothing
  uint8_t Mode = tmNormal;  // values without a name behave as tmNormal
  uint8_t Mirror = 0;       // not 0: the source is read mirrored left to right
};

// Never raises; an empty clip, a zero-sized source or opacity 0 draw nothing.
void AlphaTransfer(TTransferParams& params);

// The whole source, unscaled, with its top-left at (x, y), clipped to dest.
// tmPremultiplied makes the premultiplied copy a per-pixel-alpha window needs.
void DrawBitmapAt(int32_t x, int32_t y, TBitmap& dest, uint8_t mode, const TBitmap& source);
// The same where it falls inside clip (dest coordinates); the rest of dest is left
// alone. Returns where dest may have changed: with tmPremultiplied the bounding
// rectangle of the pixels whose value did change (empty when none did), else the clip.
TRect DrawBitmapAt(int32_t x, int32_t y, TBitmap& dest, uint8_t mode, const TBitmap& source, TRect clip);
