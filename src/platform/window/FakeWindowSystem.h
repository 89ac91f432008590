#pragma once
// A window system for tests: tests send the messages a desktop would, set the
// screens and the window list, and read back what the windows asked for.
#include <map>
#include <optional>

#include "platform/window/DropFiles.h"
#include "platform/window/Form.h"
#include "platform/window/WindowSystem.h"

class TFakeWindowSystem : public TWindowSystem {
 public:
  struct Window {
    TForm* Form = nullptr;
    TRect Bounds;
    bool Visible = false;
    bool Zoomed = false;
    bool AcceptsDrops = false;
    uint32_t ExStyle = 0;
    std::optional<TRegion> Region;  // none: unshaped
    int32_t LayeredUpdates = 0;
    TBitmap Layered;                // the picture of the last layered update
    int32_t Invalidations = 0;
    int32_t MoveLoops = 0;
    intptr_t MoveLoopLParam = 0;  // the last move loop's
    std::optional<TPoint> MoveGrip;  // while a move loop runs: the pointer's place in the window
    std::vector<intptr_t> ResizeLoops;  // the hit test each sizing loop began with
    std::vector<std::pair<HWND, uint32_t>> ZOrderCalls;  // insert-after and flags of each SetWindowPos
    TCursor Cursor = TCursor::crDefault;
  };

  TCapabilities Capabilities() override { return Caps; }
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
  AnsiString LastErrorText() override { return "refused by the test"; }
  void DragAcceptFiles(HWND window, bool accept) override;
  uint32_t DragQueryFile(uintptr_t drop, uint32_t index, char* buffer, uint32_t size) override {
    return QueryDropFiles(drop, index, buffer, size);
  }
  void StartMoveLoop(HWND window, intptr_t lParam) override;
  void StartResizeLoop(HWND window, intptr_t hitTest) override { Of(window).ResizeLoops.push_back(hitTest); }
  std::vector<TRect> MonitorWorkAreas() override { return WorkAreas; }
  TPoint PrimaryScreenSize() override { return ScreenSize; }
  AnsiString ScreenName(HWND /*window*/) override { return WindowsScreen; }
  std::optional<TPoint> ScreenOrigin(const AnsiString& name) override {
    const auto it = ScreenOrigins.find(name);
    return it == ScreenOrigins.end() ? std::nullopt : std::optional<TPoint>(it->second);
  }
  std::vector<TTopWindow> TopLevelWindows() override;
  TPoint CursorPos() override { return Cursor; }
  TShortCut ShiftState() override { return Modifiers; }
  int32_t TrackPopupMenu(HWND window, const TPopupMenu& menu, TPoint at) override;
  void MessageBox(const AnsiString& text, const AnsiString& caption) override;
  int32_t SetTimer(uint32_t interval, std::function<void()> onTimer) override;
  void KillTimer(int32_t id) override;
  void SetCursor(HWND window, TCursor cursor) override { Of(window).Cursor = cursor; }
  int Run() override { return ExitCode.value_or(0); }
  // Runs WhileModal, which must end the modal state: a test never hangs here.
  void RunModal(HWND window, const std::function<bool()>& done) override;
  void Quit(int exitCode) override { ExitCode = exitCode; }

  // Test side.
  Window& Of(HWND window) { return FWindows.at(window); }
  // Fires every running timer once, in the order they were set.
  void FireTimers();
  bool TimerRunning() const { return !FTimers.empty(); }
  // Pointer input at a screen point, as a desktop delivers it: a right button's
  // release asks for the menu; while a move loop runs, the window follows the
  // pointer and the left button's release ends the loop (the form sees neither).
  void Pointer(HWND window, TPointerAction action, TPoint screen, TPointerKeys keys);
  // A drop of files on the window, as WM_DROPFILES.
  void Drop(HWND window, const std::vector<AnsiString>& names);
  // The system can do something else now: every window hears of it.
  void ChangeCapabilities(const TCapabilities& caps);

  // A desktop that can do everything but per-pixel alpha, until a test says otherwise.
  TCapabilities Caps{false, TPlacement::Anywhere, true, true, true, true, false};
  std::vector<TRect> WorkAreas{TRect{0, 0, 1920, 1040}};
  TPoint ScreenSize{1920, 1080};
  // Windows belong to no screen, until a test names one and its corner.
  AnsiString WindowsScreen;
  std::map<AnsiString, TPoint> ScreenOrigins;
  std::vector<TTopWindow> Others;  // other windows, from the top
  TPoint Cursor;
  TShortCut Modifiers = 0;
  int32_t MenuChoice = -1;             // what the next popup menu returns
  std::vector<AnsiString> MenuShown;   // captions of the last menu, "*" before checked ones
  std::vector<std::pair<AnsiString, AnsiString>> Messages;  // text, caption
  bool RefuseLayers = false;
  // What the user does while a window is modal; the window is the one given.
  std::function<void(HWND)> WhileModal;
  std::optional<HWND> ModalWindow;  // the modal window while the loop runs
  std::optional<int> ExitCode;

 private:
  std::map<HWND, Window> FWindows;
  HWND FNext = 0x100;
  TPoint FPress;  // where the left button last went down
  std::map<int32_t, std::function<void()>> FTimers;
  int32_t FNextTimer = 1;
};
