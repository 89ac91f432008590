#include "shell/f2FormFunc.h"

#include "app/ProgramObjects.h"
#include "app/vrelGlobal.h"

#include <algorithm>
#include <limits>

namespace {
int64_t Width(const TRect& r) { return int64_t{r.Right} - r.Left; }
int32_t Saturated(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
}  // namespace

Tf2FormFunc::Tf2FormFunc(TForm& owner) : TFormComponent(owner) {
  HookForm(true);
  SetDragDrop(false);
}

Tf2FormFunc::~Tf2FormFunc() {
  try {
    Release();
  } catch (...) {
    HookForm(false);
  }
}

void Tf2FormFunc::Release() {
  ReleaseOnce([this] {
    if (!FSessionEnded) SaveLocation();
  });
}

void Tf2FormFunc::SetDragDrop(bool value) {
  FDragDrop = value;
  if (FHandle != 0) FForm->WindowSystem().DragAcceptFiles(FHandle, value);
}

// Where the system places windows itself, a stored place means nothing: the
// one from a system that could is kept for the next run there.
bool Tf2FormFunc::CanPlace() const { return FForm->WindowSystem().Capabilities().Placement != TPlacement::Nowhere; }

AnsiString Tf2FormFunc::Section() const { return AnsiUpperCase(FForm->ClassName()); }

void Tf2FormFunc::WindowProcHook(TMessage& message) {
  switch (message.Msg) {
    case WM_SIZE:
      TrackSize(message);
      break;
    case WM_QUERYENDSESSION:
      message.Result = 1;
      break;
    case WM_ENDSESSION:
      EndSession(message);
      break;
    case WM_EXITSIZEMOVE:
      SnapToEdges();
      break;
    case WM_DROPFILES:
      DropFiles(message);
      break;
    case WM_USER + 100:
      if (OnDrawInfoReset) OnDrawInfoReset(this);
      break;
    case CM_SHOWINGCHANGED:
      if (!FPositionRestored) RestoreLocation();
      break;
    default:
      break;
  }
  PassOn(message);
}

void Tf2FormFunc::RestoreLocation() {
  FPositionRestored = true;
  const AnsiString section = Section();
  TvrelGlobal& globals = Globals();
  TWindowSystem& system = FForm->WindowSystem();
  const AnsiString site = globals.IniReadString(section, "DOCKSITE", "");
  int32_t left = FForm->Left(), top = FForm->Top(), width = FForm->Width(), height = FForm->Height();
  if (KeepLocation && CanPlace()) {
    const TPoint screen = system.PrimaryScreenSize();
    // Kept on a screen that is there: relative to it; else a screen position.
    const TPoint origin = site.empty() ? TPoint{} : system.ScreenOrigin(site).value_or(TPoint{});
    left = Saturated(int64_t{origin.x} + globals.IniReadInteger(section, "LEFT", (screen.x - width) / 2));
    top = Saturated(int64_t{origin.y} + globals.IniReadInteger(section, "TOP", (screen.y - height) / 2));
  }
  if (KeepSize) {
    width = globals.IniReadInteger(section, "WIDTH", width);
    height = globals.IniReadInteger(section, "HEIGHT", height);
  }
  if (left != FForm->Left() || top != FForm->Top() || width != FForm->Width() || height != FForm->Height()) {
    FForm->SetBounds(left, top, width, height);
  }
  KeepOnScreen(*FForm);
  DockSiteName = site;
}

void Tf2FormFunc::SaveLocation() {
  const AnsiString section = Section();
  TWindowSystem& system = FForm->WindowSystem();
  // The host a window is docked into: the screen it belongs to, where the
  // system binds windows to one; elsewhere the form always floats.
  DockSiteName = FHandle != 0 ? system.ScreenName(FHandle) : AnsiString();
  const TPoint origin = DockSiteName.empty() ? TPoint{} : system.ScreenOrigin(DockSiteName).value_or(TPoint{});
  const TRect place = PlaceToSave();
  TvrelGlobal& globals = Globals();
  if (KeepLocation && CanPlace()) {
    globals.IniWriteInteger(section, "TOP", Saturated(int64_t{place.Top} - origin.y));
    globals.IniWriteInteger(section, "LEFT", Saturated(int64_t{place.Left} - origin.x));
    globals.IniWriteString(section, "DOCKSITE", DockSiteName);
  }
  if (KeepSize) {
    globals.IniWriteInteger(section, "WIDTH", place.Right - place.Left);
    globals.IniWriteInteger(section, "HEIGHT", place.Bottom - place.Top);
  }
}

void Tf2FormFunc::SnapToEdges() {
  if (OnExitSizeMove) OnExitSizeMove(this);
  if (FitPix == 0) return;
  TWindowSystem& system = FForm->WindowSystem();
  // 64 bits: stored positions may lie anywhere in the 32-bit range.
  int64_t L = FForm->Left(), T = FForm->Top();
  const int64_t R = L + FForm->Width(), B = T + FForm->Height();
  const int64_t F = FitPix, width = FForm->Width(), height = FForm->Height();
  const TRect w = WorkAreaOf(system, FForm->BoundsRect());
  if (w.Top - F < T && T < w.Top + F) {
    T = w.Top;
  } else if (w.Bottom - F < B && B < w.Bottom + F) {
    T = w.Bottom - height;
  }
  if (w.Left - F < L && L < w.Left + F) {
    L = w.Left;
  } else if (w.Right - F < R && R < w.Right + F) {
    L = w.Right - width;
  }
  bool movedX = L != FForm->Left();
  bool movedY = T != FForm->Top();
  if (!(movedX && movedY)) {
    for (const TTopWindow& q : system.TopLevelWindows()) {
      if (q.Handle == FHandle || !q.Visible) continue;
      const TRect& r = q.Bounds;
      if (!movedX && T < r.Bottom && r.Top < B && Width(r) > 0) {
        if (r.Right - F < L && L < r.Right + F) {
          L = r.Right;
          movedX = true;
        }
        if (r.Left - F < R && R < r.Left + F) {
          L = r.Left - width;
          movedX = true;
        }
      }
      if (!movedY && L < r.Right && r.Left < R) {
        if (r.Bottom - F < T && T < r.Bottom + F) {
          T = r.Bottom;
          movedY = true;
        }
        if (r.Top - F < B && B < r.Top + F) {
          T = r.Top - height;
          movedY = true;
        }
      }
      if (movedX && movedY) break;
    }
  }
  if (movedX || movedY) {
    FForm->SetBounds(static_cast<int32_t>(L), static_cast<int32_t>(T), FForm->Width(), FForm->Height());
  }
}

void Tf2FormFunc::DropFiles(TMessage& message) {
  FDropNames.clear();
  if (!FDragDrop) return;
  for (const AnsiString& name : DroppedFileNames(FForm->WindowSystem(), message.WParam)) {
    if (OnDropFile) OnDropFile(this, name);
    FDropNames.push_back(name);
  }
  if (OnDropFinish) OnDropFinish(this);
  message.Result = 0;
}

void Tf2FormFunc::EndSession(const TMessage& message) {
  if (message.WParam == 0) return;
  if (OnEndSession) OnEndSession(this);
  SaveLocation();
  FSessionEnded = true;
  if (FForm->OnDestroy) FForm->OnDestroy(this);
}
