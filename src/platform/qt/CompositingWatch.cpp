#include "platform/qt/CompositingWatch.h"

#include <xcb/xfixes.h>

#include <QCoreApplication>
#include <cstdlib>
#include <string>

#include "platform/qt/XcbConnection.h"

TCompositingWatch::TCompositingWatch(xcb_connection_t* connection, std::function<void(TChange)> onChange)
    : FConnection(connection), FOnChange(std::move(onChange)) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
  const int screen = XcbScreenNumber();
  for (int i = 0; i < screen && screens.rem > 0; ++i) xcb_screen_next(&screens);
  FRoot = screens.data->root;
  FSelection = XcbAtom(connection, "_NET_WM_CM_S" + std::to_string(screen));
  FManagerSelection = XcbAtom(connection, "WM_S" + std::to_string(screen));
  // Qt already hears of the root window's property changes.
  FSupported = XcbAtom(connection, "_NET_SUPPORTED");
  const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
  if (xfixes != nullptr && xfixes->present) {
    FEventBase = xfixes->first_event;
    free(xcb_xfixes_query_version_reply(connection, xcb_xfixes_query_version(connection, 5, 0), nullptr));
    for (const xcb_atom_t selection : {FSelection, FManagerSelection}) {
      xcb_xfixes_select_selection_input(connection, FRoot, selection,
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                            XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                            XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
  }
  QCoreApplication::instance()->installNativeEventFilter(this);
  FComposited = OwnerExists();
}

TCompositingWatch::~TCompositingWatch() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool TCompositingWatch::OwnerExists() {
  xcb_get_selection_owner_reply_t* reply =
      xcb_get_selection_owner_reply(FConnection, xcb_get_selection_owner(FConnection, FSelection), nullptr);
  const bool owned = reply != nullptr && reply->owner != XCB_NONE;
  free(reply);
  return owned;
}

bool TCompositingWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  const uint8_t type = event->response_type & 0x7F;
  if (type == XCB_PROPERTY_NOTIFY) {
    const auto* property = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (property->window == FRoot && property->atom == FSupported && FOnChange) FOnChange(TChange::Manager);
    return false;
  }
  if (FEventBase == 0 || type != FEventBase + XCB_XFIXES_SELECTION_NOTIFY) return false;
  const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
  if (notify->selection == FManagerSelection) {
    if (FOnChange) FOnChange(TChange::Manager);
    return false;
  }
  if (notify->selection != FSelection) return false;
  const bool composited = notify->subtype == XCB_XFIXES_SELECTION_EVENT_SET_SELECTION_OWNER && notify->owner != XCB_NONE;
  const bool flipped = composited != FComposited;
  FComposited = composited;
  if (FOnChange) FOnChange(flipped ? TChange::Compositing : TChange::SameCompositing);
  return false;
}
