#include "platform/window/Menus.h"

#include <string>
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

AnsiString ShortCutToText(TShortCut shortCut) {
  const int vk = shortCut & 0xFF;
  AnsiString key;
  if (vk >= VK_F1 && vk <= VK_F1 + 11) key = "F" + std::to_string(vk - VK_F1 + 1);
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) key = AnsiString(1, static_cast<char>(vk));
  if (vk == VK_RETURN) key = "Enter";
  if (vk == VK_ESCAPE) key = "Esc";
  if (vk == VK_SPACE) key = "Space";
  if (key.empty()) return "";
  AnsiString text;
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scAlt) text += "Alt+";
  return text + key;
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
