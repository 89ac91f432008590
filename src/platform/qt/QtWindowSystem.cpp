#include "platform/qt/QtWindowSystem.h"

#include <xcb/xcb.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/qt/CompositingWatch.h"
#include "platform/qt/QtTimers.h"
#include "platform/qt/SessionEvents.h"
#include "platform/qt/WindowManager.h"
#include "platform/qt/XcbConnection.h"
#include "platform/qt/XcbWindow.h"
#include "platform/window/Menus.h"

namespace {
// Xwayland before 23.1 has no XWAYLAND extension; its outputs say what it is.
bool OnXwayland() {
  if (IsXwayland(XcbConnection())) return true;
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen->name().startsWith("XWAYLAND")) return true;
  }
  return false;
}

// The desktop's X resources, as it keeps them on the root window.
std::string ResourceDatabase(xcb_connection_t* c) {
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, root, XCB_ATOM_RESOURCE_MANAGER, XCB_ATOM_STRING, 0, 1 << 16), nullptr);
  std::string database;
  if (reply != nullptr) {
    database.assign(static_cast<const char*>(xcb_get_property_value(reply)), static_cast<size_t>(xcb_get_property_value_length(reply)));
  }
  std::free(reply);
  return database;
}

QKeySequence KeySequence(TShortCut shortCut) {
  int key = 0;
  const int vk = shortCut & 0xFF;
  if (vk >= 0x70 && vk <= 0x7B) key = Qt::Key_F1 + (vk - 0x70);
  if (vk >= 'A' && vk <= 'Z') key = vk;
  if (key == 0) return {};
  if (shortCut & scAlt) key |= Qt::ALT;
  if (shortCut & scCtrl) key |= Qt::CTRL;
  if (shortCut & scShift) key |= Qt::SHIFT;
  return QKeySequence(key);
}
}  // namespace

TQtWindowSystem::TQtWindowSystem(TScaleRequest request, TSettingReader setting)
    : FTimers(std::make_unique<TQtTimers>(*this)),
      FCompositing(std::make_unique<TCompositingWatch>(XcbConnection(), [this](TCompositingWatch::TChange change) {
        Guard(TEntry::Notice, [this, change] {
          // A manager that takes over redirects the windows afresh: what they showed is in doubt.
          if (change != TCompositingWatch::TChange::Manager) {
            for (const auto& [handle, window] : FWindows) window->Surface().Invalidate();
          }
          if (change != TCompositingWatch::TChange::SameCompositing) {
            Broadcast([](TForm& form) { form.CapabilitiesChanged(); });
          }
        });
      })),
      FXwayland(OnXwayland()),
      FScaleRequest(std::move(request)),
      FScaleSetting(std::move(setting)) {}

TQtWindowSystem::~TQtWindowSystem() = default;

// On Xwayland the X server sees only its own windows, and the pointer only
// while it is over one of them.
TCapabilities TQtWindowSystem::Capabilities() {
  xcb_connection_t* c = XcbConnection();
  TCapabilities caps;
  caps.PerPixelAlpha = FCompositing->Composited();
  caps.Placement = TPlacement::Anywhere;
  caps.GlobalPointer = !FXwayland;
  caps.WindowList = !FXwayland;
  caps.KeepAbove = ManagerSupports(c, "_NET_WM_STATE_ABOVE");
  // Without a manager there is one desktop, and the window is on it.
  caps.AllDesktops = !ManagerRuns(c) || ManagerSupports(c, "_NET_WM_DESKTOP");
  // Every window carries a position hint, which managers keep for dialogs too.
  caps.PlacesDialogs = false;
  return caps;
}

TXcbWindow* TQtWindowSystem::Find(HWND window) {
  const auto it = FWindows.find(window);
  return it == FWindows.end() ? nullptr : it->second.get();
}

// The chime's frame is the largest window; the scale must leave it on the screen.
void TQtWindowSystem::ChooseScaleOnce() {
  if (FScale) return;
  constexpr int32_t kChimeUnits = 160;
  if (FScaleSetting) FScaleRequest.Setting = FScaleSetting();
  FScaleRequest.XftDpi = XResourceValue(ResourceDatabase(XcbConnection()), "Xft.dpi");
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(XcbConnection())).data;
  const TScaleChoice choice = ChooseScale(FScaleRequest, TPoint{screen->width_in_pixels, screen->height_in_pixels}, kChimeUnits);
  if (!choice.Notice.empty()) std::cerr << choice.Notice << std::endl;
  FScale = TScale{choice.Scale};
}

HWND TQtWindowSystem::CreateWindowFor(TForm& form) {
  ChooseScaleOnce();
  auto window = std::make_unique<TXcbWindow>(form, FXwayland, *FScale);
  const HWND handle = window->Handle();
  FWindows[handle] = std::move(window);
  return handle;
}

void TQtWindowSystem::DestroyWindow(HWND window) { FWindows.erase(window); }

