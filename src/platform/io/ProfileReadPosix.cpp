#include "platform/io/ProfileFile.h"

AnsiString GetPrivateProfileString(const AnsiString& section, const AnsiString& key, const AnsiString& fallBack,
                                   size_t size, const AnsiString& fileName) {
  const std::optional<AnsiString> text = ReadWholeFile(fileName);
  std::optional<AnsiString> value = text ? ProfileValue(*text, section, key) : std::nullopt;
  if (!value) {
    value = fallBack;
    value->erase(value->find_last_not_of(' ') + 1);
  }
  if (size > 0 && value->size() > size - 1) value->resize(size - 1);
  return *value;
}
