#include "platform/window/Form.h"

#include <algorithm>
#include <cstdint>

#include "platform/window/Menus.h"

TForm::TForm(TWindowSystem& system, AnsiString className, AnsiString caption)
    : WindowProc([this](TMessage& m) { WndProc(m); }),
      FSystem(system),
      FClassName(std::move(className)),
      FCaption(std::move(caption)) {}

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
  ApplyBounds(bounds);
}

void TForm::ApplyBounds(const TRect& bounds) {
  const TRect old = FBounds;
  FBounds = bounds;
  if (old.Left != bounds.Left || old.Top != bounds.Top) Perform(WM_MOVE, 0, MakeLParam(bounds.Left, bounds.Top));
  if (old.Right - old.Left != Width() || old.Bottom - old.Top != Height()) {
    for (TControl* c : FControls) c->ParentSized(Width() - (old.Right - old.Left), Height() - (old.Bottom - old.Top));
    Perform(WM_SIZE, SIZE_RESTORED, MakeLParam(Width(), Height()));
  }
}

void TForm::Show() {
  if (FVisible) return;
  Handle();
  if (Position == TPosition::poScreenCenter) {
    const TPoint screen = FSystem.PrimaryScreenSize();
    SetBounds((screen.x - Width()) / 2, (screen.y - Height()) / 2, Width(), Height());
  }
  Perform(CM_SHOWINGCHANGED, 1);
  if (OnShow) OnShow(this);
  FVisible = true;
  FSystem.ShowWindow(FHandle, true);
}

int32_t TForm::ShowModal() {
  ModalResult = mrNone;
  FModal = true;
  Show();
  FSystem.RunModal(FHandle, [this] { return ModalResult != mrNone; });
  FModal = false;
  FSystem.ShowWindow(FHandle, false);
  FVisible = false;
  Hover(nullptr);
  return ModalResult;
}

void TForm::Close() {
  if (FModal) {
    ModalResult = mrCancel;
    return;
  }
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

void TForm::PointerInput(TPointerAction action, TPoint client, TPoint screen, TPointerKeys keys) {
  FSystem.Guard(TEntry::UserAction, [&] {
    constexpr uint32_t kMessages[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP};
    const uint32_t msg = kMessages[static_cast<size_t>(action)];
    if (TControl* windowed = FCaptured != nullptr ? FCaptured : WindowedControlAt(client)) {
      if (msg == WM_MOUSEMOVE) Hover(windowed);
      if (msg == WM_LBUTTONDOWN) FCaptured = windowed;
      if (msg == WM_LBUTTONUP) FCaptured = nullptr;
      windowed->MouseMessage(msg, client);
      return;
    }
    if (msg == WM_LBUTTONDOWN) {
      const intptr_t hit = Perform(WM_NCHITTEST, 0, MakeLParam(screen.x, screen.y));
      if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
        FSystem.StartResizeLoop(Handle(), hit);
        return;
      }
    }
    const uintptr_t mk = (keys.Left ? MK_LBUTTON : 0) | (keys.Right ? MK_RBUTTON : 0) | (keys.Shift ? MK_SHIFT : 0) |
                         (keys.Control ? MK_CONTROL : 0);
    Perform(msg, mk, MakeLParam(client.x, client.y));
  });
}

void TForm::PointerLeft() {
  FSystem.Guard(TEntry::UserAction, [this] { Perform(WM_MOUSELEAVE); });
}

void TForm::ContextMenuRequested(std::optional<TPoint> screen) {
  FSystem.Guard(TEntry::UserAction, [&] { Perform(WM_CONTEXTMENU, FHandle, screen ? MakeLParam(screen->x, screen->y) : -1); });
}

void TForm::KeyDown(uint16_t virtualKey, bool alt) {
  FSystem.Guard(TEntry::UserAction, [&] {
    Perform(alt ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, alt ? intptr_t{KF_ALTDOWN} << 16 : 0);
  });
}

intptr_t TForm::HitTest(TPoint screen) {
  intptr_t hit = 0;
  FSystem.Guard(TEntry::Notice, [&] { hit = Perform(WM_NCHITTEST, 0, MakeLParam(screen.x, screen.y)); });
  return hit;
}

void TForm::Paint(TDeviceContext& dc) {
  FSystem.Guard(TEntry::Notice, [&] {
    Perform(WM_ERASEBKGND, reinterpret_cast<uintptr_t>(&dc));
    Perform(WM_PAINT, reinterpret_cast<uintptr_t>(&dc));
  });
}

void TForm::FilesDropped(uintptr_t drop) {
  FSystem.Guard(TEntry::UserAction, [&] { Perform(WM_DROPFILES, drop); });
}

void TForm::BoundsChangedBySystem(const TRect& bounds) {
  FSystem.Guard(TEntry::Notice, [&] { ApplyBounds(bounds); });
}

void TForm::MoveLoopEnded() {
  FSystem.Guard(TEntry::UserAction, [this] { Perform(WM_EXITSIZEMOVE); });
}

void TForm::CloseRequested() {
  FSystem.Guard(TEntry::UserAction, [this] { Perform(WM_CLOSE); });
}

bool TForm::QueryEndSession() {
  // Only asked: the session may yet go on, so dialogs stay possible.
  FSystem.Guard(TEntry::Notice, [this] { Perform(WM_QUERYENDSESSION); });
  return true;
}

void TForm::EndSession(bool ending) {
  if (!ending) {
    FSystem.Guard(TEntry::Notice, [this] { Perform(WM_ENDSESSION, 0); });
    return;
  }
  FSystem.Guard(TEntry::SessionEnd, [this] { Perform(WM_ENDSESSION, 1); });
  // Whatever storing the state did, the program ends now.
  FSystem.Guard(TEntry::SessionEnd, [this] { Close(); });
}

