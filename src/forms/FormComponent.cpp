#include "forms/FormComponent.h"

void TFormComponent::HookForm(bool install) {
  if (FHandle != 0) {
    FForm->WindowProc = FSavedWindowProc;
    FHandle = 0;
  }
  if (install) {
    FHandle = FForm->Handle();
    FSavedWindowProc = FForm->WindowProc;
    FForm->WindowProc = [this](TMessage& m) { WindowProcHook(m); };
  }
}

void TFormComponent::KeepRestoreRect() {
  if (!FForm->WindowSystem().IsZoomed(FHandle)) FRestoreRect = FForm->WindowSystem().GetWindowRect(FHandle);
}

void TFormComponent::TrackSize(const TMessage& message) {
  if (message.WParam == SIZE_RESTORED) {
    KeepRestoreRect();
    FMaximized = false;
  } else if (message.WParam == SIZE_MAXIMIZED) {
    FMaximized = true;
  }
}

TRect TFormComponent::PlaceToSave() const { return FMaximized ? FRestoreRect : FForm->BoundsRect(); }
