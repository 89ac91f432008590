#include "windows/UnitFormVersionInfo.h"

#include "app/ProgramObjects.h"
#include "app/ShellAndText.h"
#include "app/vrelGlobal.h"
#include "imaging/ImageLoading.h"
#include "platform/io/Resources.h"
#include "VersionRecord.h"
#include "windows/AppTitle.h"

namespace {

constexpr Color32 kTextColor = 0x604040;
constexpr Color32 kGrey = 0x808080;
constexpr Color32 kBlack = 0x000000;
constexpr Color32 kBlue = 0xFF0000;

// A picture the program carries as a PNG resource of its own type.
TBitmap PictureResource(const char* name, const char* type) {
  TResourceStream stream(name, type);
  TBitmap picture;
  LoadImageFromStream(picture, "resource.png", stream);
  return picture;
}

void PlaceLabel(TLabel& label, int32_t top, const TFont& formFont) {
  label.SetBounds(52, top, 176, 12);
  label.AutoSize = false;
  label.Transparent = true;
  label.ParentFont = false;
  label.Font = formFont;
  label.Font.Color = kTextColor;
}

}  // namespace

TFormVersionInfo::TFormVersionInfo(TForm& owner) : TForm(owner.WindowSystem(), "TFormVersionInfo", "FormVersionInfo") {
  // The stored layout: the form first, then its controls, then the component.
  Borderless = true;
  // Centred, unless the system places it as it places any dialog.
  Position = WindowSystem().Capabilities().PlacesDialogs ? TPosition::poDesigned : TPosition::poScreenCenter;
  Color = 0xFFFFFF;
  Font.Name = Ansi(u8"ＭＳ Ｐゴシック");
  Font.Height = -12;
  Font.Charset = SHIFTJIS_CHARSET;
  SetBounds(0, 0, 247, 348);
  OnPaint = [this](void*) { FormPaint(); };

  ImgAppTitle.SetBounds(4, 0, 173, 32);
  ImgAppTitle.Transparent = true;
  Image1.Picture = PictureResource("VERSIONINFO_IMAGE1", "FORMDATA");
  Image1.SetBounds(180, 4, Image1.Picture.Width(), Image1.Picture.Height());
  Image1.Transparent = true;
  ImgIcon.SetBounds(12, 40, 32, 32);
  PlaceLabel(LBexe, 40, Font);
  PlaceLabel(LBversion, 52, Font);
  PlaceLabel(Label1, 68, Font);
  Label1.SetCaption(Ansi(u8"制作 ") + Globals().CompanyName());
  LinkLabel1.SetBounds(148, 80, 88, 12);
  LinkLabel1.Transparent = true;
  LinkLabel1.Alignment = TAlignment::taRightJustify;
  LinkLabel1.ParentFont = false;
  LinkLabel1.Font = Font;
  LinkLabel1.Font.Color = kBlue;
  LinkLabel1.SetCaption(kMakerSite);
  BtClose.SetBounds(162, 316, 75, 20);
  BtClose.Anchors = akLeft | akBottom;
  BtClose.Caption = Ansi(u8"閉じる");
  BtClose.Cancel = true;  // Escape closes, as a dialog should
  BtClose.OnClick = [this](void*) { Close(); };

  vrelFormFunc1.Preserve = false;
  vrelFormFunc1.EraseBackGround = true;
  vrelFormFunc1.KeepSize = false;
  vrelFormFunc1.KeepLocation = false;
  vrelFormFunc1.SetDragDrop(false);
  vrelFormFunc1.DropNamesEnabled = false;
  vrelFormFunc1.WindowDrag = true;
  vrelFormFunc1.WindowResize = false;
  vrelFormFunc1.SetWindowRound(true);
  vrelFormFunc1.SetWindowPosition(TwindowPosition::wpNone);
  vrelFormFunc1.FitScreenPx = 0;
  vrelFormFunc1.OnCanDragMove = [this](void* sender, int32_t x, int32_t y, bool& dragMove) {
    vrelFormFunc1CanDragMove(sender, x, y, dragMove);
  };
  FormCreate();
}

void TFormVersionInfo::FormCreate() {
  TvrelGlobal& globals = Globals();
  LBexe.SetCaption("ExeName " + globals.ExeName());
  LBversion.SetCaption("Version " + globals.FileVersion());
  LinkLabel1.SetLinkURL(kMakerPage + AnsiString("from=") + AnsiLowerCase(globals.InternalName()));
  SetBounds(Left(), Top(), Width(), 222);
  if (std::unique_ptr<TStream> title = OpenResourceStream("AppTitle")) {
    LoadImageFromStream(ImgAppTitle.Picture, "AppTitle.png", *title);
  } else {
    ImgAppTitle.Picture = DrawnAppTitle(globals.ProductName());
  }
  ImgIcon.Picture = PictureResource("MAINICON", "APPICON");
}

void TFormVersionInfo::FormPaint() {
  TCanvas& canvas = Canvas();
  canvas.Brush.Style = TBrushStyle::bsClear;
  const int32_t w = Width(), h = Height();
  canvas.Pen.Color = kGrey;
  canvas.RoundRect(5, 32, w - 5, h - 5, 4, 4);  // the panel below the title
  canvas.RoundRect(1, 1, w - 1, h - 1, 8, 8);
  canvas.Pen.Color = kBlack;
  canvas.RoundRect(0, 0, w, h, 8, 8);
  canvas.RoundRect(1, 1, w - 1, h - 1, 6, 6);
}

// Labels and images drag the window too; only the button, a window of its own, does not.
void TFormVersionInfo::vrelFormFunc1CanDragMove(void* /*sender*/, int32_t /*x*/, int32_t /*y*/, bool& dragMove) {
  dragMove = true;
}
