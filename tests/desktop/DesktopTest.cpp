// The real program on a private X server: where it hangs, what shows through
// its clear pixels, the menu, dragging, the end of the session and the restart.
#include <gtest/gtest.h>
// After gtest: Xlib's macros would break its templates.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "DragScript.h"
#include "DropScript.h"
#include "PngWriter.h"
#include "SessionManager.h"
#include "platform/Types.h"
#include "XServer.h"

namespace fs = std::filesystem;

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

int Shell(const std::string& command) { return std::system(command.c_str()); }

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p) != nullptr) out += buffer;
    ::pclose(p);
  }
  return out;
}

// The window under the pointer at a screen point; the awaited one, when given,
// as soon as it is there (the input shape follows the pointer), else after 5 s.
std::string WindowAt(int x, int y, const std::string& awaited = "") {
  Shell("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
  std::string window;
  for (int i = 0; i < 100; ++i) {
    const std::string out = Output("xdotool getmouselocation --shell");
    const size_t at = out.find("WINDOW=");
    window = at == std::string::npos ? "" : out.substr(at + 7, out.find('\n', at) - at - 7);
    if (awaited.empty() || window == awaited) break;
    Sleep(50);
  }
  return window;
}

// A shell function: `windows -eq 2` waits (5 s at most) until the program shows that many windows.
const std::string kWindows =
    "windows() { for i in $(seq 50); do [ $(xdotool search --onlyvisible --class Chimora | wc -l) $1 $2 ] && return 0; sleep 0.1; done; "
    "return 1; }; ";

// Right-click at a screen point, and the menu is up (one more window of the program).
std::string OpenMenu(int x, int y) {
  return kWindows + "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 3 && windows -gt 1";
}

// The menu's item of this access key, once the program shows this many windows again.
std::string ChooseFromMenu(int x, int y, char key, int windowsAfter) {
  return OpenMenu(x, y) + " && xdotool key " + key + " && windows -eq " + std::to_string(windowsAfter);
}

std::string FileText(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class Chime {
 public:
  // Settings under a folder of the test's own, so the build's own stay untouched.
  // errors: where its stderr goes, when given.
  // ownIpc: in an IPC namespace of its own, where no SysV segment is the server's.
  explicit Chime(const fs::path& config, const fs::path& errors = {}, bool ownIpc = false) {
    FPid = ::fork();
    if (FPid == 0) {
      if (ownIpc && ::unshare(CLONE_NEWIPC) != 0) ::_exit(126);
      if (!errors.empty()) ::freopen(errors.c_str(), "w", stderr);
      ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
      ::setenv("SDL_AUDIODRIVER", "dummy", 1);
      // X11 even inside a Wayland session: the test owns its X server.
      ::execl(CHIMORA_PROGRAM, CHIMORA_PROGRAM, "--backend=x11", static_cast<char*>(nullptr));
      ::_exit(127);
    }
  }
  ~Chime() {
    if (FPid > 0) {
      ::kill(FPid, SIGKILL);
      ::waitpid(FPid, nullptr, 0);
    }
  }
  // SIGTERM, as a logout does; the exit status.
  int Terminate() {
    ::kill(FPid, SIGTERM);
    return ExitStatus();
  }
  // The exit status once it has ended; still running after 5 s is a hang, which
  // fails the test and is killed.
  int ExitStatus() {
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 100 && (ended = ::waitpid(FPid, &status, WNOHANG)) == 0; ++i) Sleep(50);
    if (ended != FPid) {
      ADD_FAILURE() << "the chime did not end within 5 s";
      return -1;  // the destructor kills it
    }
    FPid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  // Whether it still runs (one that has ended is gone for ExitStatus).
  bool Running() { return ::waitpid(FPid, nullptr, WNOHANG) == 0; }
  // Its mappings, as /proc lists them.
  std::string Maps() const { return FileText("/proc/" + std::to_string(FPid) + "/maps"); }
  // How many sockets it holds open.
  size_t Sockets() const {
    std::error_code error;
    size_t n = 0;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(FPid) + "/fd", error)) {
      n += fs::read_symlink(fd.path(), error).string().rfind("socket:", 0) == 0;
    }
    return n;
  }
  // Its window's position and size, once it is mapped.
  std::optional<TRect> Window() { return WindowNamed("^FmChimora$"); }
  // Its window once it has come to (left, top), or where it is after 5 s.
  std::optional<TRect> WindowAt(int32_t left, int32_t top) { return WindowNamedAt("^FmChimora$", left, top); }
  // A window of the program once it is at (left, top), or where it is after 5 s.
  static std::optional<TRect> WindowNamedAt(const std::string& name, int32_t left, int32_t top) {
    std::optional<TRect> r;
    for (int i = 0; i < 50 && (!(r = WindowNamed(name)) || r->Left != left || r->Top != top); ++i) Sleep(100);
    return r;
  }
  // A window of the program, once it is mapped.
  static std::optional<TRect> WindowNamed(const std::string& name) {
    for (int i = 0; i < 100; ++i) {
      std::istringstream in(Output("xdotool search --onlyvisible --name " + name + " getwindowgeometry --shell 2>/dev/null"));
      std::map<std::string, int> v;
      for (std::string line; std::getline(in, line);) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) v[line.substr(0, eq)] = std::atoi(line.c_str() + eq + 1);
      }
      if (v.count("WIDTH") != 0) return TRect{v["X"], v["Y"], v["X"] + v["WIDTH"], v["Y"] + v["HEIGHT"]};
      Sleep(50);
    }
    return std::nullopt;
  }

 private:
  pid_t FPid = -1;
};

