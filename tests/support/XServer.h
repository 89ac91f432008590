#pragma once
// A private X server (Xvfb) for a test, optionally with a compositing manager;
// DISPLAY points at it while the object lives. A missing Xvfb fails the test.
#include <X11/Xlib.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

class XServer {
 public:
  // extraArgs go to Xvfb (say, "-extension" "MIT-SHM" for a server without it).
  explicit XServer(bool compositing, std::vector<const char*> extraArgs = {}) {
    for (FNumber = 90 + ::getpid() % 50; FNumber < 400; ++FNumber) {
      if (!std::filesystem::exists(Socket()) && !std::filesystem::exists("/tmp/.X" + std::to_string(FNumber) + "-lock")) break;
    }
    const std::string display = ":" + std::to_string(FNumber);
    // -noreset: the server must not restart when a probing client disconnects.
    std::vector<const char*> args{"Xvfb", display.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp", "-noreset"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    FServer = Start(args);
    // Ready once a client can connect, not merely once the socket exists.
    bool ready = false;
    for (int i = 0; i < 250 && !ready; ++i) {
      if (Display* d = XOpenDisplay(display.c_str())) {
        XCloseDisplay(d);
        ready = true;
      } else {
        Wait(20);
      }
    }
    if (!ready) {
      ADD_FAILURE() << "Xvfb did not start (is it installed? scripts/setup.sh installs it)";
      return;
    }
    const char* old = std::getenv("DISPLAY");
    FOldDisplay = old != nullptr ? old : "";
    FHadDisplay = old != nullptr;
    ::setenv("DISPLAY", display.c_str(), 1);
    if (compositing) StartCompositor(display);
  }
  ~XServer() {
    for (pid_t p : {FCompositor, FServer}) {
      if (p <= 0) continue;
      ::kill(p, SIGTERM);
      ::waitpid(p, nullptr, 0);
    }
    if (FHadDisplay) {
      ::setenv("DISPLAY", FOldDisplay.c_str(), 1);
    } else {
      ::unsetenv("DISPLAY");
    }
  }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // The server dies under its clients, as when the display goes away.
  void Kill() {
    for (pid_t* p : {&FCompositor, &FServer}) {
      if (*p <= 0) continue;
      ::kill(*p, SIGKILL);
      ::waitpid(*p, nullptr, 0);
      *p = -1;
    }
  }

 private:
  // xcompmgr, waited for until it owns the compositing selection (started again
  // if it gave up under load).
  void StartCompositor(const std::string& display) {
    Display* d = XOpenDisplay(display.c_str());
    if (d == nullptr) return;
    const Atom selection = XInternAtom(d, ("_NET_WM_CM_S" + std::to_string(DefaultScreen(d))).c_str(), False);
    for (int attempt = 0; attempt < 3 && XGetSelectionOwner(d, selection) == None; ++attempt) {
      if (FCompositor > 0) {
        ::kill(FCompositor, SIGTERM);
        ::waitpid(FCompositor, nullptr, 0);
      }
      FCompositor = Start({"xcompmgr", "-d", display.c_str()});
      for (int i = 0; i < 100 && XGetSelectionOwner(d, selection) == None; ++i) Wait(20);
    }
    if (XGetSelectionOwner(d, selection) == None) ADD_FAILURE() << "xcompmgr did not take the compositing selection";
    XCloseDisplay(d);
  }
  static void Wait(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  std::string Socket() const { return "/tmp/.X11-unix/X" + std::to_string(FNumber); }
  static pid_t Start(const std::vector<const char*>& argv) {
    std::vector<char*> args;
    for (const char* a : argv) args.push_back(const_cast<char*>(a));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::freopen("/dev/null", "w", stderr);
      ::execvp(args[0], args.data());
      ::_exit(127);
    }
    return pid;
  }

  int FNumber = 0;
  pid_t FServer = -1;
  pid_t FCompositor = -1;
  std::string FOldDisplay;
  bool FHadDisplay = false;
};
