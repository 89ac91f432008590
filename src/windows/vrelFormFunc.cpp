#include "windows/vrelFormFunc.h"

#include "app/ProgramObjects.h"
#include "app/vrelGlobal.h"
#include "platform/graphics/Region.h"
#include "forms/KeepOnScreen.h"

TvrelFormFunc::TvrelFormFunc(TForm& owner) : TFormComponent(owner) {
  HookForm(true);
  SetWindowPosition(TwindowPosition::wpNone);
}

TvrelFormFunc::~TvrelFormFunc() {
  try {
    Release();
  } catch (...) {
    HookForm(false);
  }
}

void TvrelFormFunc::SetDragDrop(bool value) {
  FDragDrop = value;
  if (FHandle != 0) FForm->WindowSystem().DragAcceptFiles(FHandle, value);
}

void TvrelFormFunc::SetWindowRound(bool value) {
  FWindowRound = value;
  if (!FForm->Borderless || FHandle == 0) return;
  if (value) {
    BuildRoundOutline();
  } else {
    FForm->WindowSystem().SetWindowRgn(FHandle, nullptr);
  }
}

// Each corner cut in a four-pixel staircase.
void TvrelFormFunc::BuildRoundOutline() {
  const int32_t w = FForm->Width(), h = FForm->Height();
  auto outline = std::make_unique<TRegion>(TRect{0, 4, w, h - 4});
  for (const TRect& r : {TRect{4, 0, w - 4, h}, TRect{2, 1, w - 2, h - 1}, TRect{1, 2, w - 1, h - 2}}) {
    outline->Union(TRegion(r));
  }
  FForm->WindowSystem().SetWindowRgn(FHandle, std::move(outline));
}

void TvrelFormFunc::SetWindowPosition(TwindowPosition value) {
  FWindowPosition = value;
  if (value == TwindowPosition::wpNone || FHandle == 0) return;
  const HWND after = value == TwindowPosition::wpNormal ? HWND_NOTOPMOST
                     : value == TwindowPosition::wpTop  ? HWND_TOPMOST
                                                        : HWND_BOTTOM;
  const uint32_t flags = value == TwindowPosition::wpBottom ? SWP_NOSIZE | SWP_NOMOVE : SWP_SHOWWINDOW;
  FForm->WindowSystem().SetWindowPos(FHandle, after, FForm->BoundsRect(), flags);
}

void TvrelFormFunc::WindowProcHook(TMessage& message) {
  TWindowSystem& system = FForm->WindowSystem();
  switch (message.Msg) {
    case WM_MOVE:
      KeepRestoreRect();
      break;
    case WM_SIZE:
      if (FWindowRound && message.WParam != SIZE_MINIMIZED) BuildRoundOutline();
      TrackSize(message);
      break;
    case WM_QUERYENDSESSION:
      message.Result = 1;
      break;
    case WM_ERASEBKGND:
      if (!EraseBackGround) message.Result = 1;
      if (OnEraseBackGround) OnEraseBackGround(this);
      if (message.Result == 1) return;
      break;
    case WM_ENDSESSION:
      EndSession(message);
      break;
    case WM_NCHITTEST:
      if (WindowResize) HitTest(message);
      if (message.Result != 0) return;
      break;
    case WM_MOUSEMOVE:
      if (WindowDrag && FMouseDown && message.WParam == MK_LBUTTON) {
        if (DragMoveWanted(*FForm, message, OnCanDragMove, this)) {
          system.StartMoveLoop(FHandle, message.LParam);
        } else {
          FMouseDown = false;
        }
      }
      break;
    case WM_LBUTTONDOWN:
      FMouseDown = true;
      break;
    case WM_EXITSIZEMOVE:
      if (OnWindowMoved) OnWindowMoved(this);
      SnapToWorkArea();
      break;
    case WM_DROPFILES:
      DropFiles(message);
      break;
    case WM_USER + 100:
      if (OnColorReset) OnColorReset(this);
      break;
    case CM_SHOWINGCHANGED:
      if (!FPositionRestored) RestoreLocation();
      break;
    default:
      break;
  }
  PassOn(message);
}