// The screen as it shows now (compositing included).
TBitmap Screenshot() {
  Display* d = XOpenDisplay(nullptr);
  TBitmap shot;
  if (d == nullptr) return shot;
  const int w = DisplayWidth(d, 0), h = DisplayHeight(d, 0);
  XImage* image = XGetImage(d, DefaultRootWindow(d), 0, 0, w, h, AllPlanes, ZPixmap);
  shot.SetPixelFormat(TPixelFormat::pf32bit);
  shot.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      uint8_t* px = shot.ScanLine(y) + 4 * x;
      px[0] = p & 0xFF;
      px[1] = (p >> 8) & 0xFF;
      px[2] = (p >> 16) & 0xFF;
      px[3] = 0xFF;
    }
  }
  XDestroyImage(image);
  XCloseDisplay(d);
  return shot;
}

uint32_t Rgb(const TBitmap& shot, int x, int y) {
  const uint8_t* p = shot.ScanLine(y) + 4 * x;
  return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// The desktop's colour, far from the chime (a compositing manager paints its own).
uint32_t DesktopColour(const TBitmap& shot) { return Rgb(shot, shot.Width() - 1, shot.Height() - 1); }

// Pixels of the window's rectangle that are not the desktop.
int Painted(const TBitmap& shot, const TRect& r) {
  const uint32_t kDesktop = DesktopColour(shot);
  int n = 0;
  for (int y = std::max(0, r.Top); y < std::min(shot.Height(), r.Bottom); ++y) {
    for (int x = std::max(0, r.Left); x < std::min(shot.Width(), r.Right); ++x) n += Rgb(shot, x, y) != kDesktop;
  }
  return n;
}

// Waits until the screen's rectangle r has changed n times (frames drawn there), at most 5 s.
bool FramesShown(const TRect& r, int n) {
  TBitmap last = Screenshot();
  for (int look = 0; look < 250 && n > 0; ++look) {
    Sleep(20);
    TBitmap now = Screenshot();
    for (int y = std::max(0, r.Top); y < std::min(now.Height(), r.Bottom); ++y) {
      const int left = std::max(0, r.Left), right = std::min(now.Width(), r.Right);
      if (!std::equal(now.ScanLine(y) + 4 * left, now.ScanLine(y) + 4 * right, last.ScanLine(y) + 4 * left)) {
        --n;
        break;
      }
    }
    last = std::move(now);
  }
  return n <= 0;
}

std::string Settings(const fs::path& config) { return FileText(config / "data" / "application.ini"); }

class Desktop : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::remove_all(config);
    // The user's override of the data folder keeps the test's settings apart from the build's.
    fs::create_directories(config / "korvessa" / "chimora");
    std::ofstream(config / "korvessa" / "chimora" / "registry.ini") << "[DATA]\nPATH=" << (config / "data").string() << "\n";
  }
  void TearDown() override { fs::remove_all(config); }
  // Corners clear, the chime itself drawn (waited for, at most 5 s).
  static void ExpectHangingChime(const TRect& r, const char* shotName) {
    TBitmap shot = Screenshot();
    for (int i = 0; i < 100 && Painted(shot, r) <= 300; ++i) {
      Sleep(50);
      shot = Screenshot();
    }
    if (const char* dir = std::getenv("CHIMORA_SCREENSHOTS")) WritePng(shot, std::string(dir) + "/" + shotName);
    const uint32_t kDesktop = DesktopColour(shot);
    for (const auto& [x, y] : {std::pair{r.Left + 2, r.Top + 2}, {r.Right - 3, r.Top + 2}, {r.Left + 2, r.Bottom - 3}, {r.Right - 3, r.Bottom - 3}}) {
      EXPECT_EQ(Rgb(shot, x, y), kDesktop) << shotName << " corner " << x << "," << y;
    }
    EXPECT_GT(Painted(shot, r), 300) << shotName;
    // The bell's own dark colours, not a silhouette painted over it.
    int dark = 0;
    for (int y = r.Top; y < r.Bottom; ++y) {
      for (int x = std::max(0, r.Left); x < std::min(shot.Width(), r.Right); ++x) {
        const uint32_t c = Rgb(shot, x, y);
        dark += c != kDesktop && (c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF) < 240;
      }
    }
    EXPECT_GT(dark, 50) << shotName;
  }
  fs::path config = fs::temp_directory_path() / ("chimora-desktop-" + std::to_string(::getpid()));
};

