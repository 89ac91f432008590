#pragma once
// The ends and pauses of the user's session, turned into the window system's
// messages: SIGTERM, SIGHUP and SIGINT and the session manager's Die end the
// session (WM_QUERYENDSESSION, WM_ENDSESSION, then a normal close); logind's
// PrepareForSleep on the system bus suspends and resumes (WM_POWERBROADCAST);
// a lost display ends the session too, before the process ends with status 1.
#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "platform/qt/QtProgram.h"
#include "platform/qt/SessionManagerClient.h"
#include "platform/system/SignalPipe.h"
#include "platform/window/WindowSystem.h"

class TQtWindowSystem;
class TForm;

class TSessionEvents : public QObject, public TSessionLink {
  Q_OBJECT
 public:
  TSessionEvents(TQtWindowSystem& system, TForm& mainForm);
  ~TSessionEvents() override;

 private slots:
  void PrepareForSleep(bool sleeping);

 private:
  void EndSession();

  TQtWindowSystem& FSystem;
  TForm& FMainForm;
  TSignalPipe FSignalPipe;
  std::unique_ptr<QSocketNotifier> FSignals;  // on the pipe: gone before it
  bool FEnding = false;
  TSessionManagerClient FSessionManager;
  ScopedDisplayLostAction FDisplayLost;
};
