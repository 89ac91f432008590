#include "shell/UnitFmChimora.h"

#include <cstdlib>
#include <exception>

#include "almanac/vrelDate.h"
#include "app/ProgramObjects.h"
#include "app/vrelGlobal.h"
#include "platform/system/DateTime.h"
#include "platform/system/Random.h"

namespace {
constexpr const char* kSection = "chimora";
constexpr int32_t kHangOver = 70;  // pixels the chime may stick out past either side
}  // namespace

TFmChimora::TFmChimora(TWindowSystem& system) : TForm(system, "TFmChimora", "FmChimora"), FPopup(system), FTimer1(system) {
  SetBounds(971, 384, 197, 235);
  Font.Name = Ansi(u8"ＭＳ Ｐゴシック");
  Font.Height = -12;
  Font.Charset = SHIFTJIS_CHARSET;
  MainForm = true;
  PopupMenu = &FPopup;
  OnShow = [this](void* sender) { FitToWorkArea(sender); };
  OnDestroy = [this](void* sender) { FormDestroy(sender); };
  BuildMenu();
  FTimer1.Interval = 50;
  FTimer1.OnTimer = [this](void* sender) { Timer1Timer(sender); };
  // Enabled by the form description, before FormCreate: a first tick that fails there stops it.
  FTimer1.SetEnabled(true);
  try {
    FormCreate();
  } catch (...) {
    // The window never showed: its designed place is no place of the user's to store.
    if (FLayerFunc) FLayerFunc->KeepLocation = false;
    throw;
  }
}

TFmChimora::~TFmChimora() {
  try {
    Release();
  } catch (...) {
  }
}