TEST_F(Desktop, HangsMenuDragEndAndRestartWithCompositing) {
  XServer x(true);
  {
    Chime chime(config);
    const auto r = chime.Window();
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->Top, 0);  // hangs from the top of the work area
    EXPECT_EQ(r->Right - r->Left, 160);
    ExpectHangingChime(*r, "chime-composited.png");
    // Clicks on clear pixels reach what lies beneath; on the bell they reach the chime.
    const std::string chimeWindow = Output("xdotool search --onlyvisible --name ^FmChimora$ | head -1");
    EXPECT_EQ(WindowAt(r->Left + 80, 25, chimeWindow.substr(0, chimeWindow.size() - 1)) + "\n", chimeWindow);
    EXPECT_NE(WindowAt(r->Left + 3, r->Top + 3) + "\n", chimeWindow);
    // Right-click on the bell, then the glass bell by its access key.
    ASSERT_EQ(Shell(ChooseFromMenu(r->Left + 80, 25, 'v', 1)), 0);
    // Drag far to the left: on release it comes back to hang 70 pixels out at most.
    ASSERT_EQ(Shell(DragScript("^FmChimora$", r->Left + 80, 25, {{300, 200}, {5, 300}})), 0);
    const auto moved = chime.WindowAt(-70, 0);
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(moved->Left, -70);
    EXPECT_EQ(moved->Top, 0);
    EXPECT_EQ(chime.Terminate(), 0);
  }
  const std::string stored = Settings(config);
  EXPECT_NE(stored.find("ling=1"), std::string::npos) << stored;
  EXPECT_NE(stored.find("LEFT=-70"), std::string::npos) << stored;
  Chime again(config);
  const auto r = again.Window();
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->Left, -70);
  EXPECT_EQ(r->Top, 0);
  // Alt+F4 on the chime ends it by itself: no signal is sent.
  ASSERT_EQ(Shell("xdotool search --onlyvisible --name ^FmChimora$ windowfocus --sync && xdotool key alt+F4"), 0);
  EXPECT_EQ(again.ExitStatus(), 0);
}

