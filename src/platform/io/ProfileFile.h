#pragma once
// Profile (ini) files with the semantics of the window system's profile-string
// calls: sections and keys compare without regard to case, blanks around keys and
// values are dropped, one pair of matching quotes around a value is removed, and
// the first of duplicate sections and keys counts. Every write replaces the file
// atomically (temporary file, fsync, rename), so a crash or a full disk leaves
// either the old file or the new one.
#include <optional>

#include "platform/text/AnsiString.h"

// The value of section/key in profile text; nothing when section or key is missing.
std::optional<AnsiString> ProfileValue(std::string_view text, std::string_view section, std::string_view key);

// The text with section/key set to value; no value deletes the key, and no key
// deletes the whole section. Other lines stay as they were.
AnsiString WithProfileValue(std::string_view text, std::string_view section, std::optional<std::string_view> key,
                            std::optional<std::string_view> value);

// Reads fileName (CP932 name); the default, with trailing blanks dropped, when
// the file, section or key is missing. At most size - 1 characters are returned.
AnsiString GetPrivateProfileString(const AnsiString& section, const AnsiString& key, const AnsiString& fallBack,
                                   size_t size, const AnsiString& fileName);

// False when the file cannot be written (the folder is missing or read-only, the
// disk is full); the old file is then untouched. All three absent only flushes.
bool WritePrivateProfileString(const std::optional<AnsiString>& section, const std::optional<AnsiString>& key,
                               const std::optional<AnsiString>& value, const AnsiString& fileName);

// Whole-file helpers of the same folder-safe kind.
std::optional<AnsiString> ReadWholeFile(const AnsiString& fileName);
bool ReplaceFileAtomically(const AnsiString& fileName, std::string_view content);
