#pragma once
// Window messages with the window system's numbers, and the record a window
// procedure receives.
#include <cstdint>
#include <functional>

using HWND = uintptr_t;  // 0: no window

struct TMessage {
  uint32_t Msg = 0;
  uintptr_t WParam = 0;
  intptr_t LParam = 0;
  intptr_t Result = 0;
};

using TWndMethod = std::function<void(TMessage&)>;

constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUERYENDSESSION = 0x0011;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_ENDSESSION = 0x0016;
constexpr uint32_t WM_CONTEXTMENU = 0x007B;
constexpr uint32_t WM_NCHITTEST = 0x0084;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_MOUSELEAVE = 0x02A3;
constexpr uint32_t WM_POWERBROADCAST = 0x0218;
constexpr uint32_t WM_EXITSIZEMOVE = 0x0232;
constexpr uint32_t WM_DROPFILES = 0x0233;
// Per-pixel alpha began or ceased to work (a compositing manager started or stopped).
constexpr uint32_t WM_DWMCOMPOSITIONCHANGED = 0x031E;
constexpr uint32_t WM_USER = 0x0400;
// The framework's notification that a form's visibility is about to change
// (wParam 1: it is being shown).
constexpr uint32_t CM_SHOWINGCHANGED = 0xB000 + 19;

constexpr uintptr_t MK_LBUTTON = 0x0001;
constexpr uintptr_t MK_RBUTTON = 0x0002;
constexpr uintptr_t MK_SHIFT = 0x0004;
constexpr uintptr_t MK_CONTROL = 0x0008;

constexpr uintptr_t SIZE_RESTORED = 0;
constexpr uintptr_t SIZE_MINIMIZED = 1;
constexpr uintptr_t SIZE_MAXIMIZED = 2;

// WM_NCHITTEST answers for the window's edges.
constexpr intptr_t HTLEFT = 10;
constexpr intptr_t HTRIGHT = 11;
constexpr intptr_t HTTOP = 12;
constexpr intptr_t HTTOPLEFT = 13;
constexpr intptr_t HTTOPRIGHT = 14;
constexpr intptr_t HTBOTTOM = 15;
constexpr intptr_t HTBOTTOMLEFT = 16;
constexpr intptr_t HTBOTTOMRIGHT = 17;

// Places in the Z order and flags of SetWindowPos.
constexpr HWND HWND_TOP = 0;
constexpr HWND HWND_BOTTOM = 1;
constexpr HWND HWND_TOPMOST = static_cast<HWND>(-1);
constexpr HWND HWND_NOTOPMOST = static_cast<HWND>(-2);
constexpr uint32_t SWP_NOSIZE = 0x0001;
constexpr uint32_t SWP_NOMOVE = 0x0002;
constexpr uint32_t SWP_SHOWWINDOW = 0x0040;

constexpr uintptr_t SC_DRAGMOVE = 0xF012;

// In the high word of a key message's lParam: Alt was held.
constexpr int32_t KF_ALTDOWN = 0x2000;

constexpr uintptr_t PBT_APMSUSPEND = 4;
constexpr uintptr_t PBT_APMSTANDBY = 5;
constexpr uintptr_t PBT_APMRESUMESUSPEND = 7;
constexpr uintptr_t PBT_APMRESUMESTANDBY = 8;

constexpr int32_t GWL_EXSTYLE = -20;
constexpr uint32_t WS_EX_LAYERED = 0x80000;

// Keyboard shortcuts as the framework codes them: a virtual key plus modifier bits.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr uint16_t VK_RETURN = 0x0D;
constexpr uint16_t VK_ESCAPE = 0x1B;
constexpr uint16_t VK_SPACE = 0x20;
constexpr uint16_t VK_UP = 0x26;
constexpr uint16_t VK_DOWN = 0x28;
constexpr uint16_t VK_F1 = 0x70;
constexpr uint16_t VK_F4 = 0x73;

// Client coordinates packed as the window system packs them: x low, y high, 16 bits each.
constexpr intptr_t MakeLParam(int32_t x, int32_t y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF));
}
// The packed coordinates read back signed, as client points are.
constexpr int32_t LoWord(intptr_t lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }
constexpr int32_t HiWord(intptr_t lParam) { return static_cast<int16_t>((lParam >> 16) & 0xFFFF); }
