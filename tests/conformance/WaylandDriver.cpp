// The native Wayland backend on a headless sway (with-sway.sh starts it),
// driven by real input: the probe's virtual pointer and keyboard, a drag of
// files from the probe's own window, SIGTERM for the end of the session. The
// input runs on a thread of its own while the test runs the backend's loop; it
// waits for what the backend has seen, which the loop publishes every 10 ms.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "Driver.h"
#include "InputThread.h"
#include "platform/wayland/WaylandWindowSystem.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(5);

// The probe, one for the whole test program: its pointer lives as long as it
// does. Asked one command a line, it answers each with one line.
class TProbe {
 public:
  TProbe() {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    char* argv[] = {const_cast<char*>(WAYLAND_PROBE), nullptr};
    if (posix_spawn(&FPid, WAYLAND_PROBE, &actions, nullptr, argv, environ) != 0) FPid = 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    FTo = ::fdopen(in[1], "w");
    FFrom = ::fdopen(out[0], "r");
  }
  ~TProbe() {
    if (FTo != nullptr) std::fclose(FTo);  // its end of input ends it
    if (FFrom != nullptr) std::fclose(FFrom);
    if (FPid != 0) ::waitpid(FPid, nullptr, 0);
  }
  TProbe(const TProbe&) = delete;
  TProbe& operator=(const TProbe&) = delete;

  // Every command the driver gives answers "ok" when done.
  void Do(const std::string& command) {
    char line[256] = "";
    if (FTo == nullptr || std::fprintf(FTo, "%s\n", command.c_str()) < 0 || std::fflush(FTo) != 0 ||
        std::fgets(line, sizeof line, FFrom) == nullptr) {
      ADD_FAILURE() << "the probe did not answer " << command;
    }
    EXPECT_EQ(std::string(line, std::strcspn(line, "\n")), "ok") << command;
  }

 private:
  pid_t FPid = 0;
  FILE* FTo = nullptr;
  FILE* FFrom = nullptr;
};

TProbe& Probe() {
  static TProbe probe;
  return probe;
}

std::string KeyName(uint16_t key, bool alt) {
  const std::string name = key == VK_ESCAPE ? "escape" : key == VK_RETURN ? "return" : key >= 0x70 && key <= 0x7B ? "f" + std::to_string(key - 0x6F)
                                                                                                                   : std::string(1, char(std::tolower(key)));
  return alt ? name + " alt" : name;
}

std::string At(TPoint p) { return std::to_string(p.x) + " " + std::to_string(p.y); }

// What the backend has seen, as the loop last published it.
struct TSeen {
  HWND Window = 0;  // the window the input is for
  TRect Bounds;     // its bounds, as its form has them
  TPoint Pointer;   // CursorPos
  TPoint Screen;    // the primary screen's size
  bool MenuOpen = false;
  uint64_t Published = 0;
};

class TRecordingSystem : public TWaylandWindowSystem {
 public:
  TRecordingSystem() : TWaylandWindowSystem(/*forced=*/false) {}
  void MessageBox(const AnsiString& text, const AnsiString&) override { Shown.push_back(text); }
  int32_t TrackPopupMenu(HWND window, const TPopupMenu& menu, TPoint at) override {
    MenuOpen = true;
    const int32_t chosen = TWaylandWindowSystem::TrackPopupMenu(window, menu, at);
    MenuOpen = false;
    return chosen;
  }
  void PumpOnce() { Pump(); }
  std::vector<AnsiString> Shown;
  bool MenuOpen = false;
};

class TWaylandDriver : public TDriver {
 public:
  TWaylandDriver() : FSystem(std::make_unique<TRecordingSystem>()) {
    Probe();
    FPublisher = FSystem->SetTimer(10, [this] { Publish(); });
  }
  ~TWaylandDriver() override { FSystem->KillTimer(FPublisher); }
  TWindowSystem& System() override { return *FSystem; }
  std::vector<AnsiString> MessageBoxes() override { return FSystem->Shown; }

