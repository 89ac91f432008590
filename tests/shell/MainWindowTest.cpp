#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <fstream>
#include <iterator>

#include "ChimoraProbe.h"
#include "ShellFixture.h"
#include "TempFolder.h"
#include "almanac/vrelDate.h"
#include "platform/system/Clock.h"
#include "platform/system/DateTime.h"
#include "platform/system/Random.h"
#include "platform/system/SystemInfo.h"
#include "shell/UnitFmChimora.h"

namespace {

using MainWindow = ShellFixture;

// Menu captions as shown, "*" before the checked ones.
std::vector<AnsiString> ShownMenu(TFmChimora& form, TFakeWindowSystem& system) {
  form.Perform(WM_CONTEXTMENU, 0, MakeLParam(10, 10));
  return system.MenuShown;
}

// Until the face being made for the strip is on it, ticking meanwhile.
bool PaperLanded(TFmChimora& form, TFakeWindowSystem& system) {
  for (int i = 0; i < 2000 && form.Chime()->PaperPending(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    system.FireTimers();
  }
  return !form.Chime()->PaperPending();
}

TEST_F(MainWindow, FirstStartDefaultsMenuAndFirstFrame) {
  TFmChimora form(system);
  // Code page 932 bytes written out, so a fault in the text conversion cannot hide here.
  const std::vector<AnsiString> expected = {"*\x93\xEC\x95\x94\x93S(&N)",
                                            "\x82\xD1\x82\xA2\x82\xC7\x82\xEB(&V)",
                                            "-",
                                            "\x94\xF7\x95\x97(&A)",
                                            "*\x82\xBB\x82\xE6\x95\x97(&B)",
                                            "\x97\xC1\x95\x97(&C)",
                                            "-",
                                            "\x97\xE9\x89\xB9\x82\xF0\x8Fo\x82\xB3\x82\xC8\x82\xA2(&S)",
                                            "-",
                                            "\x83\\\x83t\x83g\x83" "E\x83" "F\x83" "A\x8F\xEE\x95\xF1(&I)",
                                            "\x8FI\x97\xB9(&X)"};
  EXPECT_EQ(ShownMenu(form, system), expected);
  EXPECT_EQ(ShortCutToText(form.Item("N5")->ShortCut), "Alt+F4");
  EXPECT_EQ(form.Caption(), "FmChimora");
  EXPECT_EQ(form.Font.Name, "\x82l\x82r \x82o\x83S\x83V\x83" "b\x83N");
  EXPECT_EQ(form.Font.Height, -12);
  EXPECT_EQ(form.Font.Charset, SHIFTJIS_CHARSET);
  EXPECT_EQ(form.Chime()->BellType(), 0);
  EXPECT_EQ(form.Chime()->Wind(), 8);
  EXPECT_TRUE(form.Chime()->Sound());
  EXPECT_TRUE(form.Timer1().Enabled());
  // The first frame went to the window before any timer event: 160 x 160 at the design position.
  EXPECT_EQ(form.Width(), 160);
  EXPECT_EQ(form.Height(), 160);
  EXPECT_EQ(form.Left(), 971);
}

TEST_F(MainWindow, StoredSettingsAreAppliedAndStoredOnceAtClose) {
  struct Case {
    int32_t ling, wind;
    std::vector<bool> windMarks;  // 微風, そよ風, 涼風
  };
  for (const Case& c : {Case{1, -12, {false, false, true}}, Case{0, 7, {false, false, false}}, Case{5, 5, {true, false, false}}}) {
    SCOPED_TRACE(c.wind);
    Globals().IniWriteInteger("chimora", "ling", c.ling);
    Globals().IniWriteInteger("chimora", "wind", c.wind);
    Globals().IniWriteBool("chimora", "sound", false);
    {
      TFmChimora form(system);
      EXPECT_EQ(form.Chime()->Wind(), c.wind);
      EXPECT_EQ(form.Item("MnWind1")->Checked, c.windMarks[0]);
      EXPECT_EQ(form.Item("MnWind2")->Checked, c.windMarks[1]);
      EXPECT_EQ(form.Item("MnWind3")->Checked, c.windMarks[2]);
      EXPECT_EQ(form.Item("MnLing0")->Checked, c.ling == 0);
      EXPECT_EQ(form.Item("MnLing1")->Checked, c.ling == 1);
      EXPECT_TRUE(form.Item("MnSound")->Checked);
      form.Release();
    }
    EXPECT_EQ(Stored("chimora", "wind"), c.wind);
    EXPECT_EQ(Stored("chimora", "ling"), c.ling);
  }
}

TEST_F(MainWindow, MenuCommandsAndTheExitShortcut) {
  TFmChimora form(system);
  system.MenuChoice = 1;  // びいどろ
  form.Perform(WM_CONTEXTMENU, 0, -1);
  EXPECT_EQ(form.Chime()->BellType(), 1);
  system.MenuChoice = 5;  // 涼風
  form.Perform(WM_CONTEXTMENU, 0, -1);
  EXPECT_EQ(form.Chime()->Wind(), 12);
  system.MenuChoice = 7;  // sound off
  form.Perform(WM_CONTEXTMENU, 0, -1);
  EXPECT_FALSE(form.Chime()->Sound());
  EXPECT_EQ(ShownMenu(form, system)[7], Ansi(u8"*鈴音を出さない(&S)"));
  EXPECT_FALSE(system.ExitCode.has_value());
  form.KeyDown(VK_F4, false);
  EXPECT_FALSE(form.Closing());
  form.KeyDown(VK_F4, true);
  EXPECT_TRUE(form.Closing());
  EXPECT_EQ(system.ExitCode, 0);
}

TEST_F(MainWindow, IdiomOnlyWhenTheDrawIsFiftyOrLess) {
  ScopedNow day([] { return EncodeDate(2024, 3, 1); });
  Almanac().SetDate(Date());
  ASSERT_EQ(Almanac().DayNote(), "");
  for (int32_t wanted : {50, 51}) {
    uint32_t seed = 0;
    for (SetRandSeed(seed); Random(100) != wanted; SetRandSeed(++seed)) {
    }
    ScopedTickCount counter([seed] { return seed; });
    TFmChimora form(system);
    if (wanted == 50) {
      SetRandSeed(seed);
      Random(100);
      EXPECT_EQ(form.Chime()->StripText(), Ansi(TFmChimora::Idioms[static_cast<size_t>(Random(20))]));
    } else {
      EXPECT_EQ(form.Chime()->StripText(), "");
    }
  }
}

TEST_F(MainWindow, AlmanacNoteWinsOverTheIdiom) {
  ScopedNow day([] { return EncodeDate(2024, 2, 4) + 0.5; });
  TFmChimora form(system);
  EXPECT_EQ(form.Chime()->StripText(), Ansi(u8"立春"));
}

TEST_F(MainWindow, DragEndsHangingFromTheTopAtMostSeventyPixelsOut) {
  TFmChimora form(system);
  form.Show();
  EXPECT_EQ(form.Top(), 0);
  struct Case {
    int32_t areaRight, left, expected;
  };
  // A work area narrower than the window less 140: the right edge's step comes last and wins.
  for (const Case& c : {Case{1920, -100, -70}, Case{1920, 1900, 1920 + 70 - 160}, Case{1920, 500, 500}, Case{10, -100, 80 - 160}}) {
    system.WorkAreas = {TRect{0, 0, c.areaRight, 1040}};
    form.SetBounds(c.left, 300, form.Width(), form.Height());
    form.Perform(WM_EXITSIZEMOVE);
    EXPECT_EQ(form.Left(), c.expected);
    EXPECT_EQ(form.Top(), 0);
  }
}

TEST_F(MainWindow, PowerMessagesStopAndStartTheTimer) {
  system.Caps.PerPixelAlpha = true;
  TFmChimora form(system);
  struct Case {
    uintptr_t wParam;
    bool runningAfter;
  };
  for (const Case& c : {Case{4, false}, Case{6, false}, Case{18, false}, Case{7, true}, Case{5, false}, Case{8, true}}) {
    form.Perform(WM_POWERBROADCAST, c.wParam);
    EXPECT_EQ(form.Timer1().Enabled(), c.runningAfter) << c.wParam;
  }
  // A failed present stops the timer, also the first one during creation; a resume starts it again.
  system.RefuseLayers = true;
  EXPECT_FALSE(TFmChimora(system).Timer1().Enabled());
  system.FireTimers();
  EXPECT_FALSE(form.Timer1().Enabled());
  system.RefuseLayers = false;
  form.Perform(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
  system.FireTimers();
  EXPECT_TRUE(form.Timer1().Enabled());
}

TEST_F(MainWindow, DroppedFilesTheLastOneDecides) {
  TFmChimora form(system);
  const AnsiString picture = CHIMORA_ASSETS "/korvessa.png", missing = "/nonexistent/a.png";
  system.Drop(form.Handle(), {missing, picture});
  ASSERT_TRUE(PaperLanded(form, system));
  EXPECT_EQ(form.Chime()->PaperFile(), picture);
  system.Drop(form.Handle(), {picture, missing});
  EXPECT_EQ(form.LayerFunc().DropNames(), (std::vector<AnsiString>{picture, missing}));
  ASSERT_TRUE(PaperLanded(form, system));
  EXPECT_EQ(form.Chime()->PaperFile(), "");  // unreadable: the bell's own face again
  system.FireTimers();
  EXPECT_TRUE(form.Timer1().Enabled());
}

// A drop ends as if each name had gone on the strip in turn, though pictures
// that a later picture replaces are not decoded.
TEST_F(MainWindow, ADropEndsAsEveryNameInTurn) {
  TempFolder folder("drops");
  const AnsiString picture = CHIMORA_ASSETS "/korvessa.png", other = CHIMORA_ASSETS "/namb.png";
  const AnsiString text = folder.Write("readme.txt", std::string("hi")), missing = folder.Name("gone.png");
  const std::vector<std::vector<AnsiString>> drops = {
      {picture, other}, {other, text}, {picture, missing, text}, {text, picture}, {missing, text}, {text}};
  for (const auto& names : drops) {
    TFmChimora form(system);
    TChimora reference;
    reference.SetBellType(form.Chime()->BellType());
    for (const AnsiString& name : names) reference.LoadPaperFile(name);
    system.Drop(form.Handle(), names);
    ASSERT_TRUE(PaperLanded(form, system));
    EXPECT_EQ(form.Chime()->PaperFile(), reference.PaperFile()) << names.size();
    const TBitmap& paper = ChimoraProbe(*form.Chime()).Paper();
    const TBitmap& expected = ChimoraProbe(reference).Paper();
    ASSERT_EQ(paper.Height(), expected.Height());
    for (int32_t y = 0; y < paper.Height(); ++y) {
      ASSERT_EQ(std::memcmp(paper.ScanLine(y), expected.ScanLine(y), size_t(paper.Width()) * 4), 0) << names.size() << " row " << y;
    }
    form.Release();
  }
}

// A name CP932 lacks, and bytes that are not UTF-8: stored, and the same file at the next start.
#ifndef _WIN32
// Names from a UTF-8 file system, which Windows does not have.
TEST_F(MainWindow, DroppedPictureWithAnyNameComesBackAtTheNextStart) {
  TempFolder folder("names");
  const std::string name = "\xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\x8A/bad\xFF\xEF\xBD\x9E.png";
  std::filesystem::create_directories((folder / name).parent_path());
  std::filesystem::copy_file(CHIMORA_ASSETS "/korvessa.png", folder / name);
  const AnsiString picture = folder.Name(name);
  {
    TFmChimora form(system);
    system.Drop(form.Handle(), {picture});
    ASSERT_TRUE(PaperLanded(form, system));
    ASSERT_EQ(form.Chime()->PaperFile(), picture);
    form.Release();
  }
  TFmChimora again(system);
  ASSERT_TRUE(PaperLanded(again, system));
  EXPECT_EQ(again.Chime()->PaperFile(), picture);
}
#endif

// A drop whose picture is still being made when the chime ends is stored all the same.
TEST_F(MainWindow, APictureStillBeingMadeIsStored) {
  const AnsiString picture = CHIMORA_ASSETS "/korvessa.png";
  TFmChimora form(system);
  system.Drop(form.Handle(), {picture});
  EXPECT_TRUE(form.Chime()->PaperFile().empty());  // no tick since the drop
  form.Release();
  EXPECT_EQ(Globals().IniReadString("chimora", "paper", ""), picture);
}

TEST_F(MainWindow, AFailedStartKeepsTheStoredPosition) {
  Globals().IniWriteInteger("TFMCHIMORA", "LEFT", 123);
  ScopedNow broken([]() -> TDateTime { throw Exception("no clock"); });  // after the presenter is set up
  EXPECT_THROW(TFmChimora form(system), Exception);
  EXPECT_EQ(Stored("TFMCHIMORA", "LEFT"), 123);
}

TEST_F(MainWindow, EndOfSessionThenCloseStoresOnce) {
  TFmChimora form(system);
  form.SetBounds(300, 0, form.Width(), form.Height());
  EXPECT_EQ(form.Perform(WM_QUERYENDSESSION), 1);  // the chime never holds up the end
  form.Perform(WM_ENDSESSION, 0);                   // the end was called off
  EXPECT_NE(form.Chime(), nullptr);
  form.Perform(WM_ENDSESSION, 1);
  EXPECT_EQ(form.Chime(), nullptr);
  EXPECT_EQ(Stored("TFMCHIMORA", "LEFT"), 300);
  EXPECT_EQ(Stored("chimora", "wind"), 8);
  // The keys stand in the order they were written.
  // Read and closed at once: an open file could not be replaced on Windows.
  const std::string text = [] {
    std::ifstream file(ToUtf8(Globals().SettingsFileName()));
    return std::string{std::istreambuf_iterator<char>(file), {}};
  }();
  size_t at = 0;
  for (const char* key : {"TOP=", "LEFT=", "DOCKSITE=", "ling=", "paper=", "wind=", "sound="}) {
    const size_t found = text.find(key, at);
    ASSERT_NE(found, std::string::npos) << key << " after byte " << at << " of\n" << text;
    at = found;
  }
  system.FireTimers();  // a later tick finds no chime
  for (const int32_t item : {1, 5, 7}) {  // nor a late menu command: bell, wind, sound
    system.MenuChoice = item;
    form.Perform(WM_CONTEXTMENU, 0, -1);
  }
  EXPECT_EQ(form.Chime(), nullptr);
  std::filesystem::remove(ToUtf8(Globals().SettingsFileName()));
  form.Release();
  EXPECT_EQ(Stored("chimora", "wind"), -99999);
  EXPECT_EQ(Stored("TFMCHIMORA", "LEFT"), -99999);
}

}  // namespace
