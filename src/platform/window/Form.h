#pragma once
// A top-level form with a replaceable window procedure: messages from the window
// system go to WindowProc, which components may replace and chain, and end in
// the form's own handling (WndProc).
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/text/AnsiString.h"
#include "platform/Types.h"
#include "platform/window/Messages.h"
#include "platform/window/WindowSystem.h"

class TPopupMenu;

using TNotifyEvent = std::function<void(void* sender)>;

// A child control: only its bounds matter to the forms' drag rules.
struct TControl {
  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

class TForm {
 public:
  TForm(TWindowSystem& system, AnsiString className);
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  TWindowSystem& WindowSystem() const { return FSystem; }
  const AnsiString& ClassName() const { return FClassName; }
  // The native window, created on first use.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != 0; }

  TWndMethod WindowProc;
  // Through WindowProc, as the window system would deliver it.
  intptr_t Perform(uint32_t msg, uintptr_t wParam = 0, intptr_t lParam = 0);
  void Dispatch(TMessage& message) { WindowProc(message); }

  int32_t Left() const { return FBounds.Left; }
  int32_t Top() const { return FBounds.Top; }
  int32_t Width() const { return FBounds.Right - FBounds.Left; }
  int32_t Height() const { return FBounds.Bottom - FBounds.Top; }
  TRect BoundsRect() const { return FBounds; }
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  void SetLeft(int32_t left) { SetBounds(left, Top(), Width(), Height()); }
  void SetTop(int32_t top) { SetBounds(Left(), top, Width(), Height()); }
  // The window system moved or sized the window: the form follows with WM_MOVE and WM_SIZE.
  void BoundsChangedBySystem(const TRect& bounds);

  bool Visible() const { return FVisible; }
  // CM_SHOWINGCHANGED, then OnShow, then the window appears.
  void Show();
  // Ends the program when this is the main form.
  void Close();
  // A left press, as the window system delivers it: on an edge the form's hit
  // test answers for, the sizing loop starts; elsewhere WM_LBUTTONDOWN.
  void LeftButtonDown(TPoint client, TPoint screen, uintptr_t keys);
  bool Closing() const { return FClosing; }
  void Invalidate();

  std::vector<TControl*>& Controls() { return FControls; }
  TPopupMenu* PopupMenu = nullptr;
  Color32 Color = 0x00FFFFFF;
  bool MainForm = false;
  bool Borderless = true;  // the system's forms have no frame of the window manager's

  TNotifyEvent OnShow;
  TNotifyEvent OnDestroy;

 protected:
  // The form's own handling, the end of every chain.
  virtual void WndProc(TMessage& message);
  // Runs OnDestroy once, with the form as sender.
  void DoDestroy();

 private:
  void ShowPopupMenu(intptr_t lParam);
  bool HandleShortCut(uintptr_t key);

  TWindowSystem& FSystem;
  AnsiString FClassName;
  HWND FHandle = 0;
  TRect FBounds;
  bool FVisible = false;
  bool FClosing = false;
  bool FDestroyed = false;
  std::vector<TControl*> FControls;
};
