#include "platform/window/Controls.h"

#include "platform/window/Form.h"
#include "platform/window/Messages.h"

TControl::TControl(TForm& parent) : FParent(parent) { parent.InsertControl(*this); }

TControl::~TControl() { FParent.RemoveControl(*this); }

void TControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
  Left = left;
  Top = top;
  Width = width;
  Height = height;
  Invalidate();
}

bool TControl::Contains(TPoint at) const {
  return Left <= at.x && at.x < Left + Width && Top <= at.y && at.y < Top + Height;
}

void TControl::Invalidate() { FParent.Invalidate(); }

const TFont& TControl::EffectiveFont() const { return ParentFont ? FParent.Font : Font; }

void TControl::ParentSized(int32_t dw, int32_t dh) {
  if (Anchors & akRight) (Anchors & akLeft) ? Width += dw : Left += dw;
  if (Anchors & akBottom) (Anchors & akTop) ? Height += dh : Top += dh;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TLabel::SetCaption(const AnsiString& caption) {
  FCaption = caption;
  AdjustBounds();
  Invalidate();
}

void TLabel::AdjustBounds() {
  if (!AutoSize) return;
  TBitmap scratch;
  TCanvas canvas(scratch);
  canvas.Font = EffectiveFont();
  const int32_t width = canvas.TextWidth(FCaption), height = canvas.TextHeight(FCaption);
  if (Alignment == TAlignment::taRightJustify) Left += Width - width;
  Width = width;
  Height = height;
}

void TLabel::Paint(TCanvas& canvas) {
  if (!Transparent) canvas.FillRect(BoundsRect(), Color);
  canvas.Font = EffectiveFont();
  canvas.Brush.Style = TBrushStyle::bsClear;
  int32_t x = Left;
  if (Alignment != TAlignment::taLeftJustify) {
    const int32_t room = Width - canvas.TextWidth(FCaption);
    x += Alignment == TAlignment::taRightJustify ? room : room / 2;
  }
  canvas.TextRect(BoundsRect(), x, Top, FCaption);
}

void TImage::Paint(TCanvas& canvas) {
  if (Picture.Empty()) return;
  std::optional<uint32_t> transparent;
  if (Transparent) {
    // A 32-bit picture's key holds its alpha too: clear corners key out only clear pixels.
    const uint8_t* p = Picture.ScanLine(Picture.Height() - 1);
    transparent = uint32_t{p[2]} | uint32_t{p[1]} << 8 | uint32_t{p[0]} << 16;
    if (Picture.PixelFormat() == TPixelFormat::pf32bit) *transparent |= uint32_t{p[3]} << 24;
  }
  canvas.Draw(Left, Top, Picture, transparent, BoundsRect());
}

void TButton::Paint(TCanvas& canvas) {
  // A flat face with a one-pixel frame: blue when it is the dialog's button to
  // press or under the pointer, darker while held down.
  const Color32 face = FDown ? 0xF7E4CC : FHot ? 0xFBF1E5 : 0xE1E1E1;
  const Color32 frame = FDown ? 0x995400 : (FHot || Default || Cancel) ? 0xD77800 : 0xADADAD;
  canvas.FillRect(BoundsRect(), frame);
  canvas.FillRect(TRect{Left + 1, Top + 1, Left + Width - 1, Top + Height - 1}, face);
  canvas.Font = EffectiveFont();
  canvas.Font.Color = 0;
  canvas.Brush.Style = TBrushStyle::bsClear;
  const int32_t x = Left + (Width - canvas.TextWidth(Caption)) / 2;
  const int32_t y = Top + (Height - canvas.TextHeight(Caption)) / 2;
  canvas.TextRect(TRect{Left + 1, Top + 1, Left + Width - 1, Top + Height - 1}, x, y, Caption);
}

void TButton::MouseEnter() {
  FHot = true;
  Invalidate();
}

void TButton::MouseLeave() {
  FHot = false;
  Invalidate();
}

void TButton::MouseMessage(uint32_t msg, TPoint at) {
  const bool over = Contains(at);
  switch (msg) {
    case WM_LBUTTONDOWN:
      FPressed = true;
      break;
    case WM_LBUTTONUP:
      if (!FPressed) return;
      FPressed = false;
      FDown = false;
      Invalidate();
      if (over) Click();  // released elsewhere: no click, as users expect
      return;
    default:
      break;
  }
  if (FDown != (FPressed && over)) {
    FDown = FPressed && over;
    Invalidate();
  }
}
