#pragma once
// A session manager for a test, as a desktop runs one: programs started while it
// lives find it through SESSION_MANAGER and register; the test asks them to save
// (a checkpoint, or before the session ends) and to die. It works only while the
// test pumps it.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

class SessionManager {
 public:
  SessionManager() {
    // A client that has gone must not take the test with it.
    FOldPipe = ::signal(SIGPIPE, SIG_IGN);
    FOldIoError = IceSetIOErrorHandler([](IceConn) {});
    // Nobody's authority file: connections from this machine are let in.
    ::setenv("ICEAUTHORITY", "/dev/null", 1);
    char error[256] = "";
    if (SmsInitialize("chimora-test", "1.0", NewClient, this, AnyHost, sizeof error, error) == 0 ||
        IceListenForConnections(&FListenCount, &FListen, sizeof error, error) == 0) {
      ADD_FAILURE() << "no session manager: " << error;
      return;
    }
    for (int i = 0; i < FListenCount; ++i) IceSetHostBasedAuthProc(FListen[i], AnyHost);
    char* ids = IceComposeNetworkIdList(FListenCount, FListen);
    ::setenv("SESSION_MANAGER", ids, 1);
    std::free(ids);
  }
  ~SessionManager() {
    ::unsetenv("SESSION_MANAGER");
    for (Client& c : FClients) Close(c);
    if (FListen != nullptr) IceFreeListenObjs(FListenCount, FListen);
    IceSetIOErrorHandler(FOldIoError);
    ::signal(SIGPIPE, FOldPipe);
  }
  SessionManager(const SessionManager&) = delete;
  SessionManager& operator=(const SessionManager&) = delete;

  // Serves connections and messages until done() or the time has passed.
  bool PumpUntil(const std::function<bool()>& done, int seconds = 5) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done() && std::chrono::steady_clock::now() < end) Pump(50);
    return done();
  }
  bool WaitForClient() {
    return PumpUntil([this] { return !FClients.empty() && FClients.front().Registered; });
  }
  // Asks every client to save, as the session ends or as a checkpoint, and
  // waits until they all have.
  bool SaveYourself(bool shutdown) {
    for (Client& c : FClients) {
      c.Saved = c.Sms == nullptr;
      if (c.Sms != nullptr) SmsSaveYourself(c.Sms, SmSaveBoth, shutdown, SmInteractStyleAny, False);
    }
    return PumpUntil([this] { return std::all_of(FClients.begin(), FClients.end(), [](const Client& c) { return c.Saved; }); });
  }
  void Die() {
    for (Client& c : FClients) {
      if (c.Sms != nullptr) SmsDie(c.Sms);
    }
  }

 private:
  struct Client {
    IceConn Ice = nullptr;
    SmsConn Sms = nullptr;
    bool Registered = false;
    bool Saved = false;
    bool Closing = false;  // the client said goodbye
  };

  static Bool AnyHost(char*) { return True; }

  void Pump(int ms) {
    std::vector<pollfd> fds;
    for (int i = 0; i < FListenCount; ++i) fds.push_back({IceGetListenConnectionNumber(FListen[i]), POLLIN, 0});
    for (const Client& c : FClients) fds.push_back({c.Ice != nullptr ? IceConnectionNumber(c.Ice) : -1, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), ms) <= 0) return;
    for (int i = 0; i < FListenCount; ++i) {
      if ((fds[i].revents & POLLIN) == 0) continue;
      IceAcceptStatus status;
      if (IceConn ice = IceAcceptConnection(FListen[i], &status)) FClients.push_back(Client{ice});
    }
    for (size_t i = FListenCount; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      Client& c = FClients[i - FListenCount];
      if (IceProcessMessages(c.Ice, nullptr, nullptr) != IceProcessMessagesSuccess || c.Closing) Close(c);
    }
  }

  // Outside the library's dispatch, and without asking the client first, so
  // that the connection is freed at once.
  static void Close(Client& c) {
    if (c.Sms != nullptr) SmsCleanUp(std::exchange(c.Sms, nullptr));
    if (c.Ice == nullptr) return;
    IceSetShutdownNegotiation(c.Ice, False);
    IceCloseConnection(std::exchange(c.Ice, nullptr));
  }

  Client* Find(SmsConn sms) {
    for (Client& c : FClients) {
      if (c.Sms == sms) return &c;
    }
    return nullptr;
  }

  // The connection that asks is the newest one accepted.
  static Status NewClient(SmsConn sms, SmPointer data, unsigned long* mask, SmsCallbacks* cb, char**) {
    auto* self = static_cast<SessionManager*>(data);
    if (self->FClients.empty()) return 0;
    self->FClients.back().Sms = sms;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    cb->register_client = {[](SmsConn s, SmPointer d, char*) -> Status {
                             char* id = SmsGenerateClientID(s);
                             const Status ok = id != nullptr && SmsRegisterClientReply(s, id);
                             std::free(id);
                             if (Client* c = static_cast<SessionManager*>(d)->Find(s)) c->Registered = ok != 0;
                             return ok;
                           },
                           self};
    cb->interact_request = {[](SmsConn s, SmPointer, int) { SmsInteract(s); }, self};
    cb->interact_done = {[](SmsConn, SmPointer, Bool) {}, self};
    cb->save_yourself_request = {[](SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}, self};
    cb->save_yourself_phase2_request = {[](SmsConn s, SmPointer) { SmsSaveYourselfPhase2(s); }, self};
    cb->save_yourself_done = {[](SmsConn s, SmPointer d, Bool) {
                                if (Client* c = static_cast<SessionManager*>(d)->Find(s)) c->Saved = true;
                              },
                              self};
    cb->close_connection = {[](SmsConn s, SmPointer d, int count, char** reasons) {
                              SmFreeReasons(count, reasons);
                              if (Client* c = static_cast<SessionManager*>(d)->Find(s)) c->Closing = true;
                            },
                            self};
    cb->set_properties = {[](SmsConn, SmPointer, int count, SmProp** props) {
                            for (int i = 0; i < count; ++i) SmFreeProperty(props[i]);
                            std::free(props);
                          },
                          self};
    cb->delete_properties = {[](SmsConn, SmPointer, int count, char** names) {
                               for (int i = 0; i < count; ++i) std::free(names[i]);
                               std::free(names);
                             },
                             self};
    cb->get_properties = {[](SmsConn s, SmPointer) { SmsReturnProperties(s, 0, nullptr); }, self};
    return 1;
  }

  sighandler_t FOldPipe;
  IceIOErrorHandler FOldIoError;
  int FListenCount = 0;
  IceListenObj* FListen = nullptr;
  std::vector<Client> FClients;
};