// The screen point read as two unsigned 16-bit numbers, as the system packs it:
// on a monitor left of or above the primary one the right and bottom bands answer.
void TvrelFormFunc::HitTest(TMessage& message) const {
  const auto lp = static_cast<uint32_t>(message.LParam);
  const int64_t x = lp & 0xFFFF, y = lp >> 16;
  const int64_t left = FForm->Left(), top = FForm->Top(), width = FForm->Width(), height = FForm->Height();
  int sum = y > top + height - 5 ? 2 : y < top + 5 ? 1 : 0;
  if (x > left + width - 5) {
    sum += 20;
  } else if (x < left + 5) {
    sum += 10;
  }
  switch (sum) {
    case 1: message.Result = HTTOP; break;
    case 2: message.Result = HTBOTTOM; break;
    case 10: message.Result = HTLEFT; break;
    case 11: message.Result = HTTOPLEFT; break;
    case 12: message.Result = HTBOTTOMLEFT; break;
    case 20: message.Result = HTRIGHT; break;
    case 21: message.Result = HTTOPRIGHT; break;
    case 22: message.Result = HTBOTTOMRIGHT; break;
    default: break;
  }
}

// Against the work area of the form's monitor only; top and left each their own move.
void TvrelFormFunc::SnapToWorkArea() {
  if (FitScreenPx == 0) return;
  const TRect w = WorkAreaOf(FForm->WindowSystem(), FForm->BoundsRect());
  const int64_t F = FitScreenPx, top = FForm->Top(), bottom = top + FForm->Height();
  if (w.Top - F < top && top < w.Top + F) {
    FForm->SetTop(w.Top);
  } else if (w.Bottom - F < bottom && bottom < w.Bottom + F) {
    FForm->SetTop(w.Bottom - FForm->Height());
  }
  const int64_t left = FForm->Left(), right = left + FForm->Width();
  if (w.Left - F < left && left < w.Left + F) {
    FForm->SetLeft(w.Left);
  } else if (w.Right - F < right && right < w.Right + F) {
    FForm->SetLeft(w.Right - FForm->Width());
  }
}

void TvrelFormFunc::DropFiles(TMessage& message) {
  FDropNames.clear();
  if (!FDragDrop) return;
  for (const AnsiString& name : DroppedFileNames(FForm->WindowSystem(), message.WParam)) {
    if (OnDropFile) OnDropFile(this, name);
    if (DropNamesEnabled) FDropNames.push_back(name);
  }
  if (OnDropFinish) OnDropFinish(this);
  message.Result = 0;
}

void TvrelFormFunc::EndSession(const TMessage& message) {
  if (message.WParam == 0) return;
  if (OnEndSession) OnEndSession(this);
  SaveLocation();
  if (FForm->OnDestroy) FForm->OnDestroy(this);
}

void TvrelFormFunc::RestoreLocation() {
  FPositionRestored = true;
  if (!Preserve) return;
  const AnsiString section = AnsiUpperCase(FForm->ClassName());
  TvrelGlobal& globals = Globals();
  if (KeepLocation) {
    const TPoint screen = FForm->WindowSystem().PrimaryScreenSize();
    FForm->SetLeft(globals.IniReadInteger(section, "LEFT", (screen.x - FForm->Width()) / 2));
    FForm->SetTop(globals.IniReadInteger(section, "TOP", (screen.y - FForm->Height()) / 2));
  }
  if (KeepSize) {
    FForm->SetBounds(FForm->Left(), FForm->Top(), globals.IniReadInteger(section, "WIDTH", FForm->Width()), FForm->Height());
    FForm->SetBounds(FForm->Left(), FForm->Top(), FForm->Width(), globals.IniReadInteger(section, "HEIGHT", FForm->Height()));
  }
  FDockSiteName = globals.IniReadString(section, "DOCKSITE", "");
  KeepOnScreen(*FForm);
}

void TvrelFormFunc::SaveLocation() {
  if (!Preserve) return;
  const AnsiString section = AnsiUpperCase(FForm->ClassName());
  FDockSiteName.clear();  // no docking here: the form always floats
  const TRect place = PlaceToSave();
  TvrelGlobal& globals = Globals();
  if (KeepLocation) {
    globals.IniWriteInteger(section, "TOP", place.Top);
    globals.IniWriteInteger(section, "LEFT", place.Left);
  }
  if (KeepSize) {
    globals.IniWriteInteger(section, "WIDTH", place.Right - place.Left);
    globals.IniWriteInteger(section, "HEIGHT", place.Bottom - place.Top);
  }
  globals.IniWriteString(section, "DOCKSITE", FDockSiteName);
}
