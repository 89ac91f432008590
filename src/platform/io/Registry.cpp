#include "platform/io/Registry.h"

#include "platform/io/Folders.h"
#include "platform/io/Paths.h"
#include "platform/io/ProfileFile.h"

namespace {

// The folder of a key: its path after "software\", backslashes turned into the separator.
AnsiString KeyFolder(THive hive, const AnsiString& keyPath) {
  AnsiString relative = keyPath;
  const AnsiString software = "software\\";
  if (AnsiLowerCase(relative.substr(0, software.size())) == software) relative.erase(0, software.size());
  for (char& c : relative) {
    if (c == '\\') c = PathDelim;
  }
  const AnsiString root = hive == THive::CurrentUser ? ShellFolderPath(CSIDL_APPDATA) : SystemConfigPath();
  return root.empty() ? AnsiString() : root + PathDelim + relative;
}

AnsiString KeyFile(const AnsiString& folder) { return folder + PathDelim + "registry.ini"; }

bool MakeFolders(const AnsiString& folder) {
  if (folder.empty() || DirectoryExists(folder)) return !folder.empty();
  const size_t slash = folder.rfind(PathDelim);
  if (slash != AnsiString::npos && slash > 0) MakeFolders(folder.substr(0, slash));
  return CreateDir(folder) || DirectoryExists(folder);
}

}  // namespace

bool RegistryKeyExists(THive hive, const AnsiString& keyPath) {
  const AnsiString folder = KeyFolder(hive, keyPath);
  return !folder.empty() && FileExists(KeyFile(folder));
}

std::optional<TRegistryKey> TRegistryKey::Open(THive hive, const AnsiString& keyPath, bool create) {
  const AnsiString folder = KeyFolder(hive, keyPath);
  if (folder.empty()) return std::nullopt;
  const AnsiString file = KeyFile(folder);
  if (FileExists(file)) return TRegistryKey(hive, file);
  if (!create || !MakeFolders(folder) || !UpdateFileAtomically(file, [](const std::string& before) { return before; })) return std::nullopt;
  return TRegistryKey(hive, file);
}

std::optional<AnsiString> TRegistryKey::ReadString(const AnsiString& subkey, const AnsiString& name) const {
  const std::optional<AnsiString> text = ReadWholeFile(FLocation);
  return text ? ProfileValue(*text, subkey, name) : std::nullopt;
}

bool TRegistryKey::WriteString(const AnsiString& subkey, const AnsiString& name, const AnsiString& value) {
  return WritePrivateProfileString(subkey, name, value, FLocation);
}
