#pragma once
// A form's window as a layer surface: on the top layer, anchored to the top and
// left edges of the output that holds most of it, with the form's place on that
// output as margins and no exclusive zone, so that it hangs below the bars that
// reserve space and is on every workspace. The system's move loop moves the
// margins while the left button is held; the surface stays on its output
// during the move (the compositor shows it there only) and goes to the output
// it was let go over. When its output goes, it goes to the primary one. The keyboard comes once the window was clicked (before version 4 of the
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
  void EndMoveLoop() override;

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
  // The top-left corner of the output the surface was made for, as last known.
  TPoint OutputOrigin();
  // A new surface when the window's place is on another output than its
  // surface (not during a move); whether it made one.
  bool FollowOutput();
  // A new surface once the one taken away with its output can be had again.
  void Reappear();

  zwlr_layer_surface_v1* FLayer = nullptr;
  uint32_t FOn = 0;  // the registry name of the output the surface was made for
  TPoint FOnOrigin;
  wl_callback* FClosedSync = nullptr;
  bool FKeyboardAsked = false;
  // Places sent, each applied once the sync that followed it is answered.
  std::vector<std::pair<wl_callback*, TPoint>> FPlacesSent;
  double FMoveX = 0, FMoveY = 0;  // the window's place during the move loop
};