// The pointer arrives while the bell swings: what takes a click there is what
// shows there, the chime on its pixels, the desktop through its clear ones. While
// the pointer is elsewhere the window's shape is left alone.
TEST_F(Desktop, PointerArrivesWhileTheBellSwings) {
  XServer x(true);
  Chime chime(config);
  const auto r = chime.Window();
  ASSERT_TRUE(r.has_value());
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  const Window window = std::stoul(Output("xdotool search --onlyvisible --name ^FmChimora$ | head -1"));
  int shapeEvent = 0, shapeError = 0;
  ASSERT_TRUE(XShapeQueryExtension(d, &shapeEvent, &shapeError));
  XShapeSelectInput(d, window, ShapeNotifyMask);
  auto shapeChanges = [&] {
    int n = 0;
    for (XEvent e; XPending(d) > 0;) n += (XNextEvent(d, &e), e.type == shapeEvent);
    return n;
  };
  const std::string away = "xdotool mousemove 600 400 ";
  ASSERT_EQ(Shell(away), 0);
  ASSERT_TRUE(FramesShown(*r, 4));  // the chime has heard where the pointer went (every other frame asks)
  shapeChanges();
  ASSERT_TRUE(FramesShown(*r, 3));
  EXPECT_EQ(shapeChanges(), 0) << "the shape changed with the pointer elsewhere";
  // Whether the pixel under the pointer shows and whether the pointer is in the window, in one instant.
  auto agree = [&](int px, int py, bool& shown) {
    XGrabServer(d);
    XImage* pixel = XGetImage(d, window, px - r->Left, py - r->Top, 1, 1, AllPlanes, ZPixmap);
    shown = pixel != nullptr && (XGetPixel(pixel, 0, 0) >> 24) != 0;
    if (pixel != nullptr) XDestroyImage(pixel);
    Window root = 0, child = 0;
    int rx, ry, wx, wy;
    unsigned mask;
    XQueryPointer(d, DefaultRootWindow(d), &root, &child, &rx, &ry, &wx, &wy, &mask);
    XUngrabServer(d);
    XSync(d, False);
    return (child == window) == shown;
  };
  int onBell = 0, through = 0;
  for (int i = 0; i < 12; ++i) {
    const int px = r->Left + 60 + 4 * i, py = 30;  // across the bell's swing
    ASSERT_EQ(Shell(away + "mousemove " + std::to_string(px) + " " + std::to_string(py)), 0);
    ASSERT_TRUE(FramesShown(*r, 2));  // presented with the pointer there
    bool shown = false;
    // A second look, a frame later, when the first fell between the shape and the picture of one frame.
    const bool agreed = agree(px, py, shown) || (FramesShown(*r, 1), agree(px, py, shown));
    EXPECT_TRUE(agreed) << "at " << px << "," << py << (shown ? " the bell shows" : " nothing shows");
    (shown ? onBell : through)++;
  }
  EXPECT_GT(onBell, 0);
  EXPECT_GT(through, 0);
  EXPECT_GT(shapeChanges(), 0);
  XCloseDisplay(d);
  EXPECT_EQ(chime.Terminate(), 0);
}

// In an IPC namespace of its own the chime's frames still go through shared
// memory (segments handed over by descriptor), and show as drawn.
TEST_F(Desktop, FramesThroughSharedMemoryFromAnotherIpcNamespace) {
  XServer x(true);
  Chime chime(config, {}, true);
  const auto r = chime.Window();
  ASSERT_TRUE(r.has_value());
  ASSERT_TRUE(chime.Running());
  std::string maps;
  for (int i = 0; i < 100 && (maps = chime.Maps()).find("memfd:chimora-frame") == std::string::npos; ++i) Sleep(50);
  EXPECT_NE(maps.find("memfd:chimora-frame"), std::string::npos);
  ExpectHangingChime(*r, "chime-own-ipc.png");
  EXPECT_EQ(chime.Terminate(), 0);
}

