#pragma once
// The program's main window: joins the chime, its presenter and the settings,
// drives the chime from a 50 ms timer, serves the popup menu and pauses while
// the machine sleeps.
#include <array>
#include <memory>

#include "chime/ClassChimora.h"
#include "platform/window/Form.h"
#include "platform/window/Menus.h"
#include "shell/f2FormFunc.h"
#include "windows/UnitFormVersionInfo.h"

class TFmChimora : public TForm {
 public:
  // Runs FormCreate: the first frame is on the window when this returns.
  explicit TFmChimora(TWindowSystem& system);
  // Release, when the program has not; errors are lost here.
  ~TFmChimora() override;
  // FormDestroy (once), then the presenter stores the position. Both run;
  // the first refused settings write is thrown afterwards.
  void Release();

  static constexpr std::array<const char8_t*, 20> Idioms = {
      u8"一日一善", u8"焼肉定食", u8"才色兼備", u8"右往左往", u8"広大無辺", u8"公明正大", u8"質実剛健",
      u8"弱肉強食", u8"十人十色", u8"心機一転", u8"切磋琢磨", u8"絶体絶命", u8"大器晩成", u8"泰然自若",
      u8"適材適所", u8"天衣無縫", u8"粉骨砕身", u8"油断大敵", u8"臨機応変", u8"因果応報"};

  // Reached by tests and by the program's shut-down paths.
  TChimora* Chime() { return FChime.get(); }
  Tf2LayerFunc& LayerFunc() { return *FLayerFunc; }
  TPopupMenu& Popup() { return FPopup; }
  TTimer& Timer1() { return FTimer1; }
  TMenuItem* Item(const AnsiString& name) const;
  // The information window, shown modally while the chime goes on; released when closed.
  void N4Click(void* sender);
  TFormVersionInfo* FormVersionInfo() const { return FFormVersionInfo.get(); }

  void Timer1Timer(void* sender);
  void FitToWorkArea(void* sender);
  // The settings are stored and the chime released; safe to run again.
  void FormDestroy(void* sender);

 protected:
  void WndProc(TMessage& message) override;

 private:
  void FormCreate();
  void BuildMenu();
  void ChooseStripText();
  void ApplyBellType(int32_t type);
  void ApplyPaper(const AnsiString& fileName);
  void ApplyWind(int32_t wind);
  void ApplySound(bool on);
  void DoDropFinish(void* sender);
  void WMPowerBroadcast(TMessage& message);

  TPopupMenu FPopup;
  TTimer FTimer1;
  std::unique_ptr<Tf2LayerFunc> FLayerFunc;
  std::unique_ptr<TChimora> FChime;
  std::unique_ptr<TFormVersionInfo> FFormVersionInfo;
  TMenuItem *FMnLing0 = nullptr, *FMnLing1 = nullptr, *FMnWind1 = nullptr, *FMnWind2 = nullptr,
            *FMnWind3 = nullptr, *FMnSound = nullptr;
};
