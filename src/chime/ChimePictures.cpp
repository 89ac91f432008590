// The bell picture and the two faces of the paper strip.
#include <algorithm>
#include <iterator>
#include <utility>

#include "chime/ClassChimora.h"
#include "chime/VerticalText.h"
#include "imaging/FuncGraphicWork.h"
#include "imaging/ImageLoading.h"
#include "platform/graphics/Canvas.h"

namespace {

constexpr Color32 kFaceBorder = 0xFFC0E0E0;
constexpr Color32 kFaceInner = 0xFFF8FFFF;
constexpr uint32_t kTextBackground = 0xF8FFFF;
constexpr uint32_t kTextColour = 0xC0E0E0;
constexpr int32_t kTextHeight = 16;

}  // namespace

void TChimora::SetBellType(int32_t type) {
  LoadImageFromResource(FBell, type == 0 ? "namb.png" : "glass.png");
  SetDefaultPaper(type);
  FBellType = type;
}

void TChimora::SetDefaultPaper(int32_t type) {
  TPaperFace face{FPaper, FPaperFile};
  PutDefaultPaper(face, type);
  PutPaper(std::move(face));
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
  TPaperFace face{FPaper, FPaperFile};
  PutPaperFiles(face, FBellType, {name});
  PutPaper(std::move(face));
}

void TChimora::RequestPaperFiles(const std::vector<AnsiString>& names) {
  FPaperRequested.insert(FPaperRequested.end(), names.begin(), names.end());
  // With a packaged default, a picture file decides the face whatever was on it
  // (its own picture, or the default when it fails): the names before the last
  // one are not decoded, and hundreds of photos dropped at once cost one.
  if (FBellType == 0 || FBellType == 1) {
    const auto last = std::find_if(FPaperRequested.rbegin(), FPaperRequested.rend(), HasPictureExtension);
    if (last != FPaperRequested.rend()) FPaperRequested.erase(FPaperRequested.begin(), std::prev(last.base()));
  }
  FPaperWork.Request({FPaper, FPaperFile}, FBellType, FPaperRequested);
}

void TChimora::PutPaper(TPaperFace face) {
  FPaperWork.Cancel();
  FPaperRequested.clear();
  FPaper = std::move(face.Paper);
  FPaperFile = std::move(face.File);
}

void TChimora::SetTwist(double degrees) {
  FTwist = degrees;
  FTwistLag = degrees;
}