// Two monitors, the second lower than the first: a chime dragged onto the second
// hangs from the top of that one's work area, and comes back there.
TEST_F(Desktop, HangsFromTheSecondMonitorItWasDraggedTo) {
  XServer x(true, {"-screen", "0", "2560x900x24"});
  ASSERT_EQ(Shell("xrandr --setmonitor left 1280/338x800/211+0+0 screen >/dev/null && xrandr --setmonitor right 1280/338x800/211+1280+100 none >/dev/null"), 0);
  {
    Chime chime(config);
    const auto r = chime.Window();
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->Top, 0);
    ASSERT_EQ(Shell(DragScript("^FmChimora$", r->Left + 80, 25, {{1200, 300}, {1800, 500}})), 0);
    const auto moved = chime.WindowAt(1800 - 80, 100);
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(moved->Left, 1800 - 80);
    EXPECT_EQ(moved->Top, 100);
    EXPECT_EQ(chime.Terminate(), 0);
  }
  Chime again(config);
  const auto r = again.Window();
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->Left, 1800 - 80);
  EXPECT_EQ(r->Top, 100);
  EXPECT_EQ(again.Terminate(), 0);
}

TEST_F(Desktop, ShapedWithoutCompositingAndLayeredOnceAManagerStarts) {
  XServer x(false);
  Chime chime(config);
  const auto r = chime.Window();
  ASSERT_TRUE(r.has_value());
  ExpectHangingChime(*r, "chime-shaped.png");
  const std::string manager = Output("xcompmgr >/dev/null 2>&1 & echo $!");
  // Layered once the manager is there: the window loses its shape.
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  const Window window = std::stoul(Output("xdotool search --onlyvisible --name ^FmChimora$ | head -1"));
  auto shaped = [&] {
    int bounding = 0, xb, yb, xc, yc, clip = 0;
    unsigned wb, hb, wc, hc;
    XShapeQueryExtents(d, window, &bounding, &xb, &yb, &wb, &hb, &clip, &xc, &yc, &wc, &hc);
    return bounding != 0;
  };
  for (int i = 0; i < 100 && shaped(); ++i) Sleep(50);
  EXPECT_FALSE(shaped());
  XCloseDisplay(d);
  ASSERT_TRUE(FramesShown(*r, 2));
  ExpectHangingChime(*r, "chime-late-manager.png");
  EXPECT_EQ(chime.Terminate(), 0);
  Shell("kill " + manager);
}

// What a user's hand edits or a damaged disk can leave: the chime still hangs on the screen.
TEST_F(Desktop, StartsOnScreenFromAHostileSettingsFile) {
  fs::create_directories(config / "data");
  std::ofstream(config / "data" / "application.ini", std::ios::binary)
      << "[chimora]\nling=-7\nwind=2147483647\nsound=x\npaper=" << std::string(100000, 'p') << "\xFF\x81\x7F\xFD\n"
      << "[TFMCHIMORA]\nLEFT=2147483647\nTOP=-2147483648\nWIDTH=-5\nHEIGHT=99999999\n";
  XServer x(false);
  Chime chime(config);
  const auto r = chime.Window();
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->Top, 0);
  EXPECT_GE(r->Left, -70);
  EXPECT_LE(r->Right, 640 + 70);
  EXPECT_EQ(chime.Terminate(), 0);
}

// A logout while the settings cannot be stored (the data folder is no folder):
// no dialog waits for anyone, the chime ends at once and normally.
TEST_F(Desktop, EndsAtOnceWhenTheSettingsCannotBeStored) {
  std::ofstream(config / "korvessa" / "chimora" / "registry.ini") << "[DATA]\nPATH=/dev/null\n";
  XServer x(false);
  Chime chime(config, config / "stderr.txt");
  ASSERT_TRUE(chime.Window().has_value());
  EXPECT_EQ(chime.Terminate(), 0);
  const std::string said = FileText(config / "stderr.txt");
  EXPECT_NE(said.find("chimora: /dev/null/application.ini に書き込めません"), std::string::npos) << said;
}

// A session manager asks the chime to save at a checkpoint, and the chime goes
// on; as the session ends it asks again and tells it to die: the chime ends at
// once, though its settings cannot be stored, with no dialog to hold up the end.
TEST_F(Desktop, GoesOnAfterACheckpointAndEndsWithTheSession) {
  std::ofstream(config / "korvessa" / "chimora" / "registry.ini") << "[DATA]\nPATH=/dev/null\n";
  SessionManager session;
  XServer x(false);
  Chime chime(config, config / "stderr.txt");
  ASSERT_TRUE(session.WaitForClient());
  ASSERT_TRUE(chime.Window().has_value());
  ASSERT_TRUE(session.SaveYourself(false));
  EXPECT_FALSE(session.PumpUntil([&] { return !chime.Running(); }, 1));
  ASSERT_TRUE(session.SaveYourself(true));
  EXPECT_TRUE(chime.Running());
  session.Die();
  EXPECT_EQ(chime.ExitStatus(), 0);
  const std::string said = FileText(config / "stderr.txt");
  EXPECT_NE(said.find("chimora: /dev/null/application.ini に書き込めません"), std::string::npos) << said;
}

