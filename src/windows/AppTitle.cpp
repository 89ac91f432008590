#include "windows/AppTitle.h"

#include "app/ShellAndText.h"
#include "imaging/FuncGraphicWork.h"
#include "platform/graphics/Canvas.h"

TBitmap DrawnAppTitle(const AnsiString& productName) {
  TBitmap title;
  title.SetPixelFormat(TPixelFormat::pf32bit);
  title.SetSize(320, 64);
  FillBitmap32(title, 0xFFFFFFFF);
  {
    TCanvas canvas(title);
    canvas.Brush.Color = 0xFFFFFF;  // white on white: as a clear background
    if (HasLeadByte(productName)) {
      canvas.Font.Name = Ansi(u8"HGP創英角ｺﾞｼｯｸUB");
      canvas.Font.Height = 40;
      canvas.Font.Charset = 128;
      canvas.TextOut(2, 16, productName);
    } else {
      canvas.Font.Name = "Arial Black";
      canvas.Font.Height = 52;
      canvas.Font.Charset = 0;
      canvas.TextOut(2, 0, productName);
    }
  }
  HalveInPlace32(title);
  title.SetSize(160, 32);
  return title;
}
