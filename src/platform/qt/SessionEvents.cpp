#include "platform/qt/SessionEvents.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <iostream>

#include "platform/qt/QtWindowSystem.h"
#include "platform/window/Form.h"

TSessionEvents::TSessionEvents(TQtWindowSystem& system, TForm& mainForm)
    : FSystem(system),
      FMainForm(mainForm),
      FSessionManager([this] { EndSession(); }),
      FDisplayLost([this] {
        std::cerr << "chimora: " << ToUtf8(Ansi(u8"ディスプレイとの接続が切れたので終了します")) << std::endl;
        EndSession();  // the settings are stored; the process ends with status 1 right after
      }) {
  if (FSignalPipe.ReadEnd() >= 0) {
    FSignals = std::make_unique<QSocketNotifier>(FSignalPipe.ReadEnd(), QSocketNotifier::Read);
    connect(FSignals.get(), &QSocketNotifier::activated, this, [this] {
      if (FSignalPipe.Drain()) EndSession();
    });
  }
  // Without a system bus (a container, a minimal desktop) there is simply no sleep notice.
  QDBusConnection::systemBus().connect("org.freedesktop.login1", "/org/freedesktop/login1",
                                       "org.freedesktop.login1.Manager", "PrepareForSleep", this,
                                       SLOT(PrepareForSleep(bool)));
}

TSessionEvents::~TSessionEvents() = default;

void TSessionEvents::PrepareForSleep(bool sleeping) {
  FSystem.Broadcast([sleeping](TForm& form) { form.PowerEvent(sleeping ? PBT_APMSUSPEND : PBT_APMRESUMESUSPEND); });
}

void TSessionEvents::EndSession() {
  // A second signal while ending changes nothing: the settings are being stored once.
  if (FEnding) return;
  FEnding = true;
  FSystem.Guard(TEntry::SessionEnd, [this] { FMainForm.EndSession(FMainForm.QueryEndSession()); });
}
