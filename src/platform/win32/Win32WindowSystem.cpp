#include "platform/win32/Win32WindowSystem.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/Win32Api.h"
#include "platform/window/DropFiles.h"

namespace {

constexpr const char* kFormClass = "ChimoraForm";
constexpr const char* kTimerClass = "ChimoraTimers";
constexpr UINT kDeferredContextMenu = WM_APP + 1;

TForm* FormOf(WinHWND window) { return reinterpret_cast<TForm*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }
TWin32WindowSystem* SystemOf(WinHWND window) {
  return reinterpret_cast<TWin32WindowSystem*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

bool RunningOnWine() {
  static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

TRect RectOf(const RECT& r) { return TRect{r.left, r.top, r.right, r.bottom}; }

// Where the form paints: the window's device context during WM_PAINT.
class TGdiDeviceContext : public TDeviceContext {
 public:
  explicit TGdiDeviceContext(HDC dc) : FDc(dc) {}
  void BitBlt(int32_t x, int32_t y, const TBitmap& bitmap) override {
    if (bitmap.Empty() || bitmap.PixelFormat() != TPixelFormat::pf32bit) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = bitmap.Width();
    info.bmiHeader.biHeight = -bitmap.Height();  // rows from the top, as ours
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(FDc, x, y, bitmap.Width(), bitmap.Height(), 0, 0, 0, bitmap.Height(), bitmap.ScanLine(0), &info,
                      DIB_RGB_COLORS);
  }
  void FillRect(const TRect& rect, Color32 color) override {
    const HBRUSH brush = CreateSolidBrush(color & 0xFFFFFF);
    const RECT r{rect.Left, rect.Top, rect.Right, rect.Bottom};
    ::FillRect(FDc, &r, brush);
    DeleteObject(brush);
  }

 private:
  HDC FDc;
};

// The point packed in lParam, signed.
TPoint PackedPoint(LPARAM lParam) { return TPoint{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))}; }

TPoint ScreenPoint(WinHWND window, LPARAM lParam) {
  POINT p{static_cast<int16_t>(LOWORD(lParam)), static_cast<int16_t>(HIWORD(lParam))};
  ClientToScreen(window, &p);
  return TPoint{p.x, p.y};
}

TPointerAction PointerActionOf(UINT msg) {
  switch (msg) {
    case WM_LBUTTONDOWN: return TPointerAction::LeftDown;
    case WM_LBUTTONUP: return TPointerAction::LeftUp;
    case WM_RBUTTONDOWN: return TPointerAction::RightDown;
    case WM_RBUTTONUP: return TPointerAction::RightUp;
    default: return TPointerAction::Move;
  }
}

TPointerKeys PointerKeysOf(WPARAM wParam) {
  return TPointerKeys{(wParam & MK_LBUTTON) != 0, (wParam & MK_RBUTTON) != 0, (wParam & MK_SHIFT) != 0, (wParam & MK_CONTROL) != 0};
}

// The system's messages as the form's entry points.
LRESULT Deliver(TForm& form, WinHWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(window, &ps);
      TGdiDeviceContext context(dc);
      form.Paint(context);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // erased with the painting
    case WM_MOVE:
    case WM_SIZE: {
      RECT r;
      ::GetWindowRect(window, &r);
      form.BoundsChangedBySystem(RectOf(r));
      return 0;
    }
    case WM_MOUSEMOVE: {
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
      TrackMouseEvent(&track);
    }
      [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      if (msg == WM_LBUTTONDOWN) SetCapture(window);
      if (msg == WM_LBUTTONUP) ReleaseCapture();
      form.PointerInput(PointerActionOf(msg), PackedPoint(lParam), ScreenPoint(window, lParam), PointerKeysOf(wParam));
      if (msg == WM_RBUTTONUP) return DefWindowProcA(window, msg, wParam, lParam);  // WM_CONTEXTMENU follows
      return 0;
    case WM_MOUSELEAVE:
      form.PointerLeft();
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        auto* system = static_cast<TWin32WindowSystem*>(&form.WindowSystem());
        ::SetCursor(LoadCursorA(nullptr, system->CursorOf(Ours(window)) == TCursor::crHandPoint ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_NCHITTEST: {
      const intptr_t hit = form.HitTest(PackedPoint(lParam));
      return hit != 0 ? hit : DefWindowProcA(window, msg, wParam, lParam);
    }
    case WM_DROPFILES:
      form.FilesDropped(wParam);
      DragFinish(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_CANCELMODE:
      // Wine sends it when a layered window is updated; the chime's own frames
      // must not close its menu there. The capture goes as it would. Windows
      // sends it only to cancel, and cancels as it always does.
      if (!RunningOnWine()) break;
      if (GetCapture() == window) ReleaseCapture();
      return 0;
    case WM_CLOSE:
      form.CloseRequested();
      return 0;  // the form decides; its window lives as long as it does
    case WM_QUERYENDSESSION:
      return form.QueryEndSession() ? TRUE : FALSE;
    case WM_ENDSESSION:
      form.EndSession(wParam != 0);
      return 0;
    case WM_CONTEXTMENU:
      // Opened once the mouse message that asked for it is done with.
      PostMessageA(window, kDeferredContextMenu, wParam, lParam);
      return 0;
    case kDeferredContextMenu:
      form.ContextMenuRequested(lParam == -1 ? std::nullopt : std::optional<TPoint>(PackedPoint(lParam)));
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // Alt+F4 included: the form closes itself, as the system would.
      form.KeyDown(static_cast<uint16_t>(wParam), (HIWORD(lParam) & KF_ALTDOWN) != 0);
      return 0;
    case WM_EXITSIZEMOVE:
      form.MoveLoopEnded();
      return 0;
    case WM_POWERBROADCAST:
      form.PowerEvent(wParam);
      return TRUE;
    case WM_DWMCOMPOSITIONCHANGED:
      form.CapabilitiesChanged();
      return 0;
    case WM_USER + 100:
      form.ResetRequested();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

// Nothing thrown may cross the system's dispatching: everything goes through the firewall.
LRESULT CALLBACK FormProc(WinHWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  TForm* form = FormOf(window);
  if (form == nullptr) return DefWindowProcA(window, msg, wParam, lParam);
  LRESULT result = 0;
  form->WindowSystem().Guard(TEntry::Notice, [&] { result = Deliver(*form, window, msg, wParam, lParam); });
  return result;
}

LRESULT CALLBACK TimerProc(WinHWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
  }
  if (msg == WM_TIMER) {
    if (TWin32WindowSystem* system = SystemOf(window)) system->Guard(TEntry::Notice, [&] { system->FireTimer(wParam); });
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

// The messages DestroyWindow sends go to no form or system: theirs are being destroyed.
void Destroy(WinHWND window) {
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  ::DestroyWindow(window);
}

void RegisterClasses() {
  WNDCLASSEXA form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = FormProc;
  form.hInstance = GetModuleHandleA(nullptr);
  form.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  form.hIcon = LoadIconA(form.hInstance, "MAINICON");
  form.lpszClassName = kFormClass;
  RegisterClassExA(&form);
  WNDCLASSEXA timers{};
  timers.cbSize = sizeof timers;
  timers.lpfnWndProc = TimerProc;
  timers.hInstance = form.hInstance;
  timers.lpszClassName = kTimerClass;
  RegisterClassExA(&timers);
}

}  // namespace

TWin32WindowSystem::TWin32WindowSystem() {
  RegisterClasses();
  FTimerWindow = Ours(CreateWindowExA(0, kTimerClass, "", 0, 0, 0, 0, 0, Native(HWND_MESSAGE), nullptr, GetModuleHandleA(nullptr), this));
}

TWin32WindowSystem::~TWin32WindowSystem() {
  if (FTimerWindow != 0) Destroy(Native(FTimerWindow));
}

HWND TWin32WindowSystem::CreateWindowFor(TForm& form) {
  const TRect b = form.BoundsRect();
  // Out of the taskbar, above other windows: an ornament and its card.
  const WinHWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kFormClass, form.Caption().c_str(), WS_POPUP, b.Left,
                                         b.Top, b.Right - b.Left, b.Bottom - b.Top, nullptr, nullptr, GetModuleHandleA(nullptr), &form);
  return Ours(window);
}

void TWin32WindowSystem::DestroyWindow(HWND window) {
  FCursors.erase(window);
  Destroy(Native(window));
}

void TWin32WindowSystem::ShowWindow(HWND window, bool visible) { ::ShowWindow(Native(window), visible ? SW_SHOWNOACTIVATE : SW_HIDE); }

void TWin32WindowSystem::SetWindowBounds(HWND window, const TRect& bounds) {
  ::SetWindowPos(Native(window), nullptr, bounds.Left, bounds.Top, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

TRect TWin32WindowSystem::GetWindowRect(HWND window) {
  RECT r{};
  ::GetWindowRect(Native(window), &r);
  return RectOf(r);
}

bool TWin32WindowSystem::IsZoomed(HWND window) { return ::IsZoomed(Native(window)) != 0; }

void TWin32WindowSystem::Invalidate(HWND window) { InvalidateRect(Native(window), nullptr, FALSE); }

uint32_t TWin32WindowSystem::GetExStyle(HWND window) { return static_cast<uint32_t>(GetWindowLongA(Native(window), GWL_EXSTYLE)); }

void TWin32WindowSystem::SetExStyle(HWND window, uint32_t style) { SetWindowLongA(Native(window), GWL_EXSTYLE, static_cast<LONG>(style)); }

// Copied whole into a new section each time, so `changed` is not needed.
bool TWin32WindowSystem::UpdateLayeredWindow(HWND window, int32_t x, int32_t y, const TBitmap& premultiplied,
                                              const TRect& /*changed*/) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = premultiplied.Width();
  info.bmiHeader.biHeight = -premultiplied.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = dib != nullptr;
  if (ok) {
    for (int32_t row = 0; row < premultiplied.Height(); ++row) {
      std::memcpy(static_cast<uint8_t*>(bits) + static_cast<size_t>(row) * premultiplied.Width() * 4, premultiplied.ScanLine(row),
                  static_cast<size_t>(premultiplied.Width()) * 4);
    }
    const HGDIOBJ old = SelectObject(memory, dib);
    POINT at{x, y}, origin{0, 0};
    SIZE size{premultiplied.Width(), premultiplied.Height()};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ok = ::UpdateLayeredWindow(Native(window), screen, &at, &size, memory, &origin, 0, &blend, ULW_ALPHA) != 0;
    SelectObject(memory, old);
    DeleteObject(dib);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  // A hidden window learns nothing of its new place from the system.
  if (TForm* form = ok ? FormOf(Native(window)) : nullptr) {
    form->BoundsChangedBySystem(TRect{x, y, x + premultiplied.Width(), y + premultiplied.Height()});
  }
  return ok;
}

void TWin32WindowSystem::SetWindowRgn(HWND window, std::unique_ptr<TRegion> region) {
  HRGN native = nullptr;
  if (region) {
    native = CreateRectRgn(0, 0, 0, 0);
    for (const TRect& r : region->Rects()) {
      const HRGN part = CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
      CombineRgn(native, native, part, RGN_OR);
      DeleteObject(part);
    }
  }
  ::SetWindowRgn(Native(window), native, TRUE);  // the window owns the region now
}

void TWin32WindowSystem::SetWindowPos(HWND window, HWND insertAfter, const TRect& bounds, uint32_t flags) {
  ::SetWindowPos(Native(window), Native(insertAfter), bounds.Left, bounds.Top, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top,
                 flags);
}

AnsiString TWin32WindowSystem::LastErrorText() {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0,
                 reinterpret_cast<char*>(&text), 0, nullptr);
  AnsiString message = text != nullptr ? text : "";
  LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
  return message;
}

void TWin32WindowSystem::DragAcceptFiles(HWND window, bool accept) { ::DragAcceptFiles(Native(window), accept); }

// Read in UTF-16 and held as a name: one with characters the code page lacks
// still reaches its file, where the ANSI query would give "?" for them.
uint32_t TWin32WindowSystem::DragQueryFile(uintptr_t drop, uint32_t index, char* buffer, uint32_t size) {
  const auto handle = reinterpret_cast<HDROP>(drop);
  if (index == 0xFFFFFFFFu) return ::DragQueryFileW(handle, index, nullptr, 0);
  std::wstring wide(::DragQueryFileW(handle, index, nullptr, 0) + 1, L'\0');
  wide.resize(::DragQueryFileW(handle, index, wide.data(), static_cast<UINT>(wide.size())));
  std::string utf8(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
  return CopyDropName(FromUtf8Name(utf8), buffer, size);
}

void TWin32WindowSystem::StartMoveLoop(HWND window, intptr_t lParam) {
  ReleaseCapture();
  SendMessageA(Native(window), WM_SYSCOMMAND, SC_DRAGMOVE, lParam);
}

void TWin32WindowSystem::StartResizeLoop(HWND window, intptr_t hitTest) {
  ReleaseCapture();
  SendMessageA(Native(window), WM_SYSCOMMAND, SC_SIZE + static_cast<WPARAM>(hitTest - HTLEFT + WMSZ_LEFT), 0);
}

namespace {
BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) reinterpret_cast<std::vector<TRect>*>(list)->push_back(RectOf(info.rcWork));
  return TRUE;
}

BOOL CALLBACK AddTopWindow(WinHWND window, LPARAM list) {
  RECT r{};
  ::GetWindowRect(window, &r);
  reinterpret_cast<std::vector<TTopWindow>*>(list)->push_back(TTopWindow{Ours(window), RectOf(r), IsWindowVisible(window) != 0});
  return TRUE;
}
}  // namespace

std::vector<TRect> TWin32WindowSystem::MonitorWorkAreas() {
  std::vector<TRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

TPoint TWin32WindowSystem::PrimaryScreenSize() { return TPoint{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

std::vector<TTopWindow> TWin32WindowSystem::TopLevelWindows() {
  std::vector<TTopWindow> windows;
  EnumWindows(AddTopWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

TPoint TWin32WindowSystem::CursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return TPoint{p.x, p.y};
}

TShortCut TWin32WindowSystem::ShiftState() {
  TShortCut state = 0;
  if (GetKeyState(VK_SHIFT) < 0) state |= scShift;
  if (GetKeyState(VK_CONTROL) < 0) state |= scCtrl;
  if (GetKeyState(VK_MENU) < 0) state |= scAlt;
  return state;
}

int32_t TWin32WindowSystem::TrackPopupMenu(HWND window, const TPopupMenu& menu, TPoint at) {
  const HMENU popup = CreatePopupMenu();
  UINT id = 1;
  for (const auto& item : menu.Items()) {
    if (item->IsSeparator()) {
      AppendMenuA(popup, MF_SEPARATOR, id++, nullptr);
    } else {
      // The shortcut stands after a tab, right-aligned by the system.
      const AnsiString shortCut = ShortCutToText(item->ShortCut);
      const AnsiString text = shortCut.empty() ? item->Caption : item->Caption + "\t" + shortCut;
      AppendMenuA(popup, MF_STRING | (item->Checked ? MF_CHECKED : MF_UNCHECKED), id++, text.c_str());
    }
  }
  // The owner must be the active window, or the menu closes at once and would
  // not close when the user clicks elsewhere.
  SetForegroundWindow(Native(window));
  SetActiveWindow(Native(window));
  const int chosen = ::TrackPopupMenu(popup, TPM_RETURNCMD, at.x, at.y, 0, Native(window), nullptr);
  PostMessageA(Native(window), WM_NULL, 0, 0);
  DestroyMenu(popup);
  return chosen - 1;
}

void TWin32WindowSystem::MessageBox(const AnsiString& text, const AnsiString& caption) {
  MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_TOPMOST);
}

int32_t TWin32WindowSystem::SetTimer(uint32_t interval, std::function<void()> onTimer) {
  const int32_t id = FNextTimer++;
  FTimers[id] = std::move(onTimer);
  ::SetTimer(Native(FTimerWindow), static_cast<UINT_PTR>(id), interval, nullptr);
  return id;
}

void TWin32WindowSystem::KillTimer(int32_t id) {
  ::KillTimer(Native(FTimerWindow), static_cast<UINT_PTR>(id));
  FTimers.erase(id);
}

void TWin32WindowSystem::FireTimer(uintptr_t id) {
  const auto it = FTimers.find(static_cast<int32_t>(id));
  if (it != FTimers.end()) {
    const std::function<void()> onTimer = it->second;  // the timer may be killed from inside
    onTimer();
  }
}

void TWin32WindowSystem::SetCursor(HWND window, TCursor cursor) {
  FCursors[window] = cursor;
  POINT p{};
  GetCursorPos(&p);
  if (WindowFromPoint(p) == Native(window)) ::SetCursor(LoadCursorA(nullptr, cursor == TCursor::crHandPoint ? IDC_HAND : IDC_ARROW));
}

TCursor TWin32WindowSystem::CursorOf(HWND window) const {
  const auto it = FCursors.find(window);
  return it == FCursors.end() ? TCursor::crDefault : it->second;
}

int TWin32WindowSystem::Run() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

namespace {
BOOL CALLBACK DisableOther(WinHWND window, LPARAM modal) {
  auto* refused = reinterpret_cast<std::pair<WinHWND, std::vector<WinHWND>>*>(modal);
  if (window != refused->first && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() && IsWindowEnabled(window)) {
    EnableWindow(window, FALSE);
    refused->second.push_back(window);
  }
  return TRUE;
}
}  // namespace

void TWin32WindowSystem::RunModal(HWND window, const std::function<bool()>& done) {
  std::pair<WinHWND, std::vector<WinHWND>> refused{Native(window), {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOther, reinterpret_cast<LPARAM>(&refused));
  SetForegroundWindow(Native(window));
  SetFocus(Native(window));
  MSG msg;
  while (!done() && !FQuitAsked) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  for (const WinHWND w : refused.second) {
    if (IsWindow(w)) EnableWindow(w, TRUE);
  }
}

void TWin32WindowSystem::Quit(int exitCode) {
  FQuitAsked = true;
  PostQuitMessage(exitCode);
}
