#pragma once
// The window system of Windows itself: every form is a native top-level window
// whose messages go straight to the form's window procedure.
#include <functional>
#include <map>

#include "platform/window/WindowSystem.h"

class TWin32WindowSystem : public TWindowSystem {
 public:
  TWin32WindowSystem();
  ~TWin32WindowSystem() override;
  TWin32WindowSystem(const TWin32WindowSystem&) = delete;
  TWin32WindowSystem& operator=(const TWin32WindowSystem&) = delete;

  // Everything: layered windows, any place, the whole window list.
  TCapabilities Capabilities() override { return TCapabilities{true, TPlacement::Anywhere, true, true, true, true, false}; }
  HWND CreateWindowFor(TForm& form) override;
  void DestroyWindow(HWND window) override;
  void ShowWindow(HWND window, bool visible) override;
  void SetWindowBounds(HWND window, const TRect& bounds) override;
  TRect GetWindowRect(HWND window) override;
  bool IsZoomed(HWND window) override;
  void Invalidate(HWND window) override;
  uint32_t GetExStyle(HWND window) override;
  void SetExStyle(HWND window, uint32_t style) override;
  bool UpdateLayeredWindow(HWND window, int32_t x, int32_t y, const TBitmap& premultiplied, const TRect& changed) override;
  void SetWindowRgn(HWND window, std::unique_ptr<TRegion> region) override;
  void SetWindowPos(HWND window, HWND insertAfter, const TRect& bounds, uint32_t flags) override;
  AnsiString LastErrorText() override;
  void DragAcceptFiles(HWND window, bool accept) override;
  uint32_t DragQueryFile(uintptr_t drop, uint32_t index, char* buffer, uint32_t size) override;
  void StartMoveLoop(HWND window, intptr_t lParam) override;
  void StartResizeLoop(HWND window, intptr_t hitTest) override;
  std::vector<TRect> MonitorWorkAreas() override;
  TPoint PrimaryScreenSize() override;
  std::vector<TTopWindow> TopLevelWindows() override;
  TPoint CursorPos() override;
  TShortCut ShiftState() override;
  int32_t TrackPopupMenu(HWND window, const TPopupMenu& menu, TPoint at) override;
  void MessageBox(const AnsiString& text, const AnsiString& caption) override;
  int32_t SetTimer(uint32_t interval, std::function<void()> onTimer) override;
  void KillTimer(int32_t id) override;
  void SetCursor(HWND window, TCursor cursor) override;
  int Run() override;
  void RunModal(HWND window, const std::function<bool()>& done) override;
  void Quit(int exitCode) override;

  // For the window procedure.
  TCursor CursorOf(HWND window) const;
  void FireTimer(uintptr_t id);

 private:
  HWND FTimerWindow = 0;  // a message-only window that receives the timers
  std::map<int32_t, std::function<void()>> FTimers;
  std::map<HWND, TCursor> FCursors;
  int32_t FNextTimer = 1;
  bool FQuitAsked = false;
};
