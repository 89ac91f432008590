#pragma once
// The window system's timers as one object's own timer events: no signal and
// slot between Qt's timer and the handler (the chime's fires 20 times a second).
#include <QObject>
#include <functional>
#include <map>
#include <memory>

#include "platform/window/WindowSystem.h"

class TQtTimers : public QObject {
 public:
  explicit TQtTimers(TWindowSystem& system) : FSystem(system) {}

  // The timer's id, never 0; 0 when Qt could not start it.
  int32_t Start(uint32_t interval, std::function<void()> onTimer);
  // Safe from inside the timer's own handler.
  void Stop(int32_t id);

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  TWindowSystem& FSystem;
  std::map<int32_t, std::shared_ptr<const std::function<void()>>> FHandlers;
};