void TFmChimora::Release() {
  FTimer1.SetEnabled(false);
  std::exception_ptr failure;
  try {
    DoDestroy();
  } catch (...) {
    failure = std::current_exception();
  }
  try {
    FLayerFunc->Release();
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  if (failure) std::rethrow_exception(failure);
}

void TFmChimora::BuildMenu() {
  auto wind = [this](void* sender) {
    ApplyWind(sender == FMnWind1 ? 5 : sender == FMnWind2 ? 8 : 12);
  };
  FMnLing0 = FPopup.Add("MnLing0", Ansi(u8"南部鉄(&N)"));
  FMnLing0->OnClick = [this](TMenuItem*) { ApplyBellType(0); };
  FMnLing1 = FPopup.Add("MnLing1", Ansi(u8"びいどろ(&V)"));
  FMnLing1->OnClick = [this](TMenuItem*) { ApplyBellType(1); };
  FPopup.Add("N6", "-");
  FMnWind1 = FPopup.Add("MnWind1", Ansi(u8"微風(&A)"));
  FMnWind2 = FPopup.Add("MnWind2", Ansi(u8"そよ風(&B)"));
  FMnWind3 = FPopup.Add("MnWind3", Ansi(u8"涼風(&C)"));
  for (TMenuItem* item : {FMnWind1, FMnWind2, FMnWind3}) item->OnClick = wind;
  FPopup.Add("N7", "-");
  FMnSound = FPopup.Add("MnSound", Ansi(u8"鈴音を出さない(&S)"));
  FMnSound->OnClick = [this](TMenuItem*) {
    if (FChime) ApplySound(!FChime->Sound());
  };
  FPopup.Add("N3", "-");
  FPopup.Add("N4", Ansi(u8"ソフトウェア情報(&I)"))->OnClick = [this](TMenuItem* sender) { N4Click(sender); };
  TMenuItem* exit = FPopup.Add("N5", Ansi(u8"終了(&X)"));
  exit->ShortCut = scAlt | VK_F4;
  exit->OnClick = [this](TMenuItem*) { Close(); };
}

TMenuItem* TFmChimora::Item(const AnsiString& name) const {
  for (const auto& item : FPopup.Items()) {
    if (item->Name == name) return item.get();
  }
  return nullptr;
}

void TFmChimora::FormCreate() {
  FLayerFunc = std::make_unique<Tf2LayerFunc>(*this);
  FLayerFunc->FitPix = 0;
  FLayerFunc->SetLayerEnabled(true);
  FChime = std::make_unique<TChimora>();
  FLayerFunc->SetDragDrop(true);
  FLayerFunc->OnDropFinish = [this](void* sender) { DoDropFinish(sender); };
  FLayerFunc->OnExitSizeMove = [this](void* sender) { FitToWorkArea(sender); };
  FLayerFunc->KeepLocation = true;
  ChooseStripText();
  TvrelGlobal& globals = Globals();
  ApplyBellType(globals.IniReadInteger(kSection, "ling", 0));
  ApplyPaper(globals.IniReadString(kSection, "paper", ""));
  ApplyWind(globals.IniReadInteger(kSection, "wind", 8));
  ApplySound(globals.IniReadBool(kSection, "sound", true));
  Timer1Timer(this);
}

void TFmChimora::ChooseStripText() {
  Talmanac& almanac = Almanac();
  almanac.SetDate(Date());
  AnsiString text = almanac.DayNote();
  if (text.empty()) {
    Randomize();
    if (Random(100) <= 50) text = Ansi(Idioms[static_cast<size_t>(Random(20))]);
  }
  FChime->SetStripText(text);
}

// A menu command may still arrive after the session's end released the chime.
void TFmChimora::ApplyBellType(int32_t type) {
  if (!FChime) return;
  FChime->SetBellType(type);
  FMnLing0->Checked = type == 0;
  FMnLing1->Checked = type == 1;
}

// Made on a worker like a drop: a large stored picture never holds up the start.
// The empty name of a first start would leave the face as it is.
void TFmChimora::ApplyPaper(const AnsiString& fileName) {
  if (!fileName.empty()) FChime->RequestPaperFiles({fileName});
}

void TFmChimora::ApplyWind(int32_t wind) {
  // 64 bits: the magnitude of the most negative stored wind does not fit 32.
  if (!FChime) return;
  const int64_t m = std::llabs(int64_t{wind});
  FMnWind1->Checked = m == 5;
  FMnWind2->Checked = m == 8;
  FMnWind3->Checked = m == 12;
  FChime->SetWind(wind);
}

void TFmChimora::ApplySound(bool on) {
  FChime->SetSound(on);
  FMnSound->Checked = !on;
}

// The names go on the strip in turn, on a worker; the last file of a drop decides.
void TFmChimora::DoDropFinish(void* /*sender*/) {
  if (FChime) FChime->RequestPaperFiles(FLayerFunc->DropNames());
}

void TFmChimora::Timer1Timer(void* /*sender*/) {
  if (!FChime) return;
  try {
    FChime->Tick();
    FLayerFunc->Present(*FChime, FChime->Changed());
  } catch (...) {
    FTimer1.SetEnabled(false);
  }
}

void TFmChimora::N4Click(void* /*sender*/) {
  if (FFormVersionInfo) return;  // already open
  FFormVersionInfo = std::make_unique<TFormVersionInfo>(*this);
  try {
    FFormVersionInfo->ShowModal();
  } catch (...) {
    FFormVersionInfo.reset();
    throw;
  }
  FFormVersionInfo.reset();
}

void TFmChimora::FitToWorkArea(void* /*sender*/) {
  const TRect w = WorkAreaOf(WindowSystem(), BoundsRect());
  int64_t left = Left();
  if (left < int64_t{w.Left} - kHangOver) left = int64_t{w.Left} - kHangOver;
  if (left + Width() > int64_t{w.Right} + kHangOver) left = int64_t{w.Right} + kHangOver - Width();
  SetBounds(static_cast<int32_t>(left), w.Top, Width(), Height());
}

void TFmChimora::WMPowerBroadcast(TMessage& message) {
  TForm::WndProc(message);
  switch (message.WParam) {
    case PBT_APMSUSPEND:
    case PBT_APMSTANDBY:
      FTimer1.SetEnabled(false);
      break;
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMESTANDBY:
      FTimer1.SetEnabled(true);
      break;
    default:
      break;
  }
}

void TFmChimora::WndProc(TMessage& message) {
  if (message.Msg == WM_POWERBROADCAST) {
    WMPowerBroadcast(message);
    return;
  }
  if (message.Msg == WM_DWMCOMPOSITIONCHANGED) {
    // Asked again: per-pixel alpha where it works now, the shaped window where not.
    FLayerFunc->SetLayerEnabled(true);
  }
  TForm::WndProc(message);
}

void TFmChimora::FormDestroy(void* /*sender*/) {
  if (!FChime) return;
  // Released first: whatever the store says, no later tick or second call finds a chime.
  const std::unique_ptr<TChimora> chime = std::move(FChime);
  TvrelGlobal& globals = Globals();
  globals.IniWriteInteger(kSection, "ling", chime->BellType());
  // A drop still being decoded is the user's last word on the picture.
  globals.IniWriteString(kSection, "paper", chime->LatestPaperFile());
  globals.IniWriteFloat(kSection, "wind", chime->Wind());
  globals.IniWriteBool(kSection, "sound", chime->Sound());
}
