// The bell picture and the two faces of the paper strip.
#include <exception>

#include "chime/ClassChimora.h"
#include "chime/VerticalText.h"
#include "imaging/AlphaTransfer.h"
#include "imaging/FuncGraphicWork.h"
#include "imaging/ImageLoading.h"
#include "platform/graphics/Canvas.h"

namespace {

constexpr TRect kStringHole{11, 1, 13, 3};
constexpr Color32 kFaceBorder = 0xFFC0E0E0;
constexpr Color32 kFaceInner = 0xFFF8FFFF;
constexpr uint32_t kTextBackground = 0xF8FFFF;
constexpr uint32_t kTextColour = 0xC0E0E0;
constexpr int32_t kTextHeight = 16;

void OpaqueWithHole(TBitmap& paper) {
  SetAlpha32(paper, 255);
  SetAlphaRect32(paper, kStringHole, 0);
}

}  // namespace

void TChimora::SetBellType(int32_t type) {
  LoadImageFromResource(FBell, type == 0 ? "namb.png" : "glass.png");
  SetDefaultPaper(type);
  FBellType = type;
}

void TChimora::SetDefaultPaper(int32_t type) {
  if (type == 0) LoadImageFromResource(FPaper, "korvessa.png");
  if (type == 1) LoadImageFromResource(FPaper, "blackgold.png");
  FPaper.SetPixelFormat(TPixelFormat::pf32bit);
  OpaqueWithHole(FPaper);
  FPaperFile.clear();
}

void TChimora::SetStripText(const AnsiString& text) {
  FStripText = text;
  FillBitmap32(FTextFace, kFaceBorder);
  FillRect32(FTextFace, {2, 2, FTextFace.Width() - 2, FTextFace.Height() - 2}, kFaceInner);
  TCanvas canvas(FTextFace);
  canvas.Brush.Color = kTextBackground;
  canvas.Font.Bold = true;
  canvas.Font.Height = kTextHeight;
  canvas.Font.Name = Ansi(u8"ＭＳ 明朝");
  canvas.Font.Color = kTextColour;
  canvas.Font.Charset = SHIFTJIS_CHARSET;
  DrawVerticalText(canvas, 12, 45, 0, 0, text);
  MirrorHorizontal32(FTextFace);
  SetAlpha32(FTextFace, 255);
}

void TChimora::LoadPaperFile(const AnsiString& name) {
  TBitmap picture;
  try {
    LoadImageFromFile(picture, name);
    FPaperFile = name;
    picture.SetPixelFormat(TPixelFormat::pf32bit);
    if (picture.Height() < picture.Width()) RotateQuarters(picture, 1);
    const TRect face{0, 0, FPaper.Width(), FPaper.Height()};
    TTransferParams params{&FPaper, &picture, face, face, 255, tmCopy, 0};
    AlphaTransfer(params);
    OpaqueWithHole(FPaper);
  } catch (const std::exception&) {
    // Whatever a dropped file does, the strip falls back to its default face.
    SetDefaultPaper(FBellType);
  }
}

void TChimora::SetTwist(double degrees) {
  FTwist = degrees;
  FTwistLag = degrees;
}
