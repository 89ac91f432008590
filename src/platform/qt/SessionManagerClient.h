#pragma once
// The desktop's session manager (SESSION_MANAGER), served on a thread of its own:
// a manager that never answers cannot hold up the start, and one that dies
// leaves the chime running as if there were none. The thread answers the
// manager's requests to save at once (the chime stores its settings when it
// ends, not at checkpoints) and hands its Die to the main thread.
#include <QObject>
#include <functional>
#include <memory>

class TSessionManagerClient {
 public:
  // onDie runs on the main thread; nothing happens without a session manager.
  explicit TSessionManagerClient(std::function<void()> onDie);
  // Never waits for a manager that has not answered yet.
  ~TSessionManagerClient();
  TSessionManagerClient(const TSessionManagerClient&) = delete;
  TSessionManagerClient& operator=(const TSessionManagerClient&) = delete;

  struct TShared;

 private:
  QObject FMainThread;  // Die is queued to it; gone with the client, so is a Die not yet handled
  std::shared_ptr<TShared> FShared;
};
