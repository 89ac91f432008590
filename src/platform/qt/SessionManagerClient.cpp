#include "platform/qt/SessionManagerClient.h"

// Qt first: the X headers define Status as a macro.
#include <QCoreApplication>

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

struct TSessionManagerClient::TShared {
  std::mutex Mutex;
  QObject* MainThread = nullptr;  // none once the client is gone
  std::function<void()> OnDie;
  bool Serving = false;  // connected: the thread ends promptly when woken
  int Wake[2] = {-1, -1};
  std::string Address, Program;
  std::thread Thread;

  ~TShared() {
    for (const int fd : Wake) {
      if (fd >= 0) ::close(fd);
    }
  }
};

namespace {
using TShared = TSessionManagerClient::TShared;

// libICE's and libSM's own handlers end the process. Here an error marks the
// connection as lost, and the thread closes it where it is safe to.
thread_local bool tLost = false;

void OnIoError(IceConn) { tLost = true; }

void OnIceError(IceConn, Bool, int, unsigned long, int, int severity, IcePointer) {
  if (severity != IceCanContinue) tLost = true;
}

void OnSmError(SmcConn, Bool, int, unsigned long, int, int severity, SmPointer) {
  if (severity != IceCanContinue) tLost = true;
}

// What a session manager needs to know of a client: the program, how to start
// it again (only if it was running), and whose it is.
void SetProperties(SmcConn conn, const std::string& program) {
  const char* user = std::getenv("USER");
  const std::string userId = user != nullptr ? user : std::to_string(::getuid());
  SmPropValue programValue{static_cast<int>(program.size()), const_cast<char*>(program.data())};
  SmPropValue userValue{static_cast<int>(userId.size()), const_cast<char*>(userId.data())};
  char hint = SmRestartIfRunning;
  SmPropValue hintValue{1, &hint};
  SmProp programProp{const_cast<char*>(SmProgram), const_cast<char*>(SmARRAY8), 1, &programValue};
  SmProp restartProp{const_cast<char*>(SmRestartCommand), const_cast<char*>(SmLISTofARRAY8), 1, &programValue};
  SmProp cloneProp{const_cast<char*>(SmCloneCommand), const_cast<char*>(SmLISTofARRAY8), 1, &programValue};
  SmProp userProp{const_cast<char*>(SmUserID), const_cast<char*>(SmARRAY8), 1, &userValue};
  SmProp hintProp{const_cast<char*>(SmRestartStyleHint), const_cast<char*>(SmCARD8), 1, &hintValue};
  SmProp* props[] = {&programProp, &restartProp, &cloneProp, &userProp, &hintProp};
  SmcSetProperties(conn, 5, props);
}

void Serve(const std::shared_ptr<TShared>& shared) {
  // A manager gone while we write to it raises SIGPIPE on this thread, where it
  // stays blocked and is dropped with the thread.
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
  SmcCallbacks callbacks{};
  callbacks.save_yourself = {[](SmcConn conn, SmPointer, int, Bool, int, Bool) { SmcSaveYourselfDone(conn, True); }, nullptr};
  callbacks.die = {[](SmcConn, SmPointer data) {
                     auto* s = static_cast<TShared*>(data);
                     const std::lock_guard<std::mutex> lock(s->Mutex);
                     if (s->MainThread != nullptr) QMetaObject::invokeMethod(s->MainThread, s->OnDie, Qt::QueuedConnection);
                   },
                   shared.get()};
  callbacks.save_complete = {[](SmcConn, SmPointer) {}, nullptr};
  callbacks.shutdown_cancelled = {[](SmcConn, SmPointer) {}, nullptr};
  constexpr unsigned long kMask = SmcSaveYourselfProcMask | SmcDieProcMask | SmcSaveCompleteProcMask | SmcShutdownCancelledProcMask;
  char error[256] = "";
  char* id = nullptr;
  SmcConn conn = SmcOpenConnection(shared->Address.data(), nullptr, SmProtoMajor, SmProtoMinor, kMask, &callbacks, nullptr, &id,
                                   sizeof error, error);
  std::free(id);
  if (conn == nullptr) return;
  {
    const std::lock_guard<std::mutex> lock(shared->Mutex);
    shared->Serving = shared->MainThread != nullptr;
  }
  IceConn ice = SmcGetIceConnection(conn);
  if (shared->Serving) SetProperties(conn, shared->Program);
  IceProcessMessagesStatus status = IceProcessMessagesSuccess;
  while (shared->Serving && !tLost && status == IceProcessMessagesSuccess) {
    pollfd fds[] = {{IceConnectionNumber(ice), POLLIN, 0}, {shared->Wake[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
    if (fds[1].revents != 0) break;
    if (fds[0].revents != 0) status = IceProcessMessages(ice, nullptr, nullptr);
  }
  // A connection closed by the library is freed already.
  if (status != IceProcessMessagesConnectionClosed) SmcCloseConnection(conn, 0, nullptr);
}
}  // namespace

TSessionManagerClient::TSessionManagerClient(std::function<void()> onDie) {
  const char* address = std::getenv("SESSION_MANAGER");
  if (address == nullptr || *address == '\0') return;
  auto shared = std::make_shared<TShared>();
  if (::pipe2(shared->Wake, O_CLOEXEC) != 0) return;
  shared->MainThread = &FMainThread;
  shared->OnDie = std::move(onDie);
  shared->Address = address;
  shared->Program = QCoreApplication::applicationFilePath().toStdString();
  IceSetIOErrorHandler(OnIoError);
  IceSetErrorHandler(OnIceError);
  SmcSetErrorHandler(OnSmError);
  shared->Thread = std::thread([shared] { Serve(shared); });
  FShared = std::move(shared);
}

TSessionManagerClient::~TSessionManagerClient() {
  if (!FShared) return;
  bool serving = false;
  {
    const std::lock_guard<std::mutex> lock(FShared->Mutex);
    FShared->MainThread = nullptr;
    serving = FShared->Serving;
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = ::write(FShared->Wake[1], &byte, 1);
  }
  // A manager that never answered keeps its thread waiting; the process does not wait with it.
  if (serving) {
    FShared->Thread.join();
  } else {
    FShared->Thread.detach();
  }
}
