#pragma once
// Qt's own connection to the X server, which the backend shares, and our text for Qt.
#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include <QGuiApplication>
#include <QString>

#include "platform/text/AnsiString.h"

inline xcb_connection_t* XcbConnection() {
  return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// The atom of a name; XCB_ATOM_NONE when the server does not answer. An atom
// lives as long as the server, so each name costs one round trip per connection.
inline xcb_atom_t XcbAtom(xcb_connection_t* c, std::string_view name) {
  static xcb_connection_t* known = nullptr;
  static std::map<std::string, xcb_atom_t, std::less<>> atoms;
  if (c != known) {
    atoms.clear();
    known = c;
  }
  if (const auto it = atoms.find(name); it != atoms.end()) return it->second;
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  if (atom != XCB_ATOM_NONE) atoms.emplace(name, atom);
  return atom;
}

// The number of the screen Qt opens: DISPLAY's default screen.
inline int XcbScreenNumber() {
  char* host = nullptr;
  int display = 0, screen = 0;
  if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) return 0;
  std::free(host);
  return screen;
}

inline QString QtText(const AnsiString& cp932) { return QString::fromUtf8(ToUtf8(cp932).c_str()); }
