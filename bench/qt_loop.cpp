// What Qt's event loop alone costs the chime (desktop-cost.sh): the same kind of
// application and window, a 160x160 window shown and a timer 20 times a second
// that does nothing.
#include <QApplication>
#include <QTimer>
#include <QWindow>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWindow window;
  window.setGeometry(560, 0, 160, 160);
  window.show();
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [] {});
  timer.start(50);
  return QApplication::exec();
}
