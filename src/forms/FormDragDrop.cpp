#include "forms/FormDragDrop.h"

std::vector<AnsiString> DroppedFileNames(TWindowSystem& system, uintptr_t drop) {
  std::vector<AnsiString> names;
  const uint32_t count = system.DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
  for (uint32_t i = 0; i < count; ++i) {
    AnsiString name(system.DragQueryFile(drop, i, nullptr, 0) + 1, '\0');
    name.resize(system.DragQueryFile(drop, i, name.data(), static_cast<uint32_t>(name.size())));
    names.push_back(std::move(name));
  }
  return names;
}

bool DragMoveWanted(TForm& form, const TMessage& message, const TCanDragMove& onCanDragMove, void* sender) {
  const auto lp = static_cast<uint32_t>(message.LParam);
  const int32_t x = static_cast<int32_t>(lp & 0xFFFF), y = static_cast<int32_t>(lp >> 16);
  bool allow = true;
  for (const TControl* c : form.Controls()) {
    if (c->Left < x && x < c->Left + c->Width && c->Top < y && y < c->Top + c->Height) allow = false;
  }
  if (onCanDragMove) onCanDragMove(sender, x, y, allow);
  return allow;
}
