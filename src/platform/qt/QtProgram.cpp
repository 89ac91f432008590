#include "platform/qt/QtProgram.h"

#include <xcb/xcb.h>

#include <QThread>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/Exception.h"
#include "platform/qt/XcbConnection.h"
#include "platform/qt/SessionBus.h"

namespace {
// Qt's message handler takes no context, so the action waits here.
std::function<void()>& DisplayLostAction() {
  static std::function<void()> action;
  return action;
}

QtMessageHandler gQtMessages = nullptr;  // the handler ours passes every message on to

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (gQtMessages != nullptr) gQtMessages(type, context, text);
  if (QThread::currentThread() != QCoreApplication::instance()->thread() || xcb_connection_has_error(XcbConnection()) == 0) return;
  const std::function<void()> action = std::exchange(DisplayLostAction(), nullptr);
  if (!action) return;
  action();
  // Qt's own way out runs its teardown on a broken connection, which can hang
  // (say, in the middle of a drop) or assert; the settings are on disk by now.
  std::_Exit(1);
}

// Qt ends the process when it finds no display; ask first, to say so properly.
// The probe stays connected until Qt is: a server that resets when its last
// client leaves would otherwise be gone for a moment just when Qt connects.
struct XcbDisconnect {
  void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
using DisplayProbe = std::unique_ptr<xcb_connection_t, XcbDisconnect>;

// A Wayland session, where the X server we failed to reach is its Xwayland.
bool OnWayland() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* session = std::getenv("XDG_SESSION_TYPE");
  return (wayland != nullptr && *wayland != '\0') || (session != nullptr && std::string_view(session) == "wayland");
}

}  // namespace

TQtProgram::TQtProgram(int& argc, char** argv) : FArgumentCount(argc), FArguments(argv, argv + argc) {
  // Qt reads its scaling from the environment only; the user's wish is ours to follow.
  if (const char* factor = std::getenv("QT_SCALE_FACTOR")) FUserScaleFactor = factor;
  FOwnVariables.push_back(std::make_unique<ScopedOwnVariable>("QT_ENABLE_HIGHDPI_SCALING", "0"));
  FOwnVariables.push_back(std::make_unique<ScopedOwnVariable>("QT_SCALE_FACTOR", std::nullopt));
  FOwnVariables.push_back(std::make_unique<ScopedOwnVariable>("QT_SCREEN_SCALE_FACTORS", std::nullopt));
  if (auto noBus = NoSessionBusAutolaunch()) FOwnVariables.push_back(std::move(noBus));
  // The platform argument outranks QT_QPA_PLATFORM.
  static char platform[] = "-platform", xcb[] = "xcb";
  FArguments.insert(FArguments.begin() + (argc > 0 ? 1 : 0), {platform, xcb});
  FArgumentCount = static_cast<int>(FArguments.size());
  FArguments.push_back(nullptr);
  const DisplayProbe probe(xcb_connect(nullptr, nullptr));
  if (xcb_connection_has_error(probe.get()) != 0) {
    if (OnWayland()) {
      throw Exception(Ansi(u8"Xwayland (X11 互換サーバー) が必要です / needs Xwayland (the X11 compatibility server)"));
    }
    const char* display = std::getenv("DISPLAY");
    throw Exception(Ansi(u8"ディスプレイに接続できません") + " (DISPLAY=" + (display != nullptr ? display : "") + ")");
  }
  {
    // The session manager is ours to serve (TSessionManagerClient): Qt's own
    // connection is made inside its start-up and waits for as long as the manager does.
    const ScopedOwnVariable noSessionManager("SESSION_MANAGER", std::nullopt);
    FApplication = std::make_unique<QApplication>(FArgumentCount, FArguments.data());
  }
  QApplication::setQuitOnLastWindowClosed(false);
  // The class of WM_CLASS ("chimora", "Chimora"), which window-manager rules and docks look for.
  QApplication::setApplicationName("Chimora");
}

TQtProgram::~TQtProgram() = default;

ScopedDisplayLostAction::ScopedDisplayLostAction(std::function<void()> action)
    : FPrevious(std::exchange(DisplayLostAction(), std::move(action))) {
  static const QtMessageHandler previous = qInstallMessageHandler(OnQtMessage);
  gQtMessages = previous;
}

ScopedDisplayLostAction::~ScopedDisplayLostAction() { DisplayLostAction() = std::move(FPrevious); }
