#include "platform/window/FakeWindowSystem.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/window/DropFiles.h"
#include "platform/window/Menus.h"

HWND TFakeWindowSystem::CreateWindowFor(TForm& form) {
  const HWND handle = FNext++;
  Window& w = FWindows[handle];
  w.Form = &form;
  w.Bounds = form.BoundsRect();
  return handle;
}

void TFakeWindowSystem::DestroyWindow(HWND window) { FWindows.erase(window); }
void TFakeWindowSystem::ShowWindow(HWND window, bool visible) { Of(window).Visible = visible; }
void TFakeWindowSystem::SetWindowBounds(HWND window, const TRect& bounds) { Of(window).Bounds = bounds; }
TRect TFakeWindowSystem::GetWindowRect(HWND window) { return Of(window).Bounds; }
bool TFakeWindowSystem::IsZoomed(HWND window) { return Of(window).Zoomed; }
void TFakeWindowSystem::Invalidate(HWND window) { ++Of(window).Invalidations; }
uint32_t TFakeWindowSystem::GetExStyle(HWND window) { return Of(window).ExStyle; }
void TFakeWindowSystem::SetExStyle(HWND window, uint32_t style) { Of(window).ExStyle = style; }

bool TFakeWindowSystem::UpdateLayeredWindow(HWND window, int32_t x, int32_t y, const TBitmap& premultiplied,
                                             const TRect& changed) {
  Window& w = Of(window);
  if (RefuseLayers || !Caps.PerPixelAlpha || (w.ExStyle & WS_EX_LAYERED) == 0) return false;
  ++w.LayeredUpdates;
  // Like a system that keeps what it showed, this one takes no more than it is told changed.
  if (w.Layered.Width() != premultiplied.Width() || w.Layered.Height() != premultiplied.Height()) {
    w.Layered = premultiplied;
  } else {
    const int32_t left = std::max(changed.Left, 0), right = std::min(changed.Right, premultiplied.Width());
    for (int32_t y = std::max(changed.Top, 0); y < std::min(changed.Bottom, premultiplied.Height()) && left < right; ++y) {
      std::memcpy(w.Layered.ScanLine(y) + 4 * left, premultiplied.ScanLine(y) + 4 * left, static_cast<size_t>(right - left) * 4);
    }
  }
  const TRect bounds{x, y, x + premultiplied.Width(), y + premultiplied.Height()};
  w.Bounds = bounds;
  w.Form->BoundsChangedBySystem(bounds);
  return true;
}

void TFakeWindowSystem::SetWindowRgn(HWND window, std::unique_ptr<TRegion> region) {
  Of(window).Region = region ? std::optional<TRegion>(*region) : std::nullopt;
}

void TFakeWindowSystem::SetWindowPos(HWND window, HWND insertAfter, const TRect& bounds, uint32_t flags) {
  Window& w = Of(window);
  w.ZOrderCalls.emplace_back(insertAfter, flags);
  if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) == 0) SetWindowBounds(window, bounds);
  if ((flags & SWP_SHOWWINDOW) != 0) w.Visible = true;
}

void TFakeWindowSystem::DragAcceptFiles(HWND window, bool accept) { Of(window).AcceptsDrops = accept; }
void TFakeWindowSystem::StartMoveLoop(HWND window, intptr_t lParam) {
  Window& w = Of(window);
  ++w.MoveLoops;
  w.MoveLoopLParam = lParam;
  // Held where the button went down, as the desktops hold it.
  const TRect b = w.Form->BoundsRect();
  w.MoveGrip = TPoint{FPress.x - b.Left, FPress.y - b.Top};
}

void TFakeWindowSystem::Pointer(HWND window, TPointerAction action, TPoint screen, TPointerKeys keys) {
  Window& w = Of(window);
  TForm& form = *w.Form;
  Cursor = screen;
  if (action == TPointerAction::LeftDown) FPress = screen;
  const TRect b = form.BoundsRect();
  if (w.MoveGrip) {
    const int32_t left = screen.x - w.MoveGrip->x, top = screen.y - w.MoveGrip->y;
    form.BoundsChangedBySystem(TRect{left, top, left + b.Right - b.Left, top + b.Bottom - b.Top});
    if (action == TPointerAction::LeftUp) {
      w.MoveGrip.reset();
      form.MoveLoopEnded();
    }
    return;
  }
  form.PointerInput(action, TPoint{screen.x - b.Left, screen.y - b.Top}, screen, keys);
  if (action == TPointerAction::RightUp) form.ContextMenuRequested(screen);
}

std::vector<TTopWindow> TFakeWindowSystem::TopLevelWindows() {
  std::vector<TTopWindow> all;
  for (const auto& [handle, w] : FWindows) all.push_back(TTopWindow{handle, w.Bounds, w.Visible});
  all.insert(all.end(), Others.begin(), Others.end());
  return all;
}

int32_t TFakeWindowSystem::TrackPopupMenu(HWND /*window*/, const TPopupMenu& menu, TPoint /*at*/) {
  MenuShown.clear();
  for (const auto& item : menu.Items()) MenuShown.push_back((item->Checked ? "*" : "") + item->Caption);
  return std::exchange(MenuChoice, -1);
}

void TFakeWindowSystem::MessageBox(const AnsiString& text, const AnsiString& caption) {
  Messages.emplace_back(text, caption);
}

int32_t TFakeWindowSystem::SetTimer(uint32_t /*interval*/, std::function<void()> onTimer) {
  FTimers[FNextTimer] = std::move(onTimer);
  return FNextTimer++;
}

void TFakeWindowSystem::KillTimer(int32_t id) { FTimers.erase(id); }

void TFakeWindowSystem::FireTimers() {
  std::vector<int32_t> ids;
  for (const auto& [id, callback] : FTimers) ids.push_back(id);
  for (int32_t id : ids) {
    // A callback may stop its own or another timer.
    auto it = FTimers.find(id);
    if (it != FTimers.end()) {
      auto callback = it->second;
      Guard(TEntry::Notice, callback);
    }
  }
}

void TFakeWindowSystem::Drop(HWND window, const std::vector<AnsiString>& names) {
  if (!Of(window).AcceptsDrops) return;
  TDropFiles files{names};
  Of(window).Form->FilesDropped(files.Handle());
}

void TFakeWindowSystem::ChangeCapabilities(const TCapabilities& caps) {
  Caps = caps;
  std::vector<TForm*> forms;
  for (const auto& [handle, w] : FWindows) forms.push_back(w.Form);
  for (TForm* form : forms) form->CapabilitiesChanged();
}

void TFakeWindowSystem::RunModal(HWND window, const std::function<bool()>& done) {
  const std::optional<HWND> outer = std::exchange(ModalWindow, window);
  if (WhileModal) WhileModal(window);
  ModalWindow = outer;
  if (!done() && !ExitCode) throw std::logic_error("the test left a modal window open");
}
