#include "platform/qt/XcbWindow.h"

#include <QGuiApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <utility>

#include "platform/graphics/BitmapScale.h"
#include "platform/qt/XcbConnection.h"
#include "platform/window/DropFiles.h"

namespace {

constexpr int kMovePollMs = 50;

int64_t NowMs() {
  static const QElapsedTimer clock = [] {
    QElapsedTimer started;
    started.start();
    return started;
  }();
  return clock.elapsed();
}

TPointerKeys KeysOf(const QMouseEvent& event) {
  return TPointerKeys{(event.buttons() & Qt::LeftButton) != 0, (event.buttons() & Qt::RightButton) != 0,
                      (event.modifiers() & Qt::ShiftModifier) != 0, (event.modifiers() & Qt::ControlModifier) != 0};
}

}  // namespace

TXcbWindow::TXcbWindow(TForm& form, bool xwayland, TScale scale)
    : FForm(form), FConnection(XcbConnection()), FScale(scale), FPolicy(NowMs), FXwayland(xwayland) {
  FMovePoll.setInterval(kMovePollMs);
  QObject::connect(&FMovePoll, &QTimer::timeout, [this] { FForm.WindowSystem().Guard(TEntry::Notice, [this] { PollMove(); }); });
  setSurfaceType(QSurface::RasterSurface);
  QSurfaceFormat format;
  format.setAlphaBufferSize(8);  // asked before creation: Qt then picks a depth-32 visual
  setFormat(format);
  // Not a tool window: Qt makes those transient for its hidden leader, and KWin
  // then keeps them on the leader's desktop only.
  setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint);
  setTitle(QtText(form.Caption()));
  FPolicy.Ask(FScale.ToPixels(TPoint{form.Left(), form.Top()}));
  SetGeometry(FScale.ToPixels(form.BoundsRect()));
  create();
  FId = static_cast<HWND>(winId());
  FSurface = std::make_unique<TXcbSurface>(FConnection, FId);
  SetNetWmState();
}

TXcbWindow::~TXcbWindow() = default;

