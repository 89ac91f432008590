#pragma once
// The ends and pauses of the user's session, turned into the window system's
// messages: SIGTERM, SIGHUP and SIGINT and the session manager's Die end the
// session (WM_QUERYENDSESSION, WM_ENDSESSION, then a normal close); logind's
// PrepareForSleep on the system bus suspends and resumes (WM_POWERBROADCAST).
#include <QObject>
#include <QSocketNotifier>
#include <memory>

class TQtWindowSystem;
class TForm;

class TSessionEvents : public QObject {
  Q_OBJECT
 public:
  TSessionEvents(TQtWindowSystem& system, TForm& mainForm);
  ~TSessionEvents() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void PrepareForSleep(bool sleeping);

 private:
  void EndSession();

  TQtWindowSystem& FSystem;
  TForm& FMainForm;
  std::unique_ptr<QSocketNotifier> FSignals;
  bool FEnding = false;
};
