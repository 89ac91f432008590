#pragma once
// Profile (ini) files with the semantics of the window system's profile-string
// calls: sections and keys compare without regard to case, blanks around keys and
// values are dropped, one pair of matching quotes around a value is removed, and
// the first of duplicate sections and keys counts. Every write replaces the file
// atomically (temporary file, fsync, rename), so a crash or a full disk leaves
// either the old file or the new one.
#include <functional>
#include <optional>
#include <string>

#include "platform/text/AnsiString.h"

// The value of section/key in profile text; nothing when section or key is missing.
std::optional<AnsiString> ProfileValue(std::string_view text, std::string_view section, std::string_view key);

// The text with section/key set to value; no value deletes the key, and no key
// deletes the whole section. Other lines stay as they were.
AnsiString WithProfileValue(std::string_view text, std::string_view section, std::optional<std::string_view> key,
                            std::optional<std::string_view> value);

// Reads fileName (CP932 name); the default, with trailing blanks dropped, when
// the file, section or key is missing. At most size - 1 characters are returned
// (0: no limit). On Windows the system's own call reads.
AnsiString GetPrivateProfileString(const AnsiString& section, const AnsiString& key, const AnsiString& fallBack,
                                   size_t size, const AnsiString& fileName);

// False when the file cannot be written (the folder is missing or read-only, the
// disk is full); the old file is then untouched. All three absent only flushes.
bool WritePrivateProfileString(const std::optional<AnsiString>& section, const std::optional<AnsiString>& key,
                               const std::optional<AnsiString>& value, const AnsiString& fileName);

// The whole file; nothing when it is missing or cannot be read.
std::optional<AnsiString> ReadWholeFile(const AnsiString& fileName);
// Replaces the file with change(its content), "" when it is missing, under a
// lock on its folder so writers take turns. A link is followed and its target
// replaced; the old file's permissions stay; temporaries of killed writers are
// removed. False, with the file untouched, when it cannot be read or written
// (a read-only file included, also for root) or the folder refuses.
bool UpdateFileAtomically(const AnsiString& fileName, const std::function<std::string(const std::string&)>& change);
