#include "platform/qt/WindowManager.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>

#include "platform/qt/XcbConnection.h"

namespace {
constexpr uint32_t kMoveResizeMove = 8;     // _NET_WM_MOVERESIZE_MOVE
constexpr uint32_t kSourceApplication = 1;  // a normal application asks
constexpr uint32_t kSourceUser = 2;         // on the user's behalf, as pagers do

struct FreeReply {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_window_t Root(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

xcb_get_property_cookie_t Cardinals(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
  return xcb_get_property(c, 0, window, property, XCB_ATOM_CARDINAL, 0, 12);
}

std::vector<int32_t> Values(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
  const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr));
  if (!reply || reply->format != 32) return {};
  const auto* v = static_cast<const int32_t*>(xcb_get_property_value(reply.get()));
  return std::vector<int32_t>(v, v + xcb_get_property_value_length(reply.get()) / 4);
}
xcb_window_t WindowProperty(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property) {
  const Reply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
  if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) return XCB_NONE;
  return *static_cast<const xcb_window_t*>(xcb_get_property_value(reply.get()));
}

// Asked anew each time: a manager that replaces another may offer less.
bool Supports(xcb_connection_t* c, xcb_atom_t request) {
  if (!ManagerRuns(c)) return false;
  const Reply<xcb_get_property_reply_t> supported(
      xcb_get_property_reply(c, xcb_get_property(c, 0, Root(c), XcbAtom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096), nullptr));
  if (!supported || supported->format != 32) return false;
  const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
  const auto* end = atoms + xcb_get_property_value_length(supported.get()) / 4;
  return std::find(atoms, end, request) != end;
}

void SendToManager(xcb_connection_t* c, xcb_window_t window, xcb_atom_t type, const std::array<uint32_t, 5>& data) {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = window;
  message.type = type;
  std::copy(data.begin(), data.end(), message.data.data32);
  xcb_send_event(c, 0, Root(c), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
}
}  // namespace

bool HeldByAnother(xcb_connection_t* c, xcb_window_t window) {
  const Reply<xcb_grab_pointer_reply_t> grab(xcb_grab_pointer_reply(
      c, xcb_grab_pointer(c, 0, window, 0, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME), nullptr));
  if (!grab) return false;
  if (grab->status == XCB_GRAB_STATUS_SUCCESS) xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
  return grab->status == XCB_GRAB_STATUS_ALREADY_GRABBED || grab->status == XCB_GRAB_STATUS_FROZEN;
}

bool ManagerRuns(xcb_connection_t* c) {
  const xcb_atom_t check = XcbAtom(c, "_NET_SUPPORTING_WM_CHECK");
  const xcb_window_t named = WindowProperty(c, Root(c), check);
  // A window gone answers nothing, so its own property reads as none.
  return named != XCB_NONE && WindowProperty(c, named, check) == named;
}

bool ManagerSupports(xcb_connection_t* c, const char* name) { return Supports(c, XcbAtom(c, name)); }

bool RequestSystemMove(xcb_connection_t* c, xcb_window_t window, TPoint from) {
  const xcb_atom_t moveResize = XcbAtom(c, "_NET_WM_MOVERESIZE");
  if (!Supports(c, moveResize)) return false;
  // The point where the button went down, not where the pointer is now, so the
  // window keeps its place under the pointer as it was taken.
  xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
  SendToManager(c, window, moveResize,
                {static_cast<uint32_t>(from.x), static_cast<uint32_t>(from.y), kMoveResizeMove, XCB_BUTTON_INDEX_1, kSourceApplication});
  xcb_flush(c);
  return true;
}

TPlacementPolicy::TPointer PointerDuringMove(xcb_connection_t* c) {
  const Reply<xcb_query_pointer_reply_t> pointer(xcb_query_pointer_reply(c, xcb_query_pointer(c, Root(c)), nullptr));
  TPlacementPolicy::TPointer state;
  if (pointer) {
    state.ButtonDown = (pointer->mask & XCB_BUTTON_MASK_1) != 0;
    state.At = TPoint{pointer->root_x, pointer->root_y};
  }
  return state;
}

