#pragma once
// The native Wayland window system, on libwayland-client, the layer shell and
// the xdg shell,
// with its own poll loop over the display, the timers and the signal pipe.
// SIGTERM, SIGHUP and SIGINT end the session of every main form (its settings
// are stored); so does the compositor going away.
#include <map>
#include <memory>

#include "platform/wayland/EventLoop.h"
#include "platform/window/DropFiles.h"
#include "platform/window/WindowSystem.h"

class TWaylandDisplay;
class TSurfaceWindow;
class TSignalPipe;
class TDataDevice;

class TWaylandWindowSystem : public TWindowSystem {
 public:
  // Throws Exception when there is no compositor, or it offers no layer shell of
  // the version needed; the message says which. Chosen by the program, it needs
  // the keyboard on demand (version 4); asked for (forced), version 3 does.
  explicit TWaylandWindowSystem(bool forced);
  ~TWaylandWindowSystem() override;

  TCapabilities Capabilities() override;
  HWND CreateWindowFor(TForm& form) override;
  void DestroyWindow(HWND window) override;
  void ShowWindow(HWND window, bool visible) override;
  void SetWindowBounds(HWND window, const TRect& bounds) override;
  TRect GetWindowRect(HWND window) override;
  bool IsZoomed(HWND /*window*/) override { return false; }
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
  AnsiString ScreenName(HWND window) override;
  std::optional<TPoint> ScreenOrigin(const AnsiString& name) override;
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

 protected:
  // Waits once for the display, the timers and the signals, and handles what came.
  void Pump();

 private:
  TSurfaceWindow* Find(HWND window);
  // The session ends for every main form: its settings are stored, the program ends.
  void EndSession();

  std::unique_ptr<TWaylandDisplay> FDisplay;
  std::unique_ptr<TSignalPipe> FSignals;
  std::unique_ptr<TDataDevice> FDrops;  // none where the compositor has no data devices
  TEventLoop FLoop;
  std::map<HWND, std::unique_ptr<TSurfaceWindow>> FWindows;
  AnsiString FLastError;
  bool FQuitAsked = false;
  int FExitCode = 0;
  bool FEnding = false;
};
