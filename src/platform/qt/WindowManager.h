#pragma once
// What we ask of and read from the window manager (EWMH): whether one runs and
// what it offers, its own interactive move, and the space its docks reserve
// where it publishes no work area.
#include <xcb/xcb.h>

#include <vector>

#include "platform/qt/WorkArea.h"
#include "platform/window/PlacementPolicy.h"

// Whether a window manager runs: the window its _NET_SUPPORTING_WM_CHECK names
// still exists and names itself (a manager killed leaves the property behind).
bool ManagerRuns(xcb_connection_t* c);
// Whether a running manager offers what the atom names (_NET_SUPPORTED).
bool ManagerSupports(xcb_connection_t* c, const char* name);
// Asks the manager for its interactive move of the window, as if the pointer had
// taken it at `from` (a screen point). False when no manager offers one.
bool RequestSystemMove(xcb_connection_t* c, xcb_window_t window, TPoint from);
// Whether another client (the manager, through its own move) holds the pointer:
// asked by trying to take it, and letting go at once; asked while the manager
// is about to take it, this can spoil its move.
bool HeldByAnother(xcb_connection_t* c, xcb_window_t window);
// The pointer as a move's end is judged by.
TPlacementPolicy::TPointer PointerDuringMove(xcb_connection_t* c);
// Whether the X server is Xwayland, a Wayland compositor's client: there the
// compositor moves windows on its side and the server may never learn of the
// button's release.
bool IsXwayland(xcb_connection_t* c);

// The window's top-left corner on the screen, wherever a manager has put it.
TPoint ScreenOrigin(xcb_connection_t* c, xcb_window_t window);
// Moves a mapped window as its user placed it: the place the user left it last
// time. Managers that keep a client's own requests on screen (KWin) take it.
void MoveAsTheUserPlacedIt(xcb_connection_t* c, xcb_window_t window, TPoint at);
// Whether the manager publishes _NET_WORKAREA.
bool PublishesWorkArea(xcb_connection_t* c);
// The struts of the mapped top-level windows and of the windows managers put them in.
std::vector<TStrut> DockStruts(xcb_connection_t* c);
