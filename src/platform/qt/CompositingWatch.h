#pragma once
// What the window system can do hangs on two other programs: a compositing
// manager (the owner of _NET_WM_CM_S<screen>) and a window manager (the owner of
// WM_S<screen>, and what it publishes in _NET_SUPPORTED). Both are watched, with
// XFixes selection notifications and the root window's property changes, so a
// manager that starts, stops or dies while the program runs is noticed at once.
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <functional>

class TCompositingWatch : public QAbstractNativeEventFilter {
 public:
  enum class TChange {
    SameCompositing,  // a new compositing manager took over from another
    Compositing,      // compositing came or went
    Manager,          // a window manager came, went or changed what it offers
  };
  TCompositingWatch(xcb_connection_t* connection, std::function<void(TChange)> onChange);
  ~TCompositingWatch() override;
  bool Composited() const { return FComposited; }
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  bool OwnerExists();

  xcb_connection_t* FConnection;
  std::function<void(TChange)> FOnChange;
  xcb_window_t FRoot = XCB_NONE;
  xcb_atom_t FSelection = XCB_ATOM_NONE;
  xcb_atom_t FManagerSelection = XCB_ATOM_NONE;
  xcb_atom_t FSupported = XCB_ATOM_NONE;
  uint8_t FEventBase = 0;
  bool FComposited = false;
};
