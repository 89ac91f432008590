#pragma once
// The information window: the title, the maker's mark, the program's icon, its
// file name and version, a line of the maker and a link to the maker's page, on
// a white card with a rounded two-pixel border. Modal, dragged by any point but
// its button, closed by the button, Escape, Return or Alt+F4.
#include "platform/window/Controls.h"
#include "platform/window/Form.h"
#include "windows/LinkLabel.h"
#include "windows/vrelFormFunc.h"

class TFormVersionInfo : public TForm {
 public:
  // Laid out and filled in; shown with ShowModal.
  explicit TFormVersionInfo(TForm& owner);

  TImage ImgAppTitle{*this};
  TImage Image1{*this};
  TImage ImgIcon{*this};
  TLabel LBexe{*this};
  TLabel LBversion{*this};
  TLabel Label1{*this};
  TLinkLabel LinkLabel1{*this};
  TButton BtClose{*this};
  TvrelFormFunc vrelFormFunc1{*this};

 private:
  void FormCreate();
  void FormPaint();
  void vrelFormFunc1CanDragMove(void* sender, int32_t x, int32_t y, bool& dragMove);
};