// Out of the taskbar and pager and on every desktop, as an ornament should be;
// set before mapping, where window managers read it.
void TXcbWindow::SetNetWmState() {
  const xcb_atom_t states[] = {XcbAtom(FConnection, "_NET_WM_STATE_SKIP_TASKBAR"), XcbAtom(FConnection, "_NET_WM_STATE_SKIP_PAGER"),
                               XcbAtom(FConnection, "_NET_WM_STATE_STICKY"), XcbAtom(FConnection, "_NET_WM_STATE_ABOVE")};
  xcb_change_property(FConnection, XCB_PROP_MODE_REPLACE, FId, XcbAtom(FConnection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 4, states);
  const uint32_t allDesktops = 0xFFFFFFFF;
  xcb_change_property(FConnection, XCB_PROP_MODE_REPLACE, FId, XcbAtom(FConnection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                      &allDesktops);
}

void TXcbWindow::Place(const TRect& bounds) { PlacePixels(FScale.ToPixels(bounds)); }

// The origin rounded down; the size is whole units, as the form set it.
TRect TXcbWindow::Placed() const {
  const TPoint at = FScale.ToUnits(TPoint{FPlaced.Left, FPlaced.Top});
  return TRect{at.x, at.y, at.x + (FPlaced.Right - FPlaced.Left) / FScale.K, at.y + (FPlaced.Bottom - FPlaced.Top) / FScale.K};
}

void TXcbWindow::PlacePixels(const TRect& bounds) {
  const bool asked = FPolicy.Ask(TPoint{bounds.Left, bounds.Top});
  const TRect placed = PlacedAt(FPolicy.Place(), bounds);
  if (asked || placed != FPlaced) SetGeometry(placed);
  if (placed == bounds) return;
  // Refused before, or the manager's to move now: the form learns where the
  // window stays, once its own bounds are set.
  QTimer::singleShot(0, this, [this] { FForm.BoundsChangedBySystem(Placed()); });
}

// Through Qt, so that the size hints it writes carry the place as the user's
// (USPosition) and the size as fixed: tiling managers then float the window
// where and as large as it asks.
void TXcbWindow::SetGeometry(const TRect& bounds) {
  FPlaced = bounds;
  const QSize size(std::max(1, bounds.Right - bounds.Left), std::max(1, bounds.Bottom - bounds.Top));
  setMinimumSize(size);
  setMaximumSize(size);
  const QRect rect(QPoint(bounds.Left, bounds.Top), size);
  // Qt asks for nothing where it believes the window already is, and a
  // manager may tell it where its own move left the window only later.
  if (FId != 0 && geometry() == rect) {
    const uint32_t at[] = {static_cast<uint32_t>(bounds.Left), static_cast<uint32_t>(bounds.Top)};
    xcb_configure_window(FConnection, FId, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, at);
  }
  setGeometry(rect);
}

void TXcbWindow::ShowLayered(int32_t x, int32_t y, const TBitmap& picture, const TRect& changed) {
  Place(TRect{x, y, x + picture.Width(), y + picture.Height()});
  if (FScale.K == 1) {
    FSurface->ShowLayered(picture, changed);
  } else {
    FSurface->ShowLayered(FScaled, ScaleUp32(picture, FScale.K, FScaled, changed));
  }
  Flush();
}

void TXcbWindow::SetLayered(bool layered) {
  FLayered = layered;
  FSurface->SetLayered();
}

void TXcbWindow::Flush() { xcb_flush(FConnection); }

namespace {
class TXcbDeviceContext : public TDeviceContext {
 public:
  TXcbDeviceContext(TXcbSurface& surface, TScale scale) : FSurface(surface), FScale(scale) {}
  void BitBlt(int32_t x, int32_t y, const TBitmap& bitmap) override {
    const TPoint at = FScale.ToPixels(TPoint{x, y});
    if (FScale.K == 1) {
      FSurface.Upload(at.x, at.y, bitmap);
      return;
    }
    ScaleUp32(bitmap, FScale.K, FScaled, TRect{0, 0, bitmap.Width(), bitmap.Height()});
    FSurface.Upload(at.x, at.y, FScaled);
  }
  void FillRect(const TRect& rect, Color32 color) override { FSurface.Fill(FScale.ToPixels(rect), color); }

 private:
  TXcbSurface& FSurface;
  TScale FScale;
  TBitmap FScaled;
};
}  // namespace

void TXcbWindow::Paint() {
  if (FLayered) {
    FSurface->Exposed();
  } else {
    TXcbDeviceContext dc(*FSurface, FScale);
    FForm.Paint(dc);
  }
  Flush();
}

void TXcbWindow::StartMoveLoop() {
  if (!FXwayland && RequestSystemMove(FConnection, FId, TPoint{FPressGlobal.x(), FPressGlobal.y()})) {
    FPolicy.MoveRequested();
    FMovePoll.start();
    return;
  }
  StartOwnMove();
}

// The window keeps its place under the pointer as it was when the button went down.
void TXcbWindow::StartOwnMove() {
  FMoving = true;
  setMouseGrabEnabled(true);
}

void TXcbWindow::PollMove() {
  switch (FPolicy.Poll(PointerDuringMove(FConnection), [this] { return HeldByAnother(FConnection, FId); })) {
    case TPlacementPolicy::TStep::Continue:
      return;
    case TPlacementPolicy::TStep::Unanswered:
      FMovePoll.stop();
      StartOwnMove();
      return;
    case TPlacementPolicy::TStep::Ended:
      FMovePoll.stop();
      SystemMoveEnded();
      return;
  }
}

// Some managers put a new window elsewhere than it asked: i3 a title bar's
// height away though it draws none, KWin wholly on screen. Asked once more,
// they put it there.
void TXcbWindow::KeepPlaceOnceMapped() {
  if (std::exchange(FMappedPlaceKept, true)) return;
  FPolicy.Mapped();
  const TPoint at = ScreenOrigin(FConnection, FId);
  if (at == FPolicy.Place()) return;
  MoveAsTheUserPlacedIt(FConnection, FId, FPolicy.Place());
}

TRect TXcbWindow::PlacedAt(TPoint at, const TRect& size) {
  return TRect{at.x, at.y, at.x + (size.Right - size.Left), at.y + (size.Bottom - size.Top)};
}

// A move nobody here asked for is the manager's own (a drag with a modifier,
// the keyboard, a pager, another client): the form follows, and once the move
// is over the window is placed anew as after the user's own drag.
void TXcbWindow::Moved() {
  // Where a manager first puts a new window is not the user's doing; our own loops report themselves.
  if (!FMappedPlaceKept || FMoving || FSizing != 0) return;
  const TPoint at = ScreenOrigin(FConnection, FId);
  if (at == FPolicy.Place()) return;
  const bool held = !FPolicy.Moving() && HeldByAnother(FConnection, FId);
  const TPlacementPolicy::TSeen seen = FPolicy.Seen(at, held);
  FPlaced = PlacedAt(at, FPlaced);
  FForm.BoundsChangedBySystem(Placed());
  if (seen == TPlacementPolicy::TSeen::ManagerMove) FMovePoll.start();
}

void TXcbWindow::SystemMoveEnded() {
  const TPoint at = ScreenOrigin(FConnection, FId);
  FPolicy.Settled(at);
  FPlaced = PlacedAt(at, FPlaced);
  FForm.BoundsChangedBySystem(Placed());
  FForm.MoveLoopEnded();
}

void TXcbWindow::StartResizeLoop(intptr_t hitTest) {
  FSizing = hitTest;
  FSizeStart = FForm.BoundsRect();
  setMouseGrabEnabled(true);
}

void TXcbWindow::Mouse(QMouseEvent* event, TPointerAction action) {
  const QPoint local = event->position().toPoint();
  if (FSizing != 0 || FMoving) {
    // The system's move or sizing loop: the window follows the pointer until the button is up.
    const QPoint global = event->globalPosition().toPoint();
    if (action == TPointerAction::Move) {
      const QPoint moved = global - FPressGlobal, at = global - FGrabOffset;
      const TRect sized = SizedBy(FSizeStart, FSizing, moved.x() / FScale.K, moved.y() / FScale.K);
      if (FSizing != 0) {
        Place(sized);
      } else {
        PlacePixels(PlacedAt(TPoint{at.x(), at.y()}, FPlaced));
      }
      Flush();
      FForm.BoundsChangedBySystem(FSizing != 0 ? sized : Placed());
    } else if (action == TPointerAction::LeftUp) {
      FSizing = 0;
      FMoving = false;
      setMouseGrabEnabled(false);
      FForm.MoveLoopEnded();
    }
    return;
  }
  const QPoint global = event->globalPosition().toPoint();
  if (action == TPointerAction::LeftDown) {
    FGrabOffset = local;
    FPressGlobal = global;
    if (FPolicy.Pressed()) {
      FMovePoll.stop();
      SystemMoveEnded();
    }
  }
  const TPoint screen = FScale.ToUnits(TPoint{global.x(), global.y()});
  FForm.PointerInput(action, FScale.ToUnits(TPoint{local.x(), local.y()}), screen, KeysOf(*event));
  if (action == TPointerAction::RightUp) FForm.ContextMenuRequested(screen);
}

void TXcbWindow::SetEnabled(bool enabled) {
  FEnabled = enabled;
  if (!enabled && (FMoving || FSizing != 0)) {
    FMoving = false;
    FSizing = 0;
    setMouseGrabEnabled(false);
  }
}

void TXcbWindow::Key(QKeyEvent* event) {
  // The menu key and Shift+F10 ask for the menu at the pointer, as on the system.
  if (event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && (event->modifiers() & Qt::ShiftModifier))) {
    FForm.ContextMenuRequested(std::nullopt);
    return;
  }
  uint16_t vk = 0;
  if (event->key() >= Qt::Key_F1 && event->key() <= Qt::Key_F12) vk = static_cast<uint16_t>(0x70 + event->key() - Qt::Key_F1);
  if (event->key() == Qt::Key_Escape) vk = VK_ESCAPE;
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) vk = VK_RETURN;
  if (event->key() == Qt::Key_Space) vk = VK_SPACE;
  if (event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) vk = static_cast<uint16_t>(event->key());
  if (vk == 0) return;
  FForm.KeyDown(vk, (event->modifiers() & Qt::AltModifier) != 0);
}

