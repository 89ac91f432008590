#include "platform/io/Registry.h"

#include <windows.h>

namespace {

HKEY Root(THive hive) { return hive == THive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

class Key {
 public:
  Key(THive hive, const AnsiString& path, bool create) {
    const LONG result = create ? RegCreateKeyExA(Root(hive), path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &FKey, nullptr)
                               : RegOpenKeyExA(Root(hive), path.c_str(), 0, KEY_READ, &FKey);
    if (result != ERROR_SUCCESS) FKey = nullptr;
  }
  ~Key() {
    if (FKey != nullptr) RegCloseKey(FKey);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY Get() const { return FKey; }

 private:
  HKEY FKey = nullptr;
};

AnsiString Child(const AnsiString& path, const AnsiString& subkey) { return subkey.empty() ? path : path + "\\" + subkey; }

}  // namespace

bool RegistryKeyExists(THive hive, const AnsiString& keyPath) { return Key(hive, keyPath, false).Get() != nullptr; }

std::optional<TRegistryKey> TRegistryKey::Open(THive hive, const AnsiString& keyPath, bool create) {
  if (Key(hive, keyPath, create).Get() == nullptr) return std::nullopt;
  return TRegistryKey(hive, keyPath);
}

std::optional<AnsiString> TRegistryKey::ReadString(const AnsiString& subkey, const AnsiString& name) const {
  const Key key(FHive, Child(FLocation, subkey), false);
  if (key.Get() == nullptr) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  AnsiString value(size, '\0');
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(std::min<size_t>(size, value.size()));
  while (!value.empty() && value.back() == '\0') value.pop_back();
  return value;
}

bool TRegistryKey::WriteString(const AnsiString& subkey, const AnsiString& name, const AnsiString& value) {
  const Key key(FHive, Child(FLocation, subkey), true);
  return key.Get() != nullptr &&
         RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}
