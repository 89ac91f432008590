#pragma once
// What the form behaviour components have in common: their place at the head of
// the form's window procedure, their release (store, then unhook, also when
// storing fails), and the rectangle a maximised form comes back to.
#include "platform/window/Form.h"

class TFormComponent {
 public:
  TFormComponent(const TFormComponent&) = delete;
  TFormComponent& operator=(const TFormComponent&) = delete;

 protected:
  explicit TFormComponent(TForm& owner) : FForm(&owner) {}
  virtual ~TFormComponent() = default;

  // Installs WindowProcHook in front of the form's window procedure, or takes it out.
  void HookForm(bool install);
  virtual void WindowProcHook(TMessage& message) = 0;
  // The rest of the chain, after this component.
  void PassOn(TMessage& message) { FSavedWindowProc(message); }
  // Once: save, then unhook; what save throws is thrown after the unhooking.
  template <typename Save>
  void ReleaseOnce(Save save) {
    if (FReleased) return;
    FReleased = true;
    try {
      save();
    } catch (...) {
      HookForm(false);
      throw;
    }
    HookForm(false);
  }
  // WM_SIZE: a restored form's window rectangle is kept for when it is maximised.
  void TrackSize(const TMessage& message);
  void KeepRestoreRect();
  // The form's bounds to store: its restored rectangle while maximised.
  TRect PlaceToSave() const;

  TForm* FForm;
  HWND FHandle = 0;

 private:
  TWndMethod FSavedWindowProc;
  bool FReleased = false;
  bool FMaximized = false;
  TRect FRestoreRect;
};
