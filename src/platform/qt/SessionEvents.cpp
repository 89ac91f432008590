#include "platform/qt/SessionEvents.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QGuiApplication>
#include <iostream>

#include "platform/qt/QtWindowSystem.h"
#include "platform/window/Form.h"

namespace {
// The write end of the self-pipe: the one thing a signal handler may touch.
int gSignalPipe[2] = {-1, -1};

void OnSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const ssize_t n = ::write(gSignalPipe[1], &byte, 1);
  errno = saved;
}
}  // namespace

TSessionEvents::TSessionEvents(TQtWindowSystem& system, TForm& mainForm)
    : FSystem(system),
      FMainForm(mainForm),
      FSessionManager([this] { EndSession(); }),
      FDisplayLost([this] {
        std::cerr << "chimora: " << ToUtf8(Ansi(u8"ディスプレイとの接続が切れたので終了します")) << std::endl;
        EndSession();  // the settings are stored; the process ends with status 1 right after
      }) {
  if (::pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
    FSignals = std::make_unique<QSocketNotifier>(gSignalPipe[0], QSocketNotifier::Read);
    connect(FSignals.get(), &QSocketNotifier::activated, this, [this] {
      char bytes[16];
      while (::read(gSignalPipe[0], bytes, sizeof bytes) > 0) {
      }
      EndSession();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(number, &action, nullptr);
  }
  // Without a system bus (a container, a minimal desktop) there is simply no sleep notice.
  QDBusConnection::systemBus().connect("org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                                       SLOT(PrepareForSleep(bool)));
}

TSessionEvents::~TSessionEvents() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  for (int number : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(number, &action, nullptr);
  FSignals.reset();
  for (int& fd : gSignalPipe) {
    if (fd >= 0) ::close(std::exchange(fd, -1));
  }
}

void TSessionEvents::PrepareForSleep(bool sleeping) {
  FSystem.Broadcast([sleeping](TForm& form) { form.PowerEvent(sleeping ? PBT_APMSUSPEND : PBT_APMRESUMESUSPEND); });
}

void TSessionEvents::EndSession() {
  // A second signal while ending changes nothing: the settings are being stored once.
  if (FEnding) return;
  FEnding = true;
  FSystem.Guard(TEntry::SessionEnd, [this] { FMainForm.EndSession(FMainForm.QueryEndSession()); });
}
