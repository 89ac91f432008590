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