bool IsXwayland(xcb_connection_t* c) {
  constexpr char kName[] = "XWAYLAND";
  const Reply<xcb_query_extension_reply_t> extension(
      xcb_query_extension_reply(c, xcb_query_extension(c, sizeof kName - 1, kName), nullptr));
  return extension && extension->present != 0;
}

TPoint ScreenOrigin(xcb_connection_t* c, xcb_window_t window) {
  const Reply<xcb_translate_coordinates_reply_t> at(
      xcb_translate_coordinates_reply(c, xcb_translate_coordinates(c, window, Root(c), 0, 0), nullptr));
  return at ? TPoint{at->dst_x, at->dst_y} : TPoint{};
}

bool PublishesWorkArea(xcb_connection_t* c) {
  return !Values(c, Cardinals(c, Root(c), XcbAtom(c, "_NET_WORKAREA"))).empty();
}

std::vector<TStrut> DockStruts(xcb_connection_t* c) {
  const xcb_window_t root = Root(c);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const TPoint size{screen->width_in_pixels, screen->height_in_pixels};
  const xcb_atom_t partial = XcbAtom(c, "_NET_WM_STRUT_PARTIAL"), whole = XcbAtom(c, "_NET_WM_STRUT");
  const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
  if (!tree) return {};
  const xcb_window_t* tops = xcb_query_tree_children(tree.get());
  const int n = xcb_query_tree_children_length(tree.get());
  // All questions first, then the answers: a round trip per level, not per window.
  std::vector<xcb_get_window_attributes_cookie_t> attributes;
  std::vector<xcb_query_tree_cookie_t> children;
  for (int i = 0; i < n; ++i) {
    attributes.push_back(xcb_get_window_attributes(c, tops[i]));
    children.push_back(xcb_query_tree(c, tops[i]));
  }
  std::vector<xcb_window_t> windows;
  for (int i = 0; i < n; ++i) {
    const Reply<xcb_get_window_attributes_reply_t> a(xcb_get_window_attributes_reply(c, attributes[i], nullptr));
    const Reply<xcb_query_tree_reply_t> inner(xcb_query_tree_reply(c, children[i], nullptr));
    if (!a || a->map_state != XCB_MAP_STATE_VIEWABLE) continue;
    windows.push_back(tops[i]);
    if (inner) {
      const xcb_window_t* w = xcb_query_tree_children(inner.get());
      windows.insert(windows.end(), w, w + xcb_query_tree_children_length(inner.get()));
    }
  }
  std::vector<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> cookies;
  for (const xcb_window_t w : windows) cookies.emplace_back(Cardinals(c, w, partial), Cardinals(c, w, whole));
  std::vector<TStrut> struts;
  for (const auto& [p, s] : cookies) {
    const std::vector<int32_t> v = Values(c, p), four = Values(c, s);
    if (v.size() >= 12) {
      struts.push_back(TStrut{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11]});
    } else if (four.size() >= 4) {
      struts.push_back(WholeEdgeStrut(four[0], four[1], four[2], four[3], size));
    }
  }
  return struts;
}

void MoveAsTheUserPlacedIt(xcb_connection_t* c, xcb_window_t window, TPoint at) {
  const xcb_atom_t moveResizeWindow = XcbAtom(c, "_NET_MOVERESIZE_WINDOW");
  if (Supports(c, moveResizeWindow)) {
    constexpr uint32_t kXAndY = (1u << 8) | (1u << 9);
    SendToManager(c, window, moveResizeWindow,
                  {kXAndY | (kSourceUser << 12), static_cast<uint32_t>(at.x), static_cast<uint32_t>(at.y), 0, 0});
  } else {
    const uint32_t values[] = {static_cast<uint32_t>(at.x), static_cast<uint32_t>(at.y)};
    xcb_configure_window(c, window, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
  }
  xcb_flush(c);
}
