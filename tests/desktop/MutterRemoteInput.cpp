// Real input for the GNOME check: a remote-desktop session of the compositor
// (org.gnome.Mutter.RemoteDesktop on the session bus), held for the program's
// life, since the compositor ends a session whose client has gone.
// Usage: mutter_remote_input WIDTH HEIGHT; then the commands of kwin_fake_input:
//   move X Y   button 1|0|3|2   key CODE 1|0
// The session moves the pointer only by steps; it starts at the bottom-left
// corner (the top-left one opens the overview), pushed there by a long step.
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
  if (argc != 3) {
    std::cerr << "usage: mutter_remote_input WIDTH HEIGHT\n";
    return 2;
  }
  const int width = std::stoi(argv[1]), height = std::stoi(argv[2]);
  QDBusInterface desktop(kService, "/org/gnome/Mutter/RemoteDesktop", kService);
  const QDBusReply<QDBusObjectPath> created = desktop.call("CreateSession");
  if (!created.isValid()) {
    std::cerr << "mutter-remote-input: " << created.error().message().toStdString() << "\n";
    return 1;
  }
  QDBusInterface session(kService, created.value().path(), QString(kService) + ".Session");
  if (!Ok(session.call("Start"))) return 1;
  auto step = [&](double dx, double dy) { return Ok(session.call("NotifyPointerMotionRelative", dx, dy)); };
  if (!step(-2.0 * width, 2.0 * height)) return 1;
  int x = 0, y = height - 1;
  std::string command;
  while (std::cin >> command) {
    int a = 0, b = 0;
    bool done = false;
    if (command == "move" && std::cin >> a >> b) {
      done = step(a - x, b - y);
      x = a;
      y = b;
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
