#pragma once
// A popup menu drawn by our own code in our fonts: the items with their check
// marks, separators, underlined access keys and shortcuts ("Alt+F4"), one item
// highlighted. Nothing here knows a window system.
#include <cstdint>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/window/Menus.h"

class TMenuPicture {
 public:
  explicit TMenuPicture(const TPopupMenu& menu);

  TPoint Size() const { return FSize; }
  // The item at a point of the picture; -1 for none.
  int32_t ItemAt(TPoint at) const;
  // The whole menu, opaque, into picture (sized to it).
  void Draw(TBitmap& picture, int32_t highlighted) const;

 private:
  struct TRow {
    bool Separator = false;
    bool Checked = false;
    AnsiString Before, Key, After;  // the caption around its access key, markers removed
    AnsiString ShortCut;
    int32_t Top = 0, Bottom = 0;
  };
  std::vector<TRow> FRows;
  TPoint FSize;
};
