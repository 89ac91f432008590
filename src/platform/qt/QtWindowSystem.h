#pragma once
// The desktop's window system, on Qt 6 over X11 (Xwayland on a Wayland session).
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/system/DesktopScale.h"
#include "platform/window/DropFiles.h"
#include "platform/window/WindowSystem.h"

class TXcbWindow;
class TCompositingWatch;
class TQtTimers;

class TQtWindowSystem : public TWindowSystem {
 public:
  using TSettingReader = std::function<std::optional<std::string>()>;
  // Needs the application object; starts watching for a compositing manager.
  // The scale is chosen when the first window is made: from `request`, the
  // setting `setting` reads then (the settings exist by then) and the desktop's
  // Xft.dpi. Everything the forms see is in units of it.
  explicit TQtWindowSystem(TScaleRequest request = {}, TSettingReader setting = nullptr);
  ~TQtWindowSystem() override;

  TCapabilities Capabilities() override;
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
  AnsiString LastErrorText() override { return FLastError; }
  void DragAcceptFiles(HWND window, bool accept) override;
  uint32_t DragQueryFile(uintptr_t drop, uint32_t index, char* buffer, uint32_t size) override {
    return QueryDropFiles(drop, index, buffer, size);
  }
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
  std::unique_ptr<TSessionLink> LinkSession(TForm& mainForm) override;

  // Delivers to every form, as the system broadcasts to top-level windows.
  void Broadcast(const std::function<void(TForm&)>& deliver);

 private:
  TXcbWindow* Find(HWND window);
  void ChooseScaleOnce();
  TScale Scale() {
    ChooseScaleOnce();
    return *FScale;
  }

  std::map<HWND, std::unique_ptr<TXcbWindow>> FWindows;
  std::unique_ptr<TQtTimers> FTimers;
  AnsiString FLastError;
  bool FQuitAsked = false;
  std::optional<int> FQuitCode;  // asked and not yet taken by a loop
  std::unique_ptr<TCompositingWatch> FCompositing;
  bool FXwayland = false;
  TScaleRequest FScaleRequest;
  TSettingReader FScaleSetting;
  std::optional<TScale> FScale;  // chosen with the first window
};
