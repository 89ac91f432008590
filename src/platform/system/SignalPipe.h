#pragma once
// SIGTERM, SIGHUP and SIGINT written into a pipe the event loop watches: the
// only thing a signal handler touches. Handlers are put back on destruction.
class TSignalPipe {
 public:
  TSignalPipe();
  ~TSignalPipe();
  TSignalPipe(const TSignalPipe&) = delete;
  TSignalPipe& operator=(const TSignalPipe&) = delete;

  int ReadEnd() const;
  // Empties the pipe; whether a signal had come.
  bool Drain();
};
