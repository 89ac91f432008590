#include "platform/wayland/WaylandWindowSystem.h"

#include <cstdio>
#include <iostream>

#include "platform/Exception.h"
#include "platform/wayland/DataDevice.h"
#include "platform/wayland/LayerWindow.h"
#include "platform/wayland/PopupWindow.h"
#include "platform/system/SignalPipe.h"
#include "platform/wayland/WaylandDisplay.h"
#include "platform/wayland/WaylandSeat.h"
#include "platform/window/Form.h"

TWaylandWindowSystem::TWaylandWindowSystem(bool forced) : FDisplay(std::make_unique<TWaylandDisplay>()) {
  if (FDisplay->LayerShell() == nullptr || (!forced && FDisplay->LayerShellVersion() < kLayerShellVersion)) {
    const uint32_t offered = FDisplay->OfferedLayerShell();
    throw Exception(offered == 0 ? Ansi(u8"コンポジターにレイヤーシェルがありません")
                                 : Ansi(u8"コンポジターのレイヤーシェルが古すぎます (版 ") + AnsiString(std::to_string(offered)) + ")");
  }
  if (FDisplay->Compositor() == nullptr || FDisplay->Shm() == nullptr) {
    throw Exception(Ansi(u8"コンポジターに必要なインターフェースがありません"));
  }
  if (!FDisplay->HasSeat()) throw Exception(Ansi(u8"コンポジターに入力装置の席がありません"));
  if (FDisplay->DataDevices() != nullptr) {
    FDrops = std::make_unique<TDataDevice>(FDisplay->DataDevices(), FDisplay->Seat().Object(), FDisplay->Display(), FLoop);
  }
  FSignals = std::make_unique<TSignalPipe>();
  FLoop.Watch(FSignals->ReadEnd(), [this] {
    if (FSignals->Drain()) Guard(TEntry::SessionEnd, [this] { EndSession(); });
  });
}

TWaylandWindowSystem::~TWaylandWindowSystem() {
  FWindows.clear();
  FDrops.reset();
}

TLayerWindow* TWaylandWindowSystem::Find(HWND window) {
  const auto it = FWindows.find(window);
  return it == FWindows.end() ? nullptr : it->second.get();
}

HWND TWaylandWindowSystem::CreateWindowFor(TForm& form) {
  auto window = std::make_unique<TLayerWindow>(form, *FDisplay, FDisplay->Seat());
  const HWND handle = window->Handle();
  FWindows[handle] = std::move(window);
  return handle;
}

void TWaylandWindowSystem::DestroyWindow(HWND window) {
  if (TLayerWindow* w = Find(window); w != nullptr && FDrops) FDrops->Forget(w);
  FWindows.erase(window);
}

void TWaylandWindowSystem::ShowWindow(HWND window, bool visible) {
  if (TLayerWindow* w = Find(window)) {
    w->Show(visible);
    if (visible && !w->Layered()) w->Repaint();
  }
}

void TWaylandWindowSystem::SetWindowBounds(HWND window, const TRect& bounds) {
  if (TLayerWindow* w = Find(window)) w->Place(bounds);
}

TRect TWaylandWindowSystem::GetWindowRect(HWND window) {
  TLayerWindow* w = Find(window);
  return w != nullptr ? w->Form().BoundsRect() : TRect{};
}

void TWaylandWindowSystem::Invalidate(HWND window) {
  TLayerWindow* w = Find(window);
  if (w != nullptr && !w->Layered()) w->Repaint();
}

uint32_t TWaylandWindowSystem::GetExStyle(HWND window) {
  TLayerWindow* w = Find(window);
  return w != nullptr && w->Layered() ? WS_EX_LAYERED : 0;
}

void TWaylandWindowSystem::SetExStyle(HWND window, uint32_t style) {
  if (TLayerWindow* w = Find(window)) w->SetLayered((style & WS_EX_LAYERED) != 0);
}

bool TWaylandWindowSystem::UpdateLayeredWindow(HWND window, int32_t x, int32_t y, const TBitmap& premultiplied,
                                               const TRect& changed) {
  TLayerWindow* w = Find(window);
  if (w == nullptr || !w->Layered()) {
    FLastError = Ansi(u8"ウィンドウにレイヤードスタイルがありません");
    return false;
  }
  const TRect bounds{x, y, x + premultiplied.Width(), y + premultiplied.Height()};
  w->Place(bounds);
  w->Present(premultiplied, changed);
  w->Form().BoundsChangedBySystem(bounds);
  return true;
}

void TWaylandWindowSystem::SetWindowRgn(HWND window, std::unique_ptr<TRegion> region) {
  TLayerWindow* w = Find(window);
  if (w == nullptr) return;
  w->SetShape(region ? &region->Rects() : nullptr);
  if (!w->Layered()) w->Repaint();
}

void TWaylandWindowSystem::SetWindowPos(HWND window, HWND /*insertAfter*/, const TRect& bounds, uint32_t flags) {
  // The stacking is the layer's: above the windows, whatever is asked.
  if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) == 0) SetWindowBounds(window, bounds);
  if ((flags & SWP_SHOWWINDOW) != 0) ShowWindow(window, true);
}

void TWaylandWindowSystem::DragAcceptFiles(HWND window, bool accept) {
  if (TLayerWindow* w = Find(window)) w->AcceptDrops(accept);
}

