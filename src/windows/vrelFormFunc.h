#pragma once
// The behaviour component of the secondary windows: position keeping under one
// master switch, dragging by any point, file drops, a rounded outline, resizing
// by the window's edges, a fixed place in the Z order and snapping to the work
// area's edges after a move. It has no layered presentation.
#include <vector>

#include "platform/window/Form.h"
#include "forms/FormComponent.h"
#include "forms/FormDragDrop.h"

enum class TwindowPosition { wpNormal, wpTop, wpBottom, wpNone };

class TvrelFormFunc : public TFormComponent {
 public:
  explicit TvrelFormFunc(TForm& owner);
  // Release, when the owner has not; a refused settings write is lost here.
  ~TvrelFormFunc() override;
  // What destruction does: SaveLocation, then the hook removed. Throws what the settings store throws.
  void Release() { ReleaseOnce([this] { SaveLocation(); }); }

  bool Preserve = false;  // without it nothing is saved or restored
  bool EraseBackGround = false;
  bool KeepSize = false;
  bool KeepLocation = false;
  bool DragDrop() const { return FDragDrop; }
  void SetDragDrop(bool value);
  bool DropNamesEnabled = false;
  bool WindowDrag = false;
  bool WindowResize = false;
  bool WindowRound() const { return FWindowRound; }
  void SetWindowRound(bool value);
  TwindowPosition WindowPosition() const { return FWindowPosition; }
  void SetWindowPosition(TwindowPosition value);
  int32_t FitScreenPx = 0;
  TNotifyEvent OnDropFinish;
  TNotifyFilenameEvent OnDropFile;
  TNotifyEvent OnWindowMoved;
  TNotifyEvent OnColorReset;
  TNotifyEvent OnEraseBackGround;
  TCanDragMove OnCanDragMove;
  TNotifyEvent OnEndSession;

  const std::vector<AnsiString>& DropNames() const { return FDropNames; }
  void RestoreLocation();
  void SaveLocation();

 private:
  void WindowProcHook(TMessage& message) override;
  void BuildRoundOutline();
  void HitTest(TMessage& message) const;
  void SnapToWorkArea();
  void DropFiles(TMessage& message);
  void EndSession(const TMessage& message);

  bool FDragDrop = false;
  bool FWindowRound = false;
  TwindowPosition FWindowPosition = TwindowPosition::wpNone;
  bool FPositionRestored = false;
  bool FMouseDown = true;  // a drag is possible before the first press is seen
  AnsiString FDockSiteName;
  std::vector<AnsiString> FDropNames;
};
