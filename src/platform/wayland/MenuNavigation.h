#pragma once
// What the keyboard and the pointer do in an open popup menu, as the system's
// menus do: the arrows move the highlight over the items (never a separator),
// round at either end; Return chooses the highlighted item and Escape closes; a
// letter or digit chooses the item whose access key it is, or, where several
// share it, highlights the next of them; a release of the button over an item
// chooses it. Nothing here knows a window system.
#include <cstdint>
#include <vector>

#include "platform/window/Menus.h"

struct TMenuStep {
  enum { Stay, Choose, Close } What = Stay;
  int32_t Item = -1;
};

// The access key of a caption ("&N" in "南部鉄(&N)"), upper case; 0 for none.
char AccessKey(const AnsiString& caption);

class TMenuNavigation {
 public:
  explicit TMenuNavigation(const TPopupMenu& menu);

  // The highlighted item; -1 for none.
  int32_t Highlighted() const { return FHighlighted; }
  TMenuStep Key(uint16_t virtualKey);
  // The pointer is over this item (-1: over none).
  void Hover(int32_t item);
  TMenuStep Release(int32_t item) const;

 private:
  bool Selectable(int32_t item) const;
  void Step(int32_t direction);

  std::vector<bool> FSeparator;
  std::vector<char> FKeys;
  int32_t FHighlighted = -1;
};
