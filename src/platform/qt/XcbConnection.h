#pragma once
// Qt's own connection to the X server, which the backend shares, and our text for Qt.
#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

#include <QGuiApplication>
#include <QString>

#include "platform/text/AnsiString.h"

inline xcb_connection_t* XcbConnection() {
  return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// The atom of a name; XCB_ATOM_NONE when the server does not answer.
inline xcb_atom_t XcbAtom(xcb_connection_t* c, std::string_view name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

inline QString QtText(const AnsiString& cp932) { return QString::fromUtf8(ToUtf8(cp932).c_str()); }