  // A layer surface takes the keyboard once clicked (a toplevel when it comes):
  // a click first, by the left edge (no control of ours is there), then the
  // key to whatever window has the keyboard.
  void Key(TForm& form, uint16_t key, bool alt) override {
    const HWND window = form.Handle();
    // Never where an earlier key's click was: the backend must see the pointer anew.
    const TPoint at{8 + FKeys++ % 4, form.Height() / 2};
    Later([=, this] {
      const std::optional<TPoint> point = PointAt(window, at);
      if (!point) return;
      Probe().Do("click " + At(*point) + " left");
      Probe().Do("key " + KeyName(key, alt));
    });
  }
  // The open menu takes the keys, wherever the keyboard is.
  void RightClickAndChoose(TForm& form, TPoint at, char accessKey) override {
    const HWND window = form.Handle();
    Later([=, this] {
      const std::optional<TPoint> point = PointAt(window, at);
      if (!point) return;
      Probe().Do("click " + At(*point) + " right");
      if (!Until([](const TSeen& s) { return s.MenuOpen; })) ADD_FAILURE() << "no menu";
      Probe().Do(std::string("key ") + char(std::tolower(accessKey)));
    });
  }
  // Pressed, carried in ten steps, let go.
  void Drag(TForm& form, TPoint from, TPoint to) override {
    const HWND window = form.Handle();
    Later([=, this] {
      const std::optional<TPoint> start = PointAt(window, from);
      if (!start) return;
      Probe().Do("press " + At(*start));
      constexpr int kSteps = 10;
      for (int i = 1; i <= kSteps; ++i) {
        Probe().Do("move " + At(TPoint{start->x + (to.x - from.x) * i / kSteps, start->y + (to.y - from.y) * i / kSteps}));
      }
      Probe().Do("release");
    });
  }
  // Dragged from the probe's own window, let go over the form.
  void Drop(TForm& form, const std::vector<std::string>& files) override {
    const HWND window = form.Handle();
    Later([=, this] {
      const std::optional<TPoint> at = PointAt(window, TPoint{40, 40});
      if (!at) return;
      std::string command = "drop " + At(*at);
      for (const std::string& file : files) command += " " + file;
      Probe().Do(command);
    });
  }
  void Reveal(TForm& form) override { form.Invalidate(); }
  // The session's end reaches this backend as a signal.
  void EndSession(TForm& /*mainForm*/) override {
    Later([] { ::kill(::getpid(), SIGTERM); });
  }

  // The publishing timer wakes the loop at least every 10 ms.
  bool RunUntil(const std::function<bool()>& done) override {
    const auto end = Clock::now() + kPatience;
    while (!done() && Clock::now() < end) FSystem->PumpOnce();
    return done();
  }
  int Run() override {
    const int32_t watchdog = FSystem->SetTimer(5000, [this] { FSystem->Quit(-1); });
    const int code = FSystem->Run();
    FSystem->KillTimer(watchdog);
    return code;
  }

 private:
  void Later(std::function<void()> input) { FInput.Later(std::move(input)); }

  // On the loop's thread.
  void Publish() {
    const std::lock_guard<std::mutex> lock(FMutex);
    FSeen.Bounds = FSystem->GetWindowRect(FSeen.Window);
    FSeen.Pointer = FSystem->CursorPos();
    FSeen.Screen = FSystem->PrimaryScreenSize();
    FSeen.MenuOpen = FSystem->MenuOpen;
    ++FSeen.Published;
  }
  TSeen Seen() {
    const std::lock_guard<std::mutex> lock(FMutex);
    return FSeen;
  }
  bool Until(const std::function<bool(const TSeen&)>& done) {
    const auto end = Clock::now() + kPatience;
    while (!done(Seen())) {
      if (Clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  // The pointer to a screen point; where the backend then has it (as it last
  // saw it over a window of ours). The compositor has sent it once the move is
  // answered; the loop has read it by the second publishing from then.
  TPoint MovedTo(TPoint point) {
    Probe().Do("move " + At(point));
    const uint64_t asked = Seen().Published;
    Until([asked](const TSeen& s) { return s.Published >= asked + 2; });
    return Seen().Pointer;
  }

  // The pointer on the window's client point, once the backend saw it there
  // (the window is on the screen and takes input): where that is on the screen.
  // A window the compositor places itself is not where its bounds say; the
  // backend tells a point over it relative to those bounds, which gives the
  // difference. Until it tells one, the guesses are the bounds and the output's
  // centre (where sway floats a window), in turn.
  std::optional<TPoint> PointAt(HWND window, TPoint at) {
    {
      const std::lock_guard<std::mutex> lock(FMutex);
      FSeen.Window = window;
      FSeen.Bounds = TRect{};
    }
    const auto end = Clock::now() + kPatience;
    TPoint shift{}, point{};
    for (int guess = 0; Clock::now() < end;) {
      const TSeen before = Seen();
      const TRect& b = before.Bounds;
      if (b == TRect{}) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      const TPoint target{b.Left + at.x, b.Top + at.y};
      point = TPoint{target.x + shift.x, target.y + shift.y};
      const TPoint seen = MovedTo(point);
      if (seen == target) return point;
      // Over the window when the backend followed the pointer: its report
      // changed, or changes with one more pixel (it may have kept its value).
      if (seen != before.Pointer || MovedTo(TPoint{point.x + 1, point.y}) == TPoint{seen.x + 1, seen.y}) {
        shift = TPoint{point.x - seen.x, point.y - seen.y};
      } else {
        const TPoint centred{(before.Screen.x - (b.Right - b.Left)) / 2 - b.Left, (before.Screen.y - (b.Bottom - b.Top)) / 2 - b.Top};
        shift = ++guess % 2 != 0 ? centred : TPoint{};
      }
    }
    ADD_FAILURE() << "the backend never saw the pointer over the window at " << At(point);
    return std::nullopt;
  }

  std::unique_ptr<TRecordingSystem> FSystem;
  int32_t FPublisher = 0;
  int FKeys = 0;
  std::mutex FMutex;
  TSeen FSeen;
  TInputThread FInput;  // last: gone first, once the input given is done
};

}  // namespace

std::unique_ptr<TDriver> MakeDriver() { return std::make_unique<TWaylandDriver>(); }
