#pragma once
// The information window's title when the program carries no title picture.
#include "platform/graphics/Bitmap.h"
#include "platform/text/AnsiString.h"

// The product name in black on white, drawn at twice the size and halved for
// smooth edges: a heavy Japanese gothic for a name with double-byte
// characters, a heavy Latin sans-serif otherwise. 160 x 32, 32-bit.
TBitmap DrawnAppTitle(const AnsiString& productName);
