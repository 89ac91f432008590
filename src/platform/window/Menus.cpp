#include "platform/window/Menus.h"

#include <utility>

#include "platform/window/WindowSystem.h"

TMenuItem* TPopupMenu::Add(AnsiString name, AnsiString caption) {
  FItems.push_back(std::make_unique<TMenuItem>(std::move(name), std::move(caption)));
  return FItems.back().get();
}

void TPopupMenu::Popup(HWND owner, TPoint at) {
  const int32_t chosen = FSystem.TrackPopupMenu(owner, *this, at);
  if (chosen >= 0 && static_cast<size_t>(chosen) < FItems.size()) FItems[static_cast<size_t>(chosen)]->Click();
}

bool TPopupMenu::IsShortCut(TShortCut shortCut) {
  for (const auto& item : FItems) {
    if (item->ShortCut != 0 && item->ShortCut == shortCut) {
      item->Click();
      return true;
    }
  }
  return false;
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == Enabled()) return;
  if (enabled) {
    FId = FSystem.SetTimer(Interval, [this] {
      if (OnTimer) OnTimer(this);
    });
  } else {
    FSystem.KillTimer(std::exchange(FId, 0));
  }
}
