#pragma once
// What the information window's link label does with its address.
#include <optional>

#include "platform/text/AnsiString.h"

// The caption an address gives the label: an existing file's name without its
// folder, an existing folder's path without its last part; nothing for others,
// which leave the caption as it is.
std::optional<AnsiString> LinkCaptionFor(const AnsiString& url);

// A click: the address, or the caption when there is none. An existing file or
// folder is run; anything else opens as a link (a mail address unless it begins with "http:").
void FollowLink(const AnsiString& url, const AnsiString& caption);
