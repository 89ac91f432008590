// The promises of the window-system contract, one case each, run the same way
// against every backend through its driver.
#include <gtest/gtest.h>

#include <filesystem>

#include "Driver.h"
#include "TempFolder.h"
#include "app/ProgramObjects.h"
#include "app/vrelGlobal.h"
#include "forms/FormDragDrop.h"
#include "platform/Exception.h"
#include "platform/system/SystemInfo.h"
#include "platform/window/Menus.h"
#include "windows/UnitFormVersionInfo.h"

namespace fs = std::filesystem;

namespace {

// A form that records every message and lets a case act on them first.
class TProbe : public TForm {
 public:
  explicit TProbe(TWindowSystem& system, bool main = false) : TForm(system, "TProbe", "Probe") {
    MainForm = main;
    SetBounds(100, 80, 200, 150);
  }
  size_t Count(uint32_t msg) const {
    return static_cast<size_t>(std::count_if(Received.begin(), Received.end(), [msg](const TMessage& m) { return m.Msg == msg; }));
  }
  std::vector<TMessage> Received;
  std::function<void(TMessage&)> OnMessage;

 protected:
  void WndProc(TMessage& message) override {
    Received.push_back(message);
    if (OnMessage) OnMessage(message);
    TForm::WndProc(message);
  }
};

constexpr int32_t kTimedOut = 99;

class Contract : public ::testing::Test {
 protected:
  std::unique_ptr<TDriver> driver = MakeDriver();
  TWindowSystem& system = driver->System();
};

TEST_F(Contract, AltF4ClosesAFormThatHasNoMenuKeyForIt) {
  TProbe form(system);
  form.Show();
  driver->Key(form, VK_F4, true);
  EXPECT_TRUE(driver->RunUntil([&] { return form.Closing(); }));
}

TEST_F(Contract, RightClickOpensTheMenuAtThePointer) {
  TProbe form(system);
  TPopupMenu menu(system);
  bool chosen = false;
  menu.Add("Go", "&Go")->OnClick = [&](TMenuItem*) { chosen = true; };
  form.PopupMenu = &menu;
  form.Show();
  driver->RightClickAndChoose(form, TPoint{50, 40}, 'g');
  ASSERT_TRUE(driver->RunUntil([&] { return chosen; }));
  ASSERT_EQ(form.Count(WM_CONTEXTMENU), 1u);
  const auto asked = std::find_if(form.Received.begin(), form.Received.end(), [](const TMessage& m) { return m.Msg == WM_CONTEXTMENU; });
  EXPECT_EQ(asked->LParam, MakeLParam(form.Left() + 50, form.Top() + 40));
}

TEST_F(Contract, EscapeReturnAndAltF4CloseTheInformationWindow) {
  TProgramObjects objects;
  TProbe owner(system);
  struct Case {
    uint16_t key;
    bool alt;
  };
  for (const Case& c : {Case{VK_ESCAPE, false}, Case{VK_RETURN, false}, Case{VK_F4, true}}) {
    TFormVersionInfo about(owner);
    driver->Key(about, c.key, c.alt);
    const int32_t watchdog = system.SetTimer(5000, [&] { about.ModalResult = kTimedOut; });
    EXPECT_EQ(about.ShowModal(), mrCancel) << c.key;
    system.KillTimer(watchdog);
  }
}

// A main form: where the system places the other forms itself, it also moves them.
TEST_F(Contract, AMoveLoopEndsWithOneExitSizeMove) {
  TProbe form(system, true);
  bool moving = false;
  form.OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_MOUSEMOVE && m.WParam == MK_LBUTTON && !moving) {
      moving = true;
      system.StartMoveLoop(form.Handle(), m.LParam);
    }
    if (m.Msg == WM_EXITSIZEMOVE) moving = false;
  };
  form.Show();
  const TRect before = form.BoundsRect();
  driver->Drag(form, TPoint{20, 20}, TPoint{60, 50});
  ASSERT_TRUE(driver->RunUntil([&] { return form.Count(WM_EXITSIZEMOVE) > 0 && !moving; }));
  EXPECT_EQ(form.Count(WM_EXITSIZEMOVE), 1u);
  // With the pointer; a system may follow it only from the first move after the press (5 pixels in).
  EXPECT_NEAR(form.Left(), before.Left + 40, 5);
  EXPECT_NEAR(form.Top(), before.Top + 30, 5);
}

TEST_F(Contract, EachPaintComesRightAfterAnErase) {
  TProbe form(system);
  form.Show();
  driver->Reveal(form);
  ASSERT_TRUE(driver->RunUntil([&] { return form.Count(WM_PAINT) > 0; }));
  for (size_t i = 0; i < form.Received.size(); ++i) {
    if (form.Received[i].Msg == WM_PAINT) {
      EXPECT_TRUE(i > 0 && form.Received[i - 1].Msg == WM_ERASEBKGND) << i;
    }
  }
}

