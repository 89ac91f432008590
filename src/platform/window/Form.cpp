#include "platform/window/Form.h"

#include <algorithm>
#include <cstdint>

#include "platform/window/Menus.h"

TForm::TForm(TWindowSystem& system, AnsiString className)
    : WindowProc([this](TMessage& m) { WndProc(m); }), FSystem(system), FClassName(std::move(className)) {}

TForm::~TForm() {
  if (FHandle != 0) FSystem.DestroyWindow(FHandle);
}

HWND TForm::Handle() {
  if (FHandle == 0) FHandle = FSystem.CreateWindowFor(*this);
  return FHandle;
}

intptr_t TForm::Perform(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  TMessage message{msg, wParam, lParam, 0};
  Dispatch(message);
  return message.Result;
}

namespace {
// Stored positions may be anything: where the far edge would leave the 32-bit
// range the size is kept and the position gives way.
int32_t Near(int32_t position, int32_t size) {
  const int64_t far = int64_t{position} + size;
  return static_cast<int32_t>(position - (far - std::clamp<int64_t>(far, INT32_MIN, INT32_MAX)));
}
}  // namespace

void TForm::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  left = Near(left, width);
  top = Near(top, height);
  const TRect bounds{left, top, left + width, top + height};
  if (bounds == FBounds) return;
  if (FHandle != 0) FSystem.SetWindowBounds(FHandle, bounds);
  BoundsChangedBySystem(bounds);
}

void TForm::BoundsChangedBySystem(const TRect& bounds) {
  const TRect old = FBounds;
  FBounds = bounds;
  if (old.Left != bounds.Left || old.Top != bounds.Top) Perform(WM_MOVE, 0, MakeLParam(bounds.Left, bounds.Top));
  if (old.Right - old.Left != Width() || old.Bottom - old.Top != Height()) {
    Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(Width(), Height()));
  }
}

void TForm::Show() {
  if (FVisible) return;
  Handle();
  Perform(CM_SHOWINGCHANGED, 1);
  if (OnShow) OnShow(this);
  FVisible = true;
  FSystem.ShowWindow(FHandle, true);
}

void TForm::Close() {
  if (FClosing) return;
  FClosing = true;
  if (FHandle != 0) FSystem.ShowWindow(FHandle, false);
  FVisible = false;
  if (MainForm) FSystem.Quit(0);
}

void TForm::Invalidate() {
  if (FHandle != 0) FSystem.Invalidate(FHandle);
}

void TForm::DoDestroy() {
  if (FDestroyed) return;
  FDestroyed = true;
  if (OnDestroy) OnDestroy(this);
}

void TForm::LeftButtonDown(TPoint client, TPoint screen, uintptr_t keys) {
  const intptr_t hit = Perform(WM_NCHITTEST, 0, MakeLParam(screen.x, screen.y));
  if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
    FSystem.StartResizeLoop(Handle(), hit);
    return;
  }
  Perform(WM_LBUTTONDOWN, keys, MakeLParam(client.x, client.y));
}

void TForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_CONTEXTMENU:
      ShowPopupMenu(message.LParam);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (HandleShortCut(message.WParam)) message.Result = 0;
      break;
    case WM_CLOSE:
      Close();
      break;
    case WM_ERASEBKGND:
      if (auto* dc = reinterpret_cast<TDeviceContext*>(message.WParam)) {
        dc->FillRect(TRect{0, 0, Width(), Height()}, Color);
      }
      message.Result = 1;
      break;
    default:
      break;
  }
}

void TForm::ShowPopupMenu(intptr_t lParam) {
  if (PopupMenu == nullptr) return;
  // (-1, -1): from the keyboard; the menu opens at the pointer.
  TPoint at{static_cast<int16_t>(lParam & 0xFFFF), static_cast<int16_t>((lParam >> 16) & 0xFFFF)};
  if (lParam == -1) at = FSystem.CursorPos();
  PopupMenu->Popup(Handle(), at);
}

bool TForm::HandleShortCut(uintptr_t key) {
  if (PopupMenu == nullptr) return false;
  const auto shortCut = static_cast<TShortCut>((key & 0xFF) | FSystem.ShiftState());
  return PopupMenu->IsShortCut(shortCut);
}
