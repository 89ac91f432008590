// The desktop backend on a private X server, driven by real input: xdotool
// (XTest) for the keyboard and the pointer, a second program for a drag of
// files, SIGTERM for the end of the session. The input runs on a thread of its
// own while the test runs Qt's loop.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>
#include <cctype>
#include <chrono>

#include "Driver.h"
#include "DragScript.h"
#include "DropScript.h"
#include "InputThread.h"
#include "platform/qt/QtProgram.h"
#include "platform/qt/QtWindowSystem.h"
// Last: Xlib's macros would break the headers above.
#include "XServer.h"

namespace {

// One X server and one application for the whole program.
struct TDesktop {
  XServer Server{false};
  int Argc = 1;
  char Name[16] = "conformance";
  char* Argv[2] = {Name, nullptr};
  TQtProgram Program{Argc, Argv};
};

class TRecordingSystem : public TQtWindowSystem {
 public:
  void MessageBox(const AnsiString& text, const AnsiString&) override { Shown.push_back(text); }
  std::vector<AnsiString> Shown;
};

std::string KeyName(uint16_t key, bool alt) {
  std::string name = key == VK_ESCAPE ? "Escape" : key == VK_RETURN ? "Return" : key >= 0x70 && key <= 0x7B ? "F" + std::to_string(key - 0x6F)
                                                                                                              : std::string(1, char(std::tolower(key)));
  return alt ? "alt+" + name : name;
}

// Waits for the form's window (titled with its caption) to be mapped; the
// input itself then goes through XTest, as a user's does.
std::string Mapped(const TForm& form) {
  return "timeout 5 xdotool search --sync --onlyvisible --name '^" + form.Caption() + "$' ";
}

// The form's client point on the screen (no window manager: no frame).
std::string OnScreen(const TForm& form, TPoint at) { return std::to_string(form.Left() + at.x) + " " + std::to_string(form.Top() + at.y); }

class TQtDriver : public TDriver {
 public:
  TQtDriver() {
    static TDesktop desktop;
    FSystem = std::make_unique<TRecordingSystem>();
  }
  TWindowSystem& System() override { return *FSystem; }
  std::vector<AnsiString> MessageBoxes() override { return FSystem->Shown; }

  void Key(TForm& form, uint16_t key, bool alt) override {
    Shell(Mapped(form) + "windowfocus --sync; xdotool key " + KeyName(key, alt));
  }
  void RightClickAndChoose(TForm& form, TPoint at, char accessKey) override {
    // The key once the menu's window is up: one more window is mapped.
    Shell(Mapped(form) + ">/dev/null; windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }; n=$(windows); " +
          "xdotool mousemove " + OnScreen(form, at) + " click 3; for i in $(seq 50); do [ $(windows) -gt $n ] && break; sleep 0.1; done; " +
          "xdotool key " + accessKey);
  }
  void Drag(TForm& form, TPoint from, TPoint to) override {
    const TPoint start{form.Left() + from.x, form.Top() + from.y};
    Shell(Mapped(form) + ">/dev/null; " + DragScript("^" + form.Caption() + "$", start.x, start.y, {{start.x + to.x - from.x, start.y + to.y - from.y}}));
  }
  // A file manager's drag: pressed in its window, carried over the form, let go.
  void Drop(TForm& form, const std::vector<std::string>& files) override {
    Shell(DropScript(DRAG_SOURCE, files, form.Left() + 40, form.Top() + 40));
  }
  void Reveal(TForm& form) override { form.Invalidate(); }
  void EndSession(TForm& mainForm) override {
    FSession = FSystem->LinkSession(mainForm);
    Later([] { ::kill(::getpid(), SIGTERM); });
  }

  // Asks again after each event, and at least every 20 ms for what comes from elsewhere.
  bool RunUntil(const std::function<bool()>& done) override {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    QTimer wake;
    wake.start(20);
    while (!done() && std::chrono::steady_clock::now() < end) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
  }
  int Run() override {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this] { FSystem->Quit(-1); });
    watchdog.start(5000);
    return FSystem->Run();
  }

 private:
  void Shell(const std::string& command) {
    Later([command] { [[maybe_unused]] const int status = std::system(command.c_str()); });
  }
  void Later(std::function<void()> input) { FInput.Later(std::move(input)); }


  std::unique_ptr<TRecordingSystem> FSystem;
  std::unique_ptr<TSessionLink> FSession;
  TInputThread FInput;  // last: gone first, once the input given is done
};

}  // namespace

std::unique_ptr<TDriver> MakeDriver() { return std::make_unique<TQtDriver>(); }