void TQtWindowSystem::ShowWindow(HWND window, bool visible) {
  if (TXcbWindow* w = Find(window)) {
    w->setVisible(visible);
    w->Flush();
  }
}

void TQtWindowSystem::SetWindowBounds(HWND window, const TRect& bounds) {
  if (TXcbWindow* w = Find(window)) {
    w->Place(bounds);
    w->Flush();
  }
}

TRect TQtWindowSystem::GetWindowRect(HWND window) {
  TXcbWindow* w = Find(window);
  return w != nullptr ? w->Form().BoundsRect() : TRect{};
}

bool TQtWindowSystem::IsZoomed(HWND window) {
  TXcbWindow* w = Find(window);
  return w != nullptr && (w->windowStates() & Qt::WindowMaximized);
}

void TQtWindowSystem::Invalidate(HWND window) {
  if (TXcbWindow* w = Find(window)) w->requestUpdate();
}

uint32_t TQtWindowSystem::GetExStyle(HWND window) {
  TXcbWindow* w = Find(window);
  return w != nullptr && w->Layered() ? WS_EX_LAYERED : 0;
}

void TQtWindowSystem::SetExStyle(HWND window, uint32_t style) {
  if (TXcbWindow* w = Find(window)) w->SetLayered((style & WS_EX_LAYERED) != 0);
}

bool TQtWindowSystem::UpdateLayeredWindow(HWND window, int32_t x, int32_t y, const TBitmap& premultiplied,
                                           const TRect& changed) {
  TXcbWindow* w = Find(window);
  if (w == nullptr || !w->Layered()) {
    FLastError = Ansi(u8"ウィンドウにレイヤードスタイルがありません");
    return false;
  }
  if (!FCompositing->Composited()) {
    FLastError = Ansi(u8"合成マネージャーが動いていません");
    return false;
  }
  w->ShowLayered(x, y, premultiplied, changed);
  w->Form().BoundsChangedBySystem(w->Placed());
  return true;
}

void TQtWindowSystem::SetWindowRgn(HWND window, std::unique_ptr<TRegion> region) {
  TXcbWindow* w = Find(window);
  if (w == nullptr) return;
  if (!region) {
    w->Surface().SetBoundingShape(nullptr);
    return;
  }
  std::vector<TRect> pixels;
  pixels.reserve(region->Rects().size());
  for (const TRect& r : region->Rects()) pixels.push_back(Scale().ToPixels(r));
  w->Surface().SetBoundingShape(&pixels);
}

void TQtWindowSystem::SetWindowPos(HWND window, HWND insertAfter, const TRect& bounds, uint32_t flags) {
  TXcbWindow* w = Find(window);
  if (w == nullptr) return;
  if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
    w->setFlag(Qt::WindowStaysOnTopHint, insertAfter == HWND_TOPMOST);
  }
  if (insertAfter == HWND_BOTTOM) w->lower();
  if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST) w->raise();
  if ((flags & (SWP_NOMOVE | SWP_NOSIZE)) == 0) SetWindowBounds(window, bounds);
  if ((flags & SWP_SHOWWINDOW) != 0) ShowWindow(window, true);
}

void TQtWindowSystem::DragAcceptFiles(HWND window, bool accept) {
  if (TXcbWindow* w = Find(window)) w->AcceptDrops(accept);
}

void TQtWindowSystem::StartMoveLoop(HWND window, intptr_t /*lParam*/) {
  if (TXcbWindow* w = Find(window)) w->StartMoveLoop();
}

void TQtWindowSystem::StartResizeLoop(HWND window, intptr_t hitTest) {
  if (TXcbWindow* w = Find(window)) w->StartResizeLoop(hitTest);
}

std::vector<TRect> TQtWindowSystem::MonitorWorkAreas() {
  // Qt's available geometry is _NET_WORKAREA; a manager without one (i3) leaves
  // the docks' struts to be taken off here.
  xcb_connection_t* c = XcbConnection();
  const bool published = PublishesWorkArea(c);
  const std::vector<TStrut> struts = published ? std::vector<TStrut>{} : DockStruts(c);
  const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  std::vector<TRect> areas;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect r = published ? screen->availableGeometry() : screen->geometry();
    const TRect area{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    areas.push_back(Scale().ToUnits(published ? area : WorkAreaFromStruts(area, TPoint{root->width_in_pixels, root->height_in_pixels}, struts)));
  }
  return areas;
}

TPoint TQtWindowSystem::PrimaryScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? Scale().ToUnits(TPoint{screen->geometry().width(), screen->geometry().height()}) : TPoint{};
}