void TForm::PowerEvent(uintptr_t event) {
  FSystem.Guard(TEntry::Notice, [&] { Perform(WM_POWERBROADCAST, event); });
}

void TForm::CapabilitiesChanged() {
  FSystem.Guard(TEntry::Notice, [this] { Perform(WM_DWMCOMPOSITIONCHANGED); });
}

void TForm::ResetRequested() {
  FSystem.Guard(TEntry::Notice, [this] { Perform(WM_USER + 100); });
}

void TForm::InsertControl(TControl& control) { FControls.push_back(&control); }

void TForm::RemoveControl(TControl& control) {
  std::erase(FControls, &control);
  for (TControl** held : {&FHover, &FPressed, &FCaptured}) {
    if (*held == &control) *held = nullptr;
  }
}

TControl* TForm::GraphicControlAt(TPoint at) const {
  // The last placed is on top.
  for (auto c = FControls.rbegin(); c != FControls.rend(); ++c) {
    if (!(*c)->Windowed() && (*c)->Visible && (*c)->Contains(at)) return *c;
  }
  return nullptr;
}

TControl* TForm::WindowedControlAt(TPoint at) const {
  for (auto c = FControls.rbegin(); c != FControls.rend(); ++c) {
    if ((*c)->Windowed() && (*c)->Visible && (*c)->Contains(at)) return *c;
  }
  return nullptr;
}

void TForm::Hover(TControl* control) {
  if (control == FHover) return;
  if (FHover != nullptr) FHover->MouseLeave();
  FHover = control;
  if (FHover != nullptr) FHover->MouseEnter();
  if (FHandle != 0) FSystem.SetCursor(FHandle, FHover != nullptr ? FHover->Cursor : TCursor::crDefault);
}

// Drawn whole into the form's picture, then shown at once: no flicker. A form
// with nothing of its own to draw leaves what erasing drew (the presenter's picture).
void TForm::PaintPicture(TDeviceContext* dc) {
  if (Width() <= 0 || Height() <= 0 || (!OnPaint && FControls.empty())) return;
  FPicture.SetPixelFormat(TPixelFormat::pf32bit);
  FPicture.SetSize(Width(), Height());
  for (int32_t y = 0; y < FPicture.Height(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(FPicture.ScanLine(y));
    std::fill_n(row, FPicture.Width(), 0xFF000000u | (Color & 0xFF) << 16 | (Color & 0xFF00) | (Color >> 16 & 0xFF));
  }
  if (OnPaint) OnPaint(this);
  // Windowed controls lie above the ones drawn on the form.
  for (const bool windowed : {false, true}) {
    for (TControl* c : FControls) {
      if (c->Windowed() == windowed && c->Visible) c->Paint(FCanvas);
    }
  }
  if (dc != nullptr) dc->BitBlt(0, 0, FPicture);
}

void TForm::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_CONTEXTMENU:
      ShowPopupMenu(message.LParam);
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      const bool alt = (HiWord(message.LParam) & KF_ALTDOWN) != 0;
      if (HandleShortCut(message.WParam, alt) || HandleDialogKey(message.WParam)) {
        message.Result = 0;
      } else if (message.WParam == VK_F4 && alt) {
        Perform(WM_CLOSE);  // the window system's own close key
      }
      break;
    }
    case WM_PAINT:
      PaintPicture(reinterpret_cast<TDeviceContext*>(message.WParam));
      break;
    case WM_MOUSEMOVE:
      Hover(GraphicControlAt(TPoint{LoWord(message.LParam), HiWord(message.LParam)}));
      break;
    case WM_MOUSELEAVE:
      Hover(nullptr);
      break;
    case WM_LBUTTONDOWN:
      FPressed = GraphicControlAt(TPoint{LoWord(message.LParam), HiWord(message.LParam)});
      break;
    case WM_LBUTTONUP: {
      TControl* released = GraphicControlAt(TPoint{LoWord(message.LParam), HiWord(message.LParam)});
      const bool click = released != nullptr && released == FPressed;
      FPressed = nullptr;
      if (click) released->Click();
      break;
    }
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
  // (-1, -1): from the keyboard; the menu opens at the pointer, or in the
  // window's middle where the system does not say where the pointer is.
  TPoint at{LoWord(lParam), HiWord(lParam)};
  if (lParam == -1) {
    at = FSystem.Capabilities().GlobalPointer ? FSystem.CursorPos() : TPoint{Left() + Width() / 2, Top() + Height() / 2};
  }
  PopupMenu->Popup(Handle(), at);
}

// Escape presses the cancel button, Return the default one (else the focused
// one, which is the first button), Space the focused one.
bool TForm::HandleDialogKey(uintptr_t key) {
  TControl* target = nullptr;
  for (TControl* c : FControls) {
    auto* button = dynamic_cast<TButton*>(c);
    if (button == nullptr || !button->Visible) continue;
    const bool focused = target == nullptr && key != VK_ESCAPE;
    if ((key == VK_ESCAPE && button->Cancel) || (key == VK_RETURN && button->Default)) {
      target = button;
      break;
    }
    if (focused && (key == VK_RETURN || key == VK_SPACE)) target = button;
  }
  if (target == nullptr) return false;
  target->Click();
  return true;
}

// Alt as the key message says; Shift and Ctrl as they were when it was sent.
bool TForm::HandleShortCut(uintptr_t key, bool alt) {
  if (PopupMenu == nullptr) return false;
  const auto shortCut = static_cast<TShortCut>((key & 0xFF) | (FSystem.ShiftState() & (scShift | scCtrl)) | (alt ? scAlt : 0));
  return PopupMenu->IsShortCut(shortCut);
}
