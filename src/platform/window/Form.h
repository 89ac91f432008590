#pragma once
// A top-level form with a replaceable window procedure: messages from the window
// system go to WindowProc, which components may replace and chain, and end in
// the form's own handling (WndProc).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/Canvas.h"
#include "platform/text/AnsiString.h"
#include "platform/window/Controls.h"
#include "platform/Types.h"
#include "platform/window/Messages.h"
#include "platform/window/WindowSystem.h"

class TPopupMenu;

constexpr int32_t mrNone = 0;
constexpr int32_t mrOk = 1;
constexpr int32_t mrCancel = 2;

enum class TPosition { poDesigned, poScreenCenter };

class TForm {
 public:
  // The caption is the window's title, fixed when the form is made.
  TForm(TWindowSystem& system, AnsiString className, AnsiString caption = "");
  virtual ~TForm();
  TForm(const TForm&) = delete;
  TForm& operator=(const TForm&) = delete;

  TWindowSystem& WindowSystem() const { return FSystem; }
  const AnsiString& ClassName() const { return FClassName; }
  const AnsiString& Caption() const { return FCaption; }
  // The native window, created on first use.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != 0; }

  TWndMethod WindowProc;
  // Through WindowProc. Backends never call it: they call the entry points below.
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

  bool Visible() const { return FVisible; }
  // Placed by Position, CM_SHOWINGCHANGED, then OnShow, then the window appears.
  void Show();
  // Shown with every other window refusing input until the form is closed
  // (ModalResult set); then hidden. Returns ModalResult.
  int32_t ShowModal();
  // Ends the program when this is the main form; a modal form's ModalResult becomes mrCancel.
  void Close();
  bool Closing() const { return FClosing; }
  void Invalidate();
  int32_t ModalResult = mrNone;

  // What a backend delivers: the inbound half of the window-system contract,
  // described in WindowSystem.h. Each runs through the window system's firewall.
  void PointerInput(TPointerAction action, TPoint client, TPoint screen, TPointerKeys keys);
  void PointerLeft();
  // none: asked from the keyboard.
  void ContextMenuRequested(std::optional<TPoint> screen);
  // alt: Alt was held with the key.
  void KeyDown(uint16_t virtualKey, bool alt);
  // The edge or corner the screen point is on (HTLEFT to HTBOTTOMRIGHT), or 0.
  intptr_t HitTest(TPoint screen);
  void Paint(TDeviceContext& dc);
  // drop: the handle the window system's DragQueryFile reads.
  void FilesDropped(uintptr_t drop);
  void BoundsChangedBySystem(const TRect& bounds);
  void MoveLoopEnded();
  void CloseRequested();
  // Whether the form lets the session end; it always does.
  bool QueryEndSession();
  // The session ends (ending) or goes on; an ending one ends the program.
  void EndSession(bool ending);
  // One of the PBT_ codes.
  void PowerEvent(uintptr_t event);
  void CapabilitiesChanged();
  // The private message 0x0464 from another program (WM_USER + 100).
  void ResetRequested();

  const std::vector<TControl*>& Controls() const { return FControls; }
  void InsertControl(TControl& control);
  void RemoveControl(TControl& control);
  // The canvas of the form's picture, valid in OnPaint.
  TCanvas& Canvas() { return FCanvas; }

  TPopupMenu* PopupMenu = nullptr;
  Color32 Color = 0x00FFFFFF;
  TFont Font;
  TPosition Position = TPosition::poDesigned;
  bool MainForm = false;
  bool Borderless = true;  // the system's forms have no frame of the window manager's

  TNotifyEvent OnShow;
  TNotifyEvent OnPaint;
  TNotifyEvent OnDestroy;

 protected:
  // The form's own handling, the end of every chain.
  virtual void WndProc(TMessage& message);
  // Runs OnDestroy once, with the form as sender.
  void DoDestroy();

 private:
  void ShowPopupMenu(intptr_t lParam);
  bool HandleShortCut(uintptr_t key, bool alt);
  bool HandleDialogKey(uintptr_t key);
  void PaintPicture(TDeviceContext* dc);
  void ApplyBounds(const TRect& bounds);
  TControl* GraphicControlAt(TPoint at) const;
  TControl* WindowedControlAt(TPoint at) const;
  // The control under the pointer, told when it comes and goes.
  void Hover(TControl* control);

  TWindowSystem& FSystem;
  AnsiString FClassName;
  AnsiString FCaption;
  HWND FHandle = 0;
  TRect FBounds;
  bool FVisible = false;
  bool FClosing = false;
  bool FDestroyed = false;
  bool FModal = false;
  std::vector<TControl*> FControls;
  TControl* FHover = nullptr;
  TControl* FPressed = nullptr;   // the graphic control the left button went down on
  TControl* FCaptured = nullptr;  // the windowed control holding the mouse since a press
  TBitmap FPicture;               // what painting draws, then shows at once
  TCanvas FCanvas{FPicture};
};