void TXcbWindow::Drop(QDropEvent* event) {
  TDropFiles files;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (!url.isLocalFile()) continue;
    // The name's own bytes, also where they are not UTF-8 (kept percent-encoded in the URL).
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    files.Names.push_back(FromSystemName(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
  }
  event->acceptProposedAction();
  if (!files.Names.empty()) FForm.FilesDropped(files.Handle());
}

bool TXcbWindow::event(QEvent* event) {
  bool handled = true;
  FForm.WindowSystem().Guard(TEntry::Notice, [&] { handled = Translate(event); });
  return handled;
}

bool TXcbWindow::Translate(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::Drop:
      if (!FEnabled) return true;  // another window is modal
      break;
    default:
      break;
  }
  switch (event->type()) {
    case QEvent::UpdateRequest:
      Paint();  // never Qt's own painting
      return true;
    case QEvent::Expose:
      if (isExposed()) {
        KeepPlaceOnceMapped();
        Paint();
      }
      return true;
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) Mouse(mouse, TPointerAction::LeftDown);
      if (mouse->button() == Qt::RightButton) Mouse(mouse, TPointerAction::RightDown);
      return true;
    }
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) Mouse(mouse, TPointerAction::LeftUp);
      if (mouse->button() == Qt::RightButton) Mouse(mouse, TPointerAction::RightUp);
      return true;
    }
    case QEvent::MouseMove:
      Mouse(static_cast<QMouseEvent*>(event), TPointerAction::Move);
      return true;
    case QEvent::KeyPress:
      Key(static_cast<QKeyEvent*>(event));
      return true;
    case QEvent::Enter:
      if (FLayered) FSurface->PointerEntered();
      return QWindow::event(event);
    case QEvent::Leave:
      FForm.PointerLeft();
      return true;
    case QEvent::Move:
      Moved();
      return QWindow::event(event);
    case QEvent::Close:
      event->ignore();  // the form decides
      FForm.CloseRequested();
      return true;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (FAcceptDrops && FEnabled && drag->mimeData()->hasUrls()) {
        drag->acceptProposedAction();
      } else {
        drag->ignore();
      }
      return true;
    }
    case QEvent::Drop:
      if (FAcceptDrops) Drop(static_cast<QDropEvent*>(event));
      return true;
    default:
      return QWindow::event(event);
  }
}