// A session manager that takes the connection and never answers does not hold
// up the start; one that dies leaves the chime running as if there were none.
TEST_F(Desktop, ASessionManagerThatNeverAnswersOrDiesChangesNothing) {
  XServer x(false);
  {
    SessionManager silent;  // never pumped: the connection waits in its queue
    Chime chime(config);
    ASSERT_TRUE(chime.Window().has_value());
    EXPECT_EQ(chime.Terminate(), 0);
  }
  EXPECT_NE(Settings(config).find("wind=8"), std::string::npos);
  auto session = std::make_unique<SessionManager>();
  Chime chime(config, config / "stderr.txt");
  ASSERT_TRUE(session->WaitForClient());
  ASSERT_TRUE(chime.Window().has_value());
  const size_t connected = chime.Sockets();
  session.reset();
  for (int i = 0; i < 100 && chime.Running() && chime.Sockets() >= connected; ++i) Sleep(50);
  ASSERT_TRUE(chime.Running()) << "the manager's end ended the chime";
  EXPECT_LT(chime.Sockets(), connected) << "the connection to the dead manager is still open";
  EXPECT_EQ(chime.Terminate(), 0);
  EXPECT_EQ(FileText(config / "stderr.txt").find("chimora:"), std::string::npos) << "a word about nothing the user did";
}

// The display dies while the menu or the information window is open (Qt holds
// fonts for them): the chime says so, stores its settings and ends with status 1,
// never an abort.
TEST_F(Desktop, TheDisplayDiesWithTheMenuOrTheInformationWindowOpen) {
  for (const bool information : {false, true}) {
    fs::remove_all(config / "data");
    XServer x(false);
    Chime chime(config, config / "stderr.txt");
    const auto r = chime.Window();
    ASSERT_TRUE(r.has_value());
    ASSERT_EQ(Shell(information ? ChooseFromMenu(r->Left + 80, 25, 'i', 2) : OpenMenu(r->Left + 80, 25)), 0);
    x.Kill();
    EXPECT_EQ(chime.ExitStatus(), 1) << information;
    EXPECT_NE(Settings(config).find("TOP=0"), std::string::npos) << information;
    const std::string said = FileText(config / "stderr.txt");
    EXPECT_NE(said.find("chimora: ディスプレイとの接続が切れたので終了します"), std::string::npos) << said;
  }
}

// A file manager drags a file that is no picture and then a picture; the last one
// goes on the strip. Then the display dies under the chime: it says so, stores
// its settings and ends.
TEST_F(Desktop, DropFromAFileManagerThenTheDisplayDies) {
  const fs::path note = config / "note.txt", picture = config / "picture.png";
  std::ofstream(note) << "not a picture";
  TBitmap red;
  red.SetPixelFormat(TPixelFormat::pf24bit);
  red.SetSize(40, 60);
  for (int y = 0; y < 60; ++y) std::fill_n(red.ScanLine(y), 120, 0x40);
  WritePng(red, picture.string());
  XServer x(false);
  Chime chime(config);
  const auto r = chime.Window();
  ASSERT_TRUE(r.has_value());
  ASSERT_EQ(Shell(DropScript(DRAG_SOURCE, {note.string(), picture.string()}, r->Left + 80, 30)), 0);
  x.Kill();
  EXPECT_EQ(chime.ExitStatus(), 1);
  const std::string stored = Settings(config);
  EXPECT_NE(stored.find("paper=" + picture.string() + "\r\n"), std::string::npos) << stored;
  EXPECT_NE(stored.find("TOP=0"), std::string::npos) << stored;
}

