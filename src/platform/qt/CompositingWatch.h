#pragma once
// Whether a compositing manager runs: the owner of _NET_WM_CM_S<screen>,
// watched with XFixes selection notifications so a manager that starts or stops
// while the program runs is noticed at once.
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <functional>

class TCompositingWatch : public QAbstractNativeEventFilter {
 public:
  // onChange hears of every new owner of the selection, or of its loss, and
  // whether that turned compositing on or off.
  TCompositingWatch(xcb_connection_t* connection, std::function<void(bool flipped)> onChange);
  ~TCompositingWatch() override;
  bool Composited() const { return FComposited; }
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  bool OwnerExists();

  xcb_connection_t* FConnection;
  std::function<void(bool flipped)> FOnChange;
  xcb_atom_t FSelection = XCB_ATOM_NONE;
  uint8_t FEventBase = 0;
  bool FComposited = false;
};
