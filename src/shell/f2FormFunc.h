#pragma once
// Form behaviour components: attached to a form by replacing its window
// procedure, they keep its position across runs, take dropped files, snap it to
// edges after a move and store its state when the logon ends. Tf2LayerFunc also
// shows a 32-bit picture as the window's per-pixel-alpha image (or, where that
// does not work, as a shaped window) and drags the window by any point of it.
#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/window/Form.h"
#include "forms/FormComponent.h"
#include "forms/FormDragDrop.h"
#include "forms/KeepOnScreen.h"

class Tf2FormFunc : public TFormComponent {
 public:
  explicit Tf2FormFunc(TForm& owner);
  // Release, when the owner has not; a refused settings write is lost here.
  ~Tf2FormFunc() override;
  // What destruction does: SaveLocation (unless the logon's end stored it
  // already) and the hook removed. Throws what the settings store throws.
  virtual void Release();

  bool KeepSize = false;
  bool KeepLocation = false;
  bool DragDrop() const { return FDragDrop; }
  void SetDragDrop(bool value);
  int32_t FitPix = 0;
  AnsiString DockSiteName;
  TNotifyEvent OnDropFinish;
  TNotifyFilenameEvent OnDropFile;
  TNotifyEvent OnDrawInfoReset;
  TNotifyEvent OnExitSizeMove;
  TNotifyEvent OnEndSession;

  const std::vector<AnsiString>& DropNames() const { return FDropNames; }
  void RestoreLocation();
  void SaveLocation();

 protected:
  void WindowProcHook(TMessage& message) override;
  AnsiString Section() const;
  bool CanPlace() const;

 private:
  void SnapToEdges();
  void DropFiles(TMessage& message);
  void EndSession(const TMessage& message);

  bool FDragDrop = false;
  bool FSessionEnded = false;
  bool FPositionRestored = false;
  std::vector<AnsiString> FDropNames;
};

class Tf2LayerFunc : public Tf2FormFunc {
 public:
  explicit Tf2LayerFunc(TForm& owner);
  void Release() override;

  bool EraseEnabled = true;
  bool LayerEnabled() const { return FLayerEnabled; }
  // Stays false where per-pixel alpha does not work (system major version 4 or lower).
  void SetLayerEnabled(bool value);
  bool LayerMode = false;
  bool LayerExists = false;
  bool ClipAutoSize = false;
  bool WindowDrag = true;
  TCanDragMove OnCanDragMove;

  // At the form's current position.
  void Present(TBitmap& bitmap);
  void PresentAt(int32_t x, int32_t y, TBitmap& bitmap);
  // The same for a bitmap that differs from the one presented before only inside
  // `changed`: nothing outside it is read again.
  void Present(TBitmap& bitmap, const TRect& changed);
  void PresentAt(int32_t x, int32_t y, TBitmap& bitmap, TRect changed);
  // The picture as last presented (premultiplied when layered); none before the first.
  const TBitmap* Picture() const { return FBitmap.get(); }

 protected:
  void WindowProcHook(TMessage& message) override;

 private:
  void UpdateLayer(int32_t x, int32_t y, const TRect& changed);
  void EraseBackground(TMessage& message);
  void StartDragMove(const TMessage& message);

  std::unique_ptr<TBitmap> FBitmap;
  uint8_t FBitmapMode = 0;  // how FBitmap was made from the caller's; 0: not yet
  TRect FUnshown;           // changes the window system has not taken yet
  bool FLayerEnabled = false;
  bool FMouseDown = false;
};
