#pragma once
// What we ask of and read from the window manager (EWMH): its own interactive
// move, and the space its docks reserve where it publishes no work area.
#include <xcb/xcb.h>

#include <QTimer>
#include <functional>
#include <vector>

#include "platform/qt/WorkArea.h"

// The manager's interactive move of a window, the counterpart of the system
// move loop: managers such as mutter and KWin keep a client's own moves on
// screen, but not theirs. Its end is the left button found up on two polls in a
// row and the pointer no longer held by the manager, so it has placed the window.
// A move the manager began on its own (a drag with a modifier, a pager) ends alike.
class TSystemMove {
 public:
  explicit TSystemMove(xcb_connection_t* connection);
  // The manager moves the window as if the pointer had taken it at `from` (a
  // screen point). False when there is no manager or it lacks the move request.
  bool Start(xcb_window_t window, TPoint from, std::function<void()> ended);
  // Waits for the end of a move the manager is making without being asked.
  void Follow(xcb_window_t window, std::function<void()> ended);
  bool Active() const { return FPoll.isActive(); }

 private:
  void Poll();

  xcb_connection_t* FConnection;
  xcb_window_t FWindow = XCB_NONE;
  QTimer FPoll;
  int FUpPolls = 0;
  std::function<void()> FEnded;
};

// The window's top-left corner on the screen, wherever a manager has put it.
TPoint ScreenOrigin(xcb_connection_t* c, xcb_window_t window);
// Moves a mapped window as its user placed it: the place the user left it last
// time. Managers that keep a client's own requests on screen (KWin) take it.
void MoveAsTheUserPlacedIt(xcb_connection_t* c, xcb_window_t window, TPoint at);
// Whether the manager publishes _NET_WORKAREA.
bool PublishesWorkArea(xcb_connection_t* c);
// The struts of the mapped top-level windows and of the windows managers put them in.
std::vector<TStrut> DockStruts(xcb_connection_t* c);
