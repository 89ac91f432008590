#pragma once
// A form's window as a layer surface: on the top layer, anchored to the top and
// left edges of its output with the form's place as margins and no exclusive
// zone, so that it hangs below the bars that reserve space and is on every
// workspace. The system's move loop moves the margins while the left button is
// held. The keyboard comes once the window was clicked (before version 4 of the
// layer shell, as AskKeyboard says).
#include <utility>
#include <vector>

#include "platform/wayland/SurfaceWindow.h"

struct zwlr_layer_surface_v1;

class TLayerWindow : public TSurfaceWindow {
 public:
  TLayerWindow(TForm& form, TWaylandDisplay& display, TWaylandSeat& seat) : TSurfaceWindow(form, display, seat) {}
  ~TLayerWindow() override;

  void Place(const TRect& bounds) override;
  void StartMoveLoop() override;
  xdg_surface* PopupParent() const override { return nullptr; }
  void AdoptPopup(xdg_popup* popup) override;
  void PointerButton(uint32_t button, bool pressed, uint32_t serial) override;
  void PointerLeft() override;
  void KeyboardLeft() override { AskKeyboard(false); }
  void PointerMoved(double dx, double dy) override;
  // A window that refuses input (another is modal) does not keep the keyboard from it.
  void SetEnabled(bool enabled) override;

 protected:
  void CreateRole() override;
  void DestroyRole() override;
  void MovedInLoop(TPoint local) override;

 private:
  // The compositor took the surface away: its output went, or the user closed
  // it with the compositor's own binding (KWin's Alt+F4).
  void Closed();
  void SendPlace();
  void MoveTo(TPoint at);
  // Whether the layer shell gives the keyboard on demand (version 4 on).
  bool KeyboardOnDemand() const;
  // Without it, keyboard interactivity is a yes or no: a yes at the start would
  // take the keyboard from the user's window (KWin activates a layer surface
  // that takes keys when it appears) and, where a yes means exclusive, keep it.
  // So it is asked for with a click on the window and given up when the pointer
  // or the keyboard leaves it: Alt+F4 and the menu's keys work after a click,
  // and a click elsewhere takes the keyboard back.
  void AskKeyboard(bool wanted);
  void SendKeyboardInteractivity();
  TPoint OutputOrigin() const;

  zwlr_layer_surface_v1* FLayer = nullptr;
  wl_callback* FClosedSync = nullptr;
  bool FKeyboardAsked = false;
  // Places sent, each applied once the sync that followed it is answered.
  std::vector<std::pair<wl_callback*, TPoint>> FPlacesSent;
  double FMoveX = 0, FMoveY = 0;  // the window's place during the move loop
};