std::vector<TTopWindow> TQtWindowSystem::TopLevelWindows() {
  xcb_connection_t* c = XcbConnection();
  std::vector<TTopWindow> windows;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr);
  if (tree == nullptr) return windows;
  const xcb_window_t* children = xcb_query_tree_children(tree);
  const int n = xcb_query_tree_children_length(tree);
  // All questions first, then the answers: one round trip for the whole list.
  std::vector<xcb_get_window_attributes_cookie_t> attributes;
  std::vector<xcb_get_geometry_cookie_t> geometries;
  for (int i = 0; i < n; ++i) {
    attributes.push_back(xcb_get_window_attributes(c, children[i]));
    geometries.push_back(xcb_get_geometry(c, children[i]));
  }
  for (int i = n - 1; i >= 0; --i) {  // the tree lists the bottom of the stack first
    xcb_get_window_attributes_reply_t* a = xcb_get_window_attributes_reply(c, attributes[static_cast<size_t>(i)], nullptr);
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, geometries[static_cast<size_t>(i)], nullptr);
    if (a != nullptr && g != nullptr && a->_class == XCB_WINDOW_CLASS_INPUT_OUTPUT) {
      windows.push_back(TTopWindow{children[i], Scale().ToUnits(TRect{g->x, g->y, g->x + g->width, g->y + g->height}),
                                   a->map_state == XCB_MAP_STATE_VIEWABLE});
    }
    free(a);
    free(g);
  }
  free(tree);
  return windows;
}

TPoint TQtWindowSystem::CursorPos() {
  const QPoint p = QCursor::pos();
  return Scale().ToUnits(TPoint{p.x(), p.y()});
}

// As of the event being handled, not as the keyboard is now: the keys of a
// shortcut may be up already.
TShortCut TQtWindowSystem::ShiftState() {
  const Qt::KeyboardModifiers m = QGuiApplication::keyboardModifiers();
  return static_cast<TShortCut>(((m & Qt::ShiftModifier) ? scShift : 0) | ((m & Qt::ControlModifier) ? scCtrl : 0) |
                                ((m & Qt::AltModifier) ? scAlt : 0));
}

int32_t TQtWindowSystem::TrackPopupMenu(HWND /*window*/, const TPopupMenu& menu, TPoint at) {
  QMenu popup;
  std::vector<QAction*> actions;
  for (const auto& item : menu.Items()) {
    if (item->IsSeparator()) {
      actions.push_back(popup.addSeparator());
      continue;
    }
    QAction* action = popup.addAction(QtText(item->Caption));
    action->setCheckable(item->Checked);
    action->setChecked(item->Checked);
    if (item->ShortCut != 0) action->setShortcut(KeySequence(item->ShortCut));
    actions.push_back(action);
  }
  const TPoint pixels = Scale().ToPixels(at);
  QAction* chosen = popup.exec(QPoint(pixels.x, pixels.y));
  for (size_t i = 0; i < actions.size(); ++i) {
    if (actions[i] == chosen) return static_cast<int32_t>(i);
  }
  return -1;
}

void TQtWindowSystem::MessageBox(const AnsiString& text, const AnsiString& caption) {
  QMessageBox::critical(nullptr, QtText(caption), QtText(text));
}

int32_t TQtWindowSystem::SetTimer(uint32_t interval, std::function<void()> onTimer) {
  return FTimers->Start(interval, std::move(onTimer));
}

void TQtWindowSystem::KillTimer(int32_t id) { FTimers->Stop(id); }

void TQtWindowSystem::SetCursor(HWND window, TCursor cursor) {
  TXcbWindow* w = Find(window);
  if (w == nullptr) return;
  if (cursor == TCursor::crHandPoint) {
    w->setCursor(Qt::PointingHandCursor);
  } else {
    w->unsetCursor();
  }
}

// A quit asked before the loop runs is kept for it, as the system's quit message stays queued.
int TQtWindowSystem::Run() {
  if (const std::optional<int> asked = std::exchange(FQuitCode, std::nullopt)) return *asked;
  const int exitCode = QApplication::exec();
  FQuitCode.reset();  // taken by this loop
  return exitCode;
}

void TQtWindowSystem::RunModal(HWND window, const std::function<bool()>& done) {
  std::vector<HWND> refused;
  for (const auto& [handle, w] : FWindows) {
    if (handle == window || !w->Enabled()) continue;
    w->SetEnabled(false);
    refused.push_back(handle);
  }
  if (TXcbWindow* w = Find(window)) w->requestActivate();
  while (!done() && !FQuitAsked) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  for (const HWND handle : refused) {
    if (TXcbWindow* w = Find(handle)) w->SetEnabled(true);
  }
}

void TQtWindowSystem::Quit(int exitCode) {
  FQuitAsked = true;
  FQuitCode = exitCode;
  QCoreApplication::exit(exitCode);
}

std::unique_ptr<TSessionLink> TQtWindowSystem::LinkSession(TForm& mainForm) {
  return std::make_unique<TSessionEvents>(*this, mainForm);
}

void TQtWindowSystem::Broadcast(const std::function<void(TForm&)>& deliver) {
  std::vector<TForm*> forms;
  for (const auto& [handle, window] : FWindows) forms.push_back(&window->Form());
  for (TForm* form : forms) deliver(*form);
}
