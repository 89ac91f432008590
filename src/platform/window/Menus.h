#pragma once
// Popup menus with check marks and shortcuts. A caption's "&" marks its access key.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/text/AnsiString.h"
#include "platform/Types.h"
#include "platform/window/Messages.h"

class TWindowSystem;

class TMenuItem {
 public:
  TMenuItem(AnsiString name, AnsiString caption) : Name(std::move(name)), Caption(std::move(caption)) {}
  bool IsSeparator() const { return Caption == "-"; }
  void Click() {
    if (OnClick) OnClick(this);
  }

  AnsiString Name;
  AnsiString Caption;  // "-": a separator
  bool Checked = false;
  TShortCut ShortCut = 0;
  std::function<void(TMenuItem* sender)> OnClick;
};

class TPopupMenu {
 public:
  explicit TPopupMenu(TWindowSystem& system) : FSystem(system) {}
  TMenuItem* Add(AnsiString name, AnsiString caption);
  const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return FItems; }
  // Runs the menu at a screen point and clicks the chosen item.
  void Popup(HWND owner, TPoint at);
  // Clicks the item with this shortcut; false when none has it.
  bool IsShortCut(TShortCut shortCut);

 private:
  TWindowSystem& FSystem;
  std::vector<std::unique_ptr<TMenuItem>> FItems;
};

// The shortcut as a menu shows it beside the caption: "Alt+F4", "Ctrl+Shift+A".
AnsiString ShortCutToText(TShortCut shortCut);

class TTimer {
 public:
  explicit TTimer(TWindowSystem& system) : FSystem(system) {}
  ~TTimer() { SetEnabled(false); }
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  bool Enabled() const { return FId != 0; }
  void SetEnabled(bool enabled);
  uint32_t Interval = 1000;
  std::function<void(void* sender)> OnTimer;

 private:
  TWindowSystem& FSystem;
  int32_t FId = 0;
};