// The information window from the menu by its access key: a white card with a
// two-pixel black rounded border, centred; dragged by its version text, not by
// its button; closed by the button. The chime swings on while it is open.
TEST_F(Desktop, InformationWindowFromTheMenu) {
  XServer x(true);
  Chime chime(config);
  const auto r = chime.Window();
  ASSERT_TRUE(r.has_value());
  ASSERT_EQ(Shell(ChooseFromMenu(r->Left + 80, 25, 'i', 2)), 0);
  const auto about = Chime::WindowNamed("^FormVersionInfo$");
  ASSERT_TRUE(about.has_value());
  const int left = about->Left, top = about->Top;
  EXPECT_EQ(about->Right - left, 247);
  EXPECT_EQ(about->Bottom - top, 222);
  EXPECT_EQ(left, (640 - 247) / 2);
  EXPECT_EQ(top, (480 - 222) / 2);
  TBitmap shot = Screenshot();
  for (int i = 0; i < 100 && Rgb(shot, left + 3, top + 110) != 0xFFFFFFu; ++i) {  // painted
    Sleep(50);
    shot = Screenshot();
  }
  if (const char* dir = std::getenv("CHIMORA_SCREENSHOTS")) WritePng(shot, std::string(dir) + "/information.png");
  EXPECT_EQ(Rgb(shot, left, top), DesktopColour(shot));  // the rounded corner is cut away
  const int mid = top + 110;
  EXPECT_EQ(Rgb(shot, left, mid), 0x000000u);
  EXPECT_EQ(Rgb(shot, left + 1, mid), 0x000000u);
  EXPECT_EQ(Rgb(shot, left + 3, mid), 0xFFFFFFu);
  EXPECT_EQ(Rgb(shot, left + 5, mid), 0x808080u);  // the panel below the title
  EXPECT_GT(Painted(shot, TRect{left + 52, top + 40, left + 228, top + 64}), 100);  // the texts
  // Frames keep coming while the window is modal. The window hides the strip and
  // a light wind can leave the bell still for a second or two, so the chime has
  // five seconds to change three times between two looks; a stopped one never does.
  EXPECT_TRUE(FramesShown(*r, 3));
  ASSERT_EQ(Shell(DragScript("^FormVersionInfo$", left + 60, top + 58, {{left + 160, top + 110}})), 0);
  const auto dragged = Chime::WindowNamedAt("^FormVersionInfo$", left + 100, top + 52);
  ASSERT_TRUE(dragged.has_value());
  EXPECT_EQ(dragged->Left, left + 100);
  EXPECT_EQ(dragged->Top, top + 52);
  // A press on the button that leaves it neither drags nor closes.
  const int bx = dragged->Left + 199, by = dragged->Top + 200;
  ASSERT_EQ(Shell("xdotool mousemove " + std::to_string(bx) + " " + std::to_string(by) + " mousedown 1 mousemove " +
                  std::to_string(bx - 120) + " " + std::to_string(by - 80) + " mouseup 1"), 0);
  ASSERT_TRUE(FramesShown(*r, 2));  // the chime's loop has gone round since the release
  const auto still = Chime::WindowNamed("^FormVersionInfo$");
  ASSERT_TRUE(still.has_value());
  EXPECT_EQ(still->Left, dragged->Left);
  ASSERT_EQ(Shell("xdotool mousemove " + std::to_string(bx) + " " + std::to_string(by) + " click 1"), 0);
  std::string open = "?";
  for (int i = 0; i < 100 && !(open = Output("xdotool search --onlyvisible --name ^FormVersionInfo$")).empty(); ++i) Sleep(50);
  EXPECT_EQ(open, "");
  EXPECT_EQ(chime.Terminate(), 0);
}

}  // namespace

