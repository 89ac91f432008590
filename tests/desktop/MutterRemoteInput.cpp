// Real input for the GNOME check: a remote-desktop session of the compositor
// (org.gnome.Mutter.RemoteDesktop on the session bus), held for the program's
// life, since the compositor ends a session whose client has gone.
// Usage: mutter_remote_input MONITOR (a connector: Meta-0); then the commands
// of kwin_fake_input: move X Y   button 1|0|3|2   key CODE 1|0
// Points are taken on a screen cast stream of the monitor (PipeWire must run).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <iostream>
#include <string>

namespace {
constexpr int kBtnLeft = 0x110, kBtnRight = 0x111;
constexpr char kService[] = "org.gnome.Mutter.RemoteDesktop";

bool Ok(const QDBusMessage& reply) {
  if (reply.type() != QDBusMessage::ErrorMessage) return true;
  std::cerr << "mutter-remote-input: " << reply.errorMessage().toStdString() << "\n";
  return false;
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: mutter_remote_input MONITOR\n";
    return 2;
  }
  QDBusInterface desktop(kService, "/org/gnome/Mutter/RemoteDesktop", kService);
  const QDBusReply<QDBusObjectPath> created = desktop.call("CreateSession");
  if (!created.isValid()) {
    std::cerr << "mutter-remote-input: " << created.error().message().toStdString() << "\n";
    return 1;
  }
  QDBusInterface session(kService, created.value().path(), QString(kService) + ".Session");
  // Absolute motion needs a stream of the monitor, through a screen cast joined to the session.
  const QString id = session.property("SessionId").toString();
  QDBusInterface cast("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast", "org.gnome.Mutter.ScreenCast");
  const QDBusReply<QDBusObjectPath> castSession = cast.call("CreateSession", QVariantMap{{"remote-desktop-session-id", id}});
  if (!castSession.isValid()) {
    std::cerr << "mutter-remote-input: " << castSession.error().message().toStdString() << "\n";
    return 1;
  }
  QDBusInterface castIt("org.gnome.Mutter.ScreenCast", castSession.value().path(), "org.gnome.Mutter.ScreenCast.Session");
  const QDBusReply<QDBusObjectPath> stream = castIt.call("RecordMonitor", QString(argv[1]), QVariantMap{});
  if (!stream.isValid()) {
    std::cerr << "mutter-remote-input: " << stream.error().message().toStdString() << "\n";
    return 1;
  }
  if (!Ok(session.call("Start"))) return 1;
  std::string command;
  while (std::cin >> command) {
    int a = 0, b = 0;
    bool done = false;
    if (command == "move" && std::cin >> a >> b) {
      done = Ok(session.call("NotifyPointerMotionAbsolute", stream.value().path(), double(a), double(b)));
    } else if (command == "button" && std::cin >> a) {
      done = Ok(session.call("NotifyPointerButton", a >= 2 ? kBtnRight : kBtnLeft, a % 2 == 1));
    } else if (command == "key" && std::cin >> a >> b) {
      done = Ok(session.call("NotifyKeyboardKeycode", static_cast<uint>(a), b == 1));
    } else {
      std::cerr << "mutter-remote-input: cannot read " << command << "\n";
      return 2;
    }
    if (!done) return 1;
    std::cout << "ok" << std::endl;
  }
  session.call("Stop");
  return 0;
}
