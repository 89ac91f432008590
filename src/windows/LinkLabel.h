#pragma once
// A label that opens its address when clicked: hand cursor, underlined while
// the pointer is over it.
#include <optional>

#include "platform/text/AnsiString.h"
#include "platform/window/Controls.h"

class TLinkLabel : public TLabel {
 public:
  explicit TLinkLabel(TForm& parent);
  const AnsiString& LinkURL() const { return FLinkURL; }
  // An existing file or folder also names the caption (LinkCaptionFor).
  void SetLinkURL(const AnsiString& url);
  void MouseEnter() override;
  void MouseLeave() override;
  // The label's own click first, then the address is followed (FollowLink).
  void Click() override;

 private:
  AnsiString FLinkURL;
};

// The caption an address gives the label: an existing file's name without its
// folder, an existing folder's path without its last part; nothing for others,
// which leave the caption as it is.
std::optional<AnsiString> LinkCaptionFor(const AnsiString& url);

// A click: the address, or the caption when there is none. An existing file or
// folder is run; anything else opens as a link (a mail address unless it begins with "http:").
void FollowLink(const AnsiString& url, const AnsiString& caption);
