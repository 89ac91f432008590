#pragma once
// Registry keys: the system's own on Windows. Elsewhere small ini files: the key
// "software\A\B" of a hive is the file A/B/registry.ini under the hive's folder
// (the XDG config home for the current user, the first XDG config dir for the
// machine); its subkeys are sections, the string values in them keys, and the
// key's own values sit in the section "[]".
#include <optional>

#include "platform/text/AnsiString.h"

enum class THive { CurrentUser, LocalMachine };

// True when the key's file exists.
bool RegistryKeyExists(THive hive, const AnsiString& keyPath);

class TRegistryKey {
 public:
  // Nothing when the key is missing and create is false, or it cannot be made.
  static std::optional<TRegistryKey> Open(THive hive, const AnsiString& keyPath, bool create);

  // subkey "" is the key itself.
  std::optional<AnsiString> ReadString(const AnsiString& subkey, const AnsiString& name) const;
  bool WriteString(const AnsiString& subkey, const AnsiString& name, const AnsiString& value);

 private:
  TRegistryKey(THive hive, AnsiString location) : FHive(hive), FLocation(std::move(location)) {}
  [[maybe_unused]] THive FHive;  // the system's registry needs it; the ini files know by their place
  AnsiString FLocation;  // the key's file, or on Windows its path
};