// The last name has characters the system's code page lacks.
TEST_F(Contract, ADropOfThreeNamesArrivesInOrder) {
  TempFolder folder("drop");
  const std::vector<std::string> given = {"b-first.png", "a-second.txt", "c-été-🔔.png"};
  std::vector<AnsiString> expected;
  std::vector<std::string> files;
  for (const std::string& name : given) {
    expected.push_back(folder.Write(name, std::string("x")));
    const std::u8string path = (folder / name).u8string();
    files.emplace_back(path.begin(), path.end());
  }
  TProbe form(system);
  std::vector<AnsiString> names;
  form.OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_DROPFILES) names = DroppedFileNames(system, m.WParam);
  };
  form.Show();
  system.DragAcceptFiles(form.Handle(), true);
  driver->Drop(form, files);
  ASSERT_TRUE(driver->RunUntil([&] { return !names.empty(); }));
  EXPECT_EQ(names, expected);
  EXPECT_EQ(form.Count(WM_DROPFILES), 1u);
}

// Per-pixel alpha works exactly where the system says so, and the system's
// major version tells the forms the same.
TEST_F(Contract, PerPixelAlphaWorksExactlyWhereTheCapabilitiesSaySo) {
  TProbe form(system);
  form.Show();
  const bool promised = system.Capabilities().PerPixelAlpha;
  EXPECT_EQ(SystemMajorVersion() > 4, promised);
  system.SetExStyle(form.Handle(), system.GetExStyle(form.Handle()) | WS_EX_LAYERED);
  TBitmap picture;
  picture.SetPixelFormat(TPixelFormat::pf32bit);
  picture.SetSize(form.Width(), form.Height());
  EXPECT_EQ(system.UpdateLayeredWindow(form.Handle(), form.Left(), form.Top(), picture, TRect{0, 0, form.Width(), form.Height()}),
            promised);
}

TEST_F(Contract, AnExceptionFromAHandlerReachesTheFirewallAndTheLoopGoesOn) {
  TProbe form(system);
  std::vector<uintptr_t> keys;
  form.OnMessage = [&](TMessage& m) {
    if (m.Msg != WM_KEYDOWN) return;
    keys.push_back(m.WParam);
    if (m.WParam == 'X') throw Exception(Ansi(u8"ハンドラーの失敗"));
  };
  form.Show();
  // An end of session asked for, then called off: the user's failures are shown again.
  form.QueryEndSession();
  form.EndSession(false);
  driver->Key(form, 'X', false);
  driver->Key(form, 'Y', false);
  ASSERT_TRUE(driver->RunUntil([&] { return keys.size() == 2; }));
  EXPECT_EQ(keys, (std::vector<uintptr_t>{'X', 'Y'}));
  EXPECT_EQ(driver->MessageBoxes(), std::vector<AnsiString>{Ansi(u8"ハンドラーの失敗")});
}

// A timer stopped from its own handler (as the chime's is when a frame fails)
// fires no more; another goes on.
TEST_F(Contract, ATimerStoppedInItsOwnHandlerFiresNoMore) {
  int stopped = 0, other = 0;
  int32_t id = 0;
  id = system.SetTimer(10, [&] {
    ++stopped;
    system.KillTimer(id);
  });
  const int32_t goesOn = system.SetTimer(10, [&] { ++other; });
  ASSERT_TRUE(driver->RunUntil([&] { return other >= 3; }));
  system.KillTimer(goesOn);
  EXPECT_EQ(stopped, 1);
}

// A quit asked before the loop runs (a start that failed half-way) still ends it.
TEST_F(Contract, AQuitBeforeTheLoopRunsEndsIt) {
  system.Quit(3);
  EXPECT_EQ(driver->Run(), 3);
}

// A folder where the settings file should be: no write can succeed.
TEST_F(Contract, EndOfSessionWithUnwritableSettingsEndsTheProgram) {
  TProgramObjects objects;
  const fs::path settings = ToUtf8(Globals().SettingsFileName());
  fs::remove_all(settings);
  fs::create_directories(settings);
  TProbe main(system);
  main.MainForm = true;
  main.OnMessage = [&](TMessage& m) {
    if (m.Msg == WM_ENDSESSION && m.WParam != 0) Globals().IniWriteInteger("PROBE", "ENDED", 1);
  };
  main.Show();
  driver->EndSession(main);
  EXPECT_EQ(driver->Run(), 0);
  EXPECT_TRUE(driver->MessageBoxes().empty());
  EXPECT_TRUE(fs::is_directory(settings) && fs::is_empty(settings));
  fs::remove(settings);
}

}  // namespace