void TWaylandWindowSystem::StartMoveLoop(HWND window, intptr_t /*lParam*/) {
  if (TLayerWindow* w = Find(window)) w->StartMoveLoop();
}

// No form of the program sizes itself by its edges.
void TWaylandWindowSystem::StartResizeLoop(HWND /*window*/, intptr_t /*hitTest*/) {}

std::vector<TRect> TWaylandWindowSystem::MonitorWorkAreas() {
  // The space the bars reserve is the compositor's to keep: a layer surface with
  // no exclusive zone is placed below them, so each output is a work area whole.
  std::vector<TRect> areas;
  for (const auto& output : FDisplay->Outputs()) areas.push_back(output->Bounds);
  return areas;
}

TPoint TWaylandWindowSystem::PrimaryScreenSize() {
  const auto& outputs = FDisplay->Outputs();
  if (outputs.empty()) return TPoint{};
  const TRect& r = outputs.front()->Bounds;
  return TPoint{r.Right - r.Left, r.Bottom - r.Top};
}

// Every answer of this backend about what it can do.
TCapabilities TWaylandWindowSystem::Capabilities() {
  TCapabilities caps;
  caps.PerPixelAlpha = true;  // the compositor always blends
  // The layered main window hangs from its output's top and left edges (a layer
  // surface's margins); the compositor places every other window.
  caps.Placement = TPlacement::EdgeAnchored;
  // A client sees the pointer only over its own surfaces, and no other client's windows.
  caps.GlobalPointer = false;
  caps.WindowList = false;
  // The top layer is above the windows and on every workspace by nature.
  caps.KeepAbove = true;
  caps.AllDesktops = true;
  return caps;
}

std::vector<TTopWindow> TWaylandWindowSystem::TopLevelWindows() { return {}; }

TPoint TWaylandWindowSystem::CursorPos() { return FDisplay->Seat().PointerScreen(); }

TShortCut TWaylandWindowSystem::ShiftState() { return FDisplay->Seat().Modifiers(); }

int32_t TWaylandWindowSystem::TrackPopupMenu(HWND window, const TPopupMenu& menu, TPoint at) {
  TLayerWindow* w = Find(window);
  if (w == nullptr || w->Layer() == nullptr || FDisplay->WmBase() == nullptr) return -1;
  TPopupWindow popup(*FDisplay, w->Layer(), menu, w->Local(at), FDisplay->Seat().LastSerial(), w->Scale());
  while (!popup.Done() && !FQuitAsked) Pump();
  return popup.Chosen();
}

void TWaylandWindowSystem::MessageBox(const AnsiString& text, const AnsiString& caption) {
  std::cerr << "chimora: " << ToUtf8(caption) << ": " << ToUtf8(text) << std::endl;
}

int32_t TWaylandWindowSystem::SetTimer(uint32_t interval, std::function<void()> onTimer) {
  return FLoop.StartTimer(interval, [this, onTimer = std::move(onTimer)] { Guard(TEntry::Notice, onTimer); });
}

void TWaylandWindowSystem::KillTimer(int32_t id) { FLoop.StopTimer(id); }

void TWaylandWindowSystem::SetCursor(HWND window, TCursor cursor) {
  if (TLayerWindow* w = Find(window)) w->SetCursor(cursor);
}

int TWaylandWindowSystem::Run() {
  while (!FQuitAsked) Pump();
  return FExitCode;
}

void TWaylandWindowSystem::RunModal(HWND window, const std::function<bool()>& done) {
  std::vector<TLayerWindow*> refused;
  for (const auto& [handle, w] : FWindows) {
    if (handle == window || !w->Enabled()) continue;
    w->SetEnabled(false);
    refused.push_back(w.get());
  }
  while (!done() && !FQuitAsked) Pump();
  for (TLayerWindow* w : refused) w->SetEnabled(true);
}

void TWaylandWindowSystem::Quit(int exitCode) {
  FQuitAsked = true;
  FExitCode = exitCode;
}

void TWaylandWindowSystem::Pump() {
  wl_display* display = FDisplay->Display();
  bool lost = false;
  while (!lost && wl_display_prepare_read(display) != 0) lost = wl_display_dispatch_pending(display) < 0;
  if (!lost) {
    wl_display_flush(display);
    // The display is read before any other callback runs, so that none of them
    // waits on a read we prepared.
    if (FLoop.Wait(wl_display_get_fd(display))) {
      lost = wl_display_read_events(display) < 0;
    } else {
      wl_display_cancel_read(display);
    }
  }
  if (!lost) {
    FLoop.RunReady();
    lost = wl_display_dispatch_pending(display) < 0;
  }
  if (lost) {
    std::cerr << "chimora: " << ToUtf8(Ansi(u8"コンポジターとの接続が切れたので終了します")) << std::endl;
    Guard(TEntry::SessionEnd, [this] { EndSession(); });
    Quit(0);
    return;
  }
  wl_display_flush(display);
}

void TWaylandWindowSystem::EndSession() {
  // A second signal while ending changes nothing: the settings are stored once.
  if (FEnding) return;
  FEnding = true;
  std::vector<TForm*> mainForms;
  for (const auto& [handle, w] : FWindows) {
    if (w->Form().MainForm) mainForms.push_back(&w->Form());
  }
  for (TForm* form : mainForms) form->EndSession(form->QueryEndSession());
}
