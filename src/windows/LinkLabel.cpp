#include "windows/LinkLabel.h"

#include "app/ShellAndText.h"
#include "platform/io/Folders.h"
#include "platform/io/Paths.h"

std::optional<AnsiString> LinkCaptionFor(const AnsiString& url) {
  if (FileExists(url)) return ExtractFileName(url);
  if (DirectoryExists(url)) return ExtractFileDir(url);
  return std::nullopt;
}

void FollowLink(const AnsiString& url, const AnsiString& caption) {
  const AnsiString target = url.empty() ? caption : url;
  if (FileExists(target) || DirectoryExists(target)) {
    RunFile(target);
  } else {
    OpenLink(target);
  }
}

TLinkLabel::TLinkLabel(TForm& parent) : TLabel(parent) { Cursor = TCursor::crHandPoint; }

void TLinkLabel::SetLinkURL(const AnsiString& url) {
  FLinkURL = url;
  if (const auto caption = LinkCaptionFor(url)) SetCaption(*caption);
}

namespace {
// A font style of its own ends the parent's font, as setting a control's font does.
TFont& OwnFont(TControl& control) {
  if (control.ParentFont) {
    control.Font = control.EffectiveFont();
    control.ParentFont = false;
  }
  return control.Font;
}
}  // namespace

void TLinkLabel::MouseEnter() {
  OwnFont(*this).Underline = true;
  Invalidate();
}

void TLinkLabel::MouseLeave() {
  OwnFont(*this).Underline = false;
  Invalidate();
}

void TLinkLabel::Click() {
  TLabel::Click();
  FollowLink(FLinkURL, Caption());
}
