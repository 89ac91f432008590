#include "platform/qt/QtTimers.h"

#include <QTimerEvent>

int32_t TQtTimers::Start(uint32_t interval, std::function<void()> onTimer) {
  const int32_t id = startTimer(static_cast<int>(interval));
  if (id != 0) FHandlers[id] = std::make_shared<const std::function<void()>>(std::move(onTimer));
  return id;
}

void TQtTimers::Stop(int32_t id) {
  if (FHandlers.erase(id) != 0) killTimer(id);
}

void TQtTimers::timerEvent(QTimerEvent* event) {
  const auto it = FHandlers.find(event->timerId());
  if (it == FHandlers.end()) return;
  const std::shared_ptr<const std::function<void()>> handler = it->second;  // kept while it may stop itself
  FSystem.Guard(TEntry::Notice, *handler);
}
