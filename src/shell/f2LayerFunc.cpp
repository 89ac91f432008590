#include "app/ProgramObjects.h"
#include "app/vrelGlobal.h"
#include "imaging/AlphaTransfer.h"
#include "imaging/FuncGraphicWork.h"
#include "imaging/RegionUtils.h"
#include "shell/f2FormFunc.h"

Tf2LayerFunc::Tf2LayerFunc(TForm& owner) : Tf2FormFunc(owner) {}

void Tf2LayerFunc::Release() {
  FBitmap.reset();
  Tf2FormFunc::Release();
}

void Tf2LayerFunc::SetLayerEnabled(bool value) { FLayerEnabled = value && Globals().OSMajorVersion() > 4; }

void Tf2LayerFunc::WindowProcHook(TMessage& message) {
  switch (message.Msg) {
    case WM_ERASEBKGND:
      EraseBackground(message);
      return;
    case WM_MOUSEMOVE:
      if (WindowDrag && FMouseDown && message.WParam == MK_LBUTTON) StartDragMove(message);
      break;
    case WM_LBUTTONDOWN:
      FMouseDown = true;
      break;
    default:
      break;
  }
  Tf2FormFunc::WindowProcHook(message);
}

void Tf2LayerFunc::Present(TBitmap& bitmap) { PresentAt(FForm->Left(), FForm->Top(), bitmap); }

void Tf2LayerFunc::Present(TBitmap& bitmap, const TRect& changed) { PresentAt(FForm->Left(), FForm->Top(), bitmap, changed); }

void Tf2LayerFunc::PresentAt(int32_t x, int32_t y, TBitmap& bitmap) {
  PresentAt(x, y, bitmap, TRect{0, 0, bitmap.Width(), bitmap.Height()});
}

void Tf2LayerFunc::PresentAt(int32_t x, int32_t y, TBitmap& bitmap, TRect changed) {
  if (!FBitmap) {
    FBitmap = std::make_unique<TBitmap>();
    FBitmap->SetPixelFormat(TPixelFormat::pf32bit);
  }
  const TRect whole{0, 0, bitmap.Width(), bitmap.Height()};
  if (bitmap.PixelFormat() != TPixelFormat::pf32bit) {
    bitmap.SetPixelFormat(TPixelFormat::pf32bit);
    ColorKeyAlpha32(bitmap, 255);
    changed = whole;
  }
  const uint8_t mode = FLayerEnabled ? tmPremultiplied : tmCopy;
  if (ClipAutoSize) {
    const TRect r = GetVisibleBounds(bitmap);
    FBitmap->SetSize(r.Right - r.Left, r.Bottom - r.Top);
    DrawBitmapAt(-r.Left, -r.Top, *FBitmap, mode, bitmap);
    changed = TRect{0, 0, FBitmap->Width(), FBitmap->Height()};
  } else {
    const bool fresh = mode != FBitmapMode || FBitmap->Width() != bitmap.Width() || FBitmap->Height() != bitmap.Height();
    FBitmap->SetSize(bitmap.Width(), bitmap.Height());
    // Narrowed to the pixels that really changed: the window system sends no more.
    changed = DrawBitmapAt(0, 0, *FBitmap, mode, bitmap, fresh ? whole : changed);
    if (fresh) changed = whole;
  }
  FBitmapMode = mode;
  if (changed.Right > changed.Left && changed.Bottom > changed.Top) GrowRectTo(FUnshown, changed);
  if (FLayerEnabled) {
    UpdateLayer(x, y, FUnshown);
    FUnshown = TRect{};
    return;
  }
  TWindowSystem& system = FForm->WindowSystem();
  if (const uint32_t style = system.GetExStyle(FHandle); (style & WS_EX_LAYERED) != 0) {
    // Per-pixel alpha went away while running: back to a plain shaped window.
    system.SetExStyle(FHandle, style & ~WS_EX_LAYERED);
    LayerExists = false;
  }
  system.SetWindowRgn(FHandle, RegionFromBitmap(*FBitmap, 128));
  // Placed without leaving the topmost band: a chime that sank below other
  // windows every frame would no longer stay on top.
  FForm->SetBounds(x, y, FBitmap->Width(), FBitmap->Height());
  FForm->Invalidate();
  FUnshown = TRect{};
}

void Tf2LayerFunc::UpdateLayer(int32_t x, int32_t y, const TRect& changed) {
  TWindowSystem& system = FForm->WindowSystem();
  if (!LayerExists) {
    // Toggled, then set: a window that had the style loses its layered state.
    system.SetExStyle(FHandle, system.GetExStyle(FHandle) ^ WS_EX_LAYERED);
    system.SetExStyle(FHandle, system.GetExStyle(FHandle) | WS_EX_LAYERED);
  }
  if (!system.UpdateLayeredWindow(FHandle, x, y, *FBitmap, changed)) {
    throw Exception(Ansi(u8"LayerdWindowの更新に失敗") + "\r\n" + system.LastErrorText());
  }
  LayerExists = true;
}

void Tf2LayerFunc::EraseBackground(TMessage& message) {
  message.Result = 1;
  if (!EraseEnabled || LayerMode) return;
  auto* dc = reinterpret_cast<TDeviceContext*>(message.WParam);
  if (dc == nullptr) return;
  if (FBitmap) {
    dc->BitBlt(0, 0, *FBitmap);
  } else {
    dc->FillRect(TRect{0, 0, FForm->Width(), FForm->Height()}, FForm->Color);
  }
}

void Tf2LayerFunc::StartDragMove(const TMessage& message) {
  if (DragMoveWanted(*FForm, message, OnCanDragMove, this)) {
    FForm->WindowSystem().StartMoveLoop(FHandle, message.LParam);
  } else {
    FMouseDown = false;
  }
}
