#pragma once
// The controls the system's dialogs place on a form. Labels and images have no
// window: the form draws them on its canvas and hands them its mouse messages.
// A button is a window of its own, so presses on it never reach the form's
// window procedure.
#include <cstdint>
#include <functional>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/text/AnsiString.h"
#include "platform/Types.h"

class TForm;

enum class TCursor { crDefault, crHandPoint };
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

// The parent's edges a control keeps its distance to when the parent is sized.
using TAnchors = uint8_t;
constexpr TAnchors akLeft = 1, akTop = 2, akRight = 4, akBottom = 8;

using TNotifyEvent = std::function<void(void* sender)>;

class TControl {
 public:
  // Placed on parent, which draws it and routes the mouse to it until it is destroyed.
  explicit TControl(TForm& parent);
  virtual ~TControl();
  TControl(const TControl&) = delete;
  TControl& operator=(const TControl&) = delete;

  TForm& Parent() const { return FParent; }
  void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
  TRect BoundsRect() const { return TRect{Left, Top, Left + Width, Top + Height}; }
  bool Contains(TPoint at) const;
  // Draws again, with the rest of the form.
  void Invalidate();
  // The parent's font unless ParentFont is false.
  const TFont& EffectiveFont() const;
  // The parent's size changed by (dw, dh): a control held by the far edge
  // alone moves with it; one held by both edges grows.
  void ParentSized(int32_t dw, int32_t dh);

  int32_t Left = 0, Top = 0, Width = 0, Height = 0;
  bool Visible = true;
  TAnchors Anchors = akLeft | akTop;
  bool ParentFont = true;
  TFont Font;
  TCursor Cursor = TCursor::crDefault;
  TNotifyEvent OnClick;

  virtual bool Windowed() const { return false; }
  virtual void Paint(TCanvas& canvas) = 0;
  virtual void Click();
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
  // A windowed control's own mouse messages (WM_LBUTTONDOWN, WM_MOUSEMOVE,
  // WM_LBUTTONUP) at form client coordinates.
  virtual void MouseMessage(uint32_t /*msg*/, TPoint /*at*/) {}

 private:
  TForm& FParent;
};

// A line of text, without a window.
class TLabel : public TControl {
 public:
  using TControl::TControl;
  void SetCaption(const AnsiString& caption);
  const AnsiString& Caption() const { return FCaption; }
  // Sized to its caption whenever that changes (a right-aligned label keeps its
  // right edge); else the caption is cut to the bounds.
  bool AutoSize = true;
  bool Transparent = false;  // else its bounds are filled with Color
  Color32 Color = 0xFFFFFF;
  TAlignment Alignment = TAlignment::taLeftJustify;
  void Paint(TCanvas& canvas) override;
  // Fits the bounds to the caption when AutoSize.
  void AdjustBounds();

 private:
  AnsiString FCaption;
};

// A picture at the control's top-left corner, cut to its bounds.
class TImage : public TControl {
 public:
  using TControl::TControl;
  TBitmap Picture;
  // The colour of the picture's bottom-left pixel is left out (24-bit pictures);
  // a 32-bit picture is always drawn by its alpha.
  bool Transparent = false;
  void Paint(TCanvas& canvas) override;
};

class TButton : public TControl {
 public:
  using TControl::TControl;
  AnsiString Caption;
  bool Cancel = false;   // Escape clicks it
  bool Default = false;  // Return clicks it
  bool Windowed() const override { return true; }
  void Paint(TCanvas& canvas) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseMessage(uint32_t msg, TPoint at) override;
  bool Down() const { return FDown; }

 private:
  bool FHot = false;
  bool FPressed = false;  // the left button went down on it and is not yet up
  bool FDown = false;     // pressed and the pointer over it: drawn pushed in
};