// A dense screen (Xft.dpi 192, as desktops set it at a scale of 2) under a
// 60-pixel panel: the chime is twice as large in pixels, hangs below the panel,
// takes clicks on the bell and lets them through its clear pixels; its menu
// comes up where it was asked for, a drag ends 70 units past the edge, the
// information window is twice as large, and the position it stores is in units,
// so it comes back to the same pixels.
TEST_F(Desktop, TwiceAsLargeOnADenseScreen) {
  XServer x(true, {"-screen", "0", "3840x2160x24"});
  ASSERT_EQ(Shell("echo 'Xft.dpi: 192' | xrdb -merge"), 0);
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(d, nullptr);
  const Window panel = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 3840, 60, 0, 0, 0x303030);
  const Atom dock = XInternAtom(d, "_NET_WM_WINDOW_TYPE_DOCK", False);
  XChangeProperty(d, panel, XInternAtom(d, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&dock), 1);
  const long strut[12] = {0, 0, 60, 0, 0, 0, 0, 0, 0, 3839, 0, 0};
  XChangeProperty(d, panel, XInternAtom(d, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(strut), 12);
  XMapWindow(d, panel);
  XSync(d, False);
  int32_t left = 0;
  {
    Chime chime(config);
    const auto r = chime.Window();
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->Right - r->Left, 320);
    EXPECT_EQ(r->Bottom - r->Top, 320);
    EXPECT_EQ(r->Top, 60);
    left = r->Left;
    ExpectHangingChime(*r, "chime-scale2.png");
    const std::string chimeWindow = Output("xdotool search --onlyvisible --name ^FmChimora$ | head -1");
    const int bellX = r->Left + 160, bellY = r->Top + 50;
    EXPECT_EQ(WindowAt(bellX, bellY, chimeWindow.substr(0, chimeWindow.size() - 1)) + "\n", chimeWindow);
    EXPECT_NE(WindowAt(r->Left + 6, r->Top + 6) + "\n", chimeWindow);
    // The menu comes up at the click, as large as the desktop's fonts make it.
    ASSERT_EQ(Shell(OpenMenu(bellX, bellY)), 0);
    std::istringstream menu(Output("for w in $(xdotool search --onlyvisible --class Chimora); do [ $w = " + chimeWindow.substr(0, chimeWindow.size() - 1) +
                                   " ] || xdotool getwindowgeometry $w; done | sed -n 's/.*Position: \\([0-9]*\\),\\([0-9]*\\).*/\\1 \\2/p; s/.*Geometry: \\([0-9]*\\)x\\([0-9]*\\).*/\\1 \\2/p'"));
    int menuX = -1, menuY = -1, menuWidth = 0, menuHeight = 0;
    menu >> menuX >> menuY >> menuWidth >> menuHeight;
    EXPECT_LE(std::abs(menuX - bellX) + std::abs(menuY - bellY), 8) << menuX << "," << menuY;
    EXPECT_GT(menuHeight, 0);
    EXPECT_LT(menuHeight, 700);  // not the desktop's size twice over
    // Gone before the press that follows, which the menu would otherwise take as a click outside it.
    ASSERT_EQ(Shell(kWindows + "xdotool key Escape && windows -eq 1"), 0);
    // Dragged far to the left, it comes back to hang 70 units (140 pixels) out at most.
    ASSERT_EQ(Shell(DragScript("^FmChimora$", bellX, bellY, {{600, 400}, {10, 500}})), 0);
    const auto moved = chime.WindowAt(-140, 60);
    ASSERT_TRUE(moved.has_value());
    EXPECT_EQ(moved->Left, -140);
    EXPECT_EQ(moved->Top, 60);
    left = moved->Left;
    ASSERT_EQ(Shell(ChooseFromMenu(left + 160, bellY, 'i', 2)), 0);
    const auto about = Chime::WindowNamed("^FormVersionInfo$");
    ASSERT_TRUE(about.has_value());
    EXPECT_EQ(about->Right - about->Left, 2 * 247);
    EXPECT_EQ(about->Bottom - about->Top, 2 * 222);
    EXPECT_EQ(chime.Terminate(), 0);
  }
  const std::string stored = Settings(config);
  EXPECT_NE(stored.find("LEFT=" + std::to_string(left / 2) + "\r\n"), std::string::npos) << stored;
  EXPECT_NE(stored.find("TOP=30\r\n"), std::string::npos) << stored;
  Chime again(config);
  const auto r = again.WindowAt(left, 60);
  ASSERT_TRUE(r.has_value());
  EXPECT_EQ(r->Left, left);
  EXPECT_EQ(r->Top, 60);
  EXPECT_EQ(again.Terminate(), 0);
  XCloseDisplay(d);
}
