#include "platform/io/Paths.h"

namespace {
// Position of the extension's dot, or npos; double-byte characters are stepped over whole.
size_t ExtensionDot(const AnsiString& fileName) {
  size_t dot = AnsiString::npos;
  for (size_t i = 0; i < fileName.size(); ++i) {
    const auto c = static_cast<unsigned char>(fileName[i]);
    if (IsLeadByte(c)) {
      ++i;
    } else if (c == PathDelim) {
      dot = AnsiString::npos;
    } else if (c == '.') {
      dot = i;
    }
  }
  return dot;
}
}  // namespace

AnsiString ExtractFileExt(const AnsiString& fileName) {
  const size_t dot = ExtensionDot(fileName);
  return dot == AnsiString::npos ? AnsiString() : fileName.substr(dot);
}

// The separator is below 0x40, so it is never the trail byte of a double-byte character.
AnsiString ExtractFileName(const AnsiString& fileName) {
  const size_t slash = fileName.rfind(PathDelim);
  return slash == AnsiString::npos ? fileName : fileName.substr(slash + 1);
}

AnsiString ExtractFileDir(const AnsiString& fileName) {
  const size_t slash = fileName.rfind(PathDelim);
  return slash == AnsiString::npos ? AnsiString() : fileName.substr(0, slash == 0 ? 1 : slash);
}

AnsiString ChangeFileExt(const AnsiString& fileName, const AnsiString& extension) {
  return fileName.substr(0, ExtensionDot(fileName)) + extension;
}
