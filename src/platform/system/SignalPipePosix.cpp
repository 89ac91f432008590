#include "platform/system/SignalPipe.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
// A signal handler can reach nothing else.
int gPipe[2] = {-1, -1};

void OnSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  [[maybe_unused]] const ssize_t n = ::write(gPipe[1], &byte, 1);
  errno = saved;
}
}  // namespace

TSignalPipe::TSignalPipe() {
  if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : kSignals) ::sigaction(number, &action, nullptr);
}

TSignalPipe::~TSignalPipe() {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  for (const int number : kSignals) ::sigaction(number, &action, nullptr);
  for (int& fd : gPipe) {
    if (fd >= 0) ::close(std::exchange(fd, -1));
  }
}

int TSignalPipe::ReadEnd() const { return gPipe[0]; }

bool TSignalPipe::Drain() {
  char bytes[16];
  bool any = false;
  while (::read(gPipe[0], bytes, sizeof bytes) > 0) any = true;
  return any;
}
