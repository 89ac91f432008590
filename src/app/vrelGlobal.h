#pragma once
// The application globals: where the program file lies, its version record, the
// system's major version, and the settings store (a profile file in the data
// folder, and the registry key of the data-folder override).
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/text/AnsiString.h"
#include "platform/Exception.h"
#include "platform/io/Registry.h"
#include "platform/system/SystemInfo.h"

// A settings write the system refused: "%s に書き込めません" with the file's path.
class EIniWriteError : public Exception {
 public:
  using Exception::Exception;
};

class TvrelGlobal {
 public:
  using VersionSource = std::function<std::optional<TVersionRecord>()>;

  // programFile empty: the running program's file. Runs the registry override.
  explicit TvrelGlobal(AnsiString programFile = "", VersionSource versionSource = ProgramVersionRecord);
  // Flushes the settings file.
  ~TvrelGlobal();
  TvrelGlobal(const TvrelGlobal&) = delete;
  TvrelGlobal& operator=(const TvrelGlobal&) = delete;

  const AnsiString& ExeDir();
  const AnsiString& ExePath();
  const AnsiString& ExeName();
  const AnsiString& CompanyName();
  const AnsiString& ProductName();
  const AnsiString& InternalName();
  const AnsiString& FileVersion();
  int32_t OSMajorVersion();

  int32_t IniReadInteger(const AnsiString& section, const AnsiString& key, int32_t fallBack);
  AnsiString IniReadString(const AnsiString& section, const AnsiString& key, const AnsiString& fallBack);
  bool IniReadBool(const AnsiString& section, const AnsiString& key, bool fallBack);
  // Writes throw EIniWriteError when the file cannot be written; the old file stays.
  void IniWriteInteger(const AnsiString& section, const AnsiString& key, int32_t value);
  void IniWriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value);
  void IniWriteBool(const AnsiString& section, const AnsiString& key, bool value);
  void IniWriteFloat(const AnsiString& section, const AnsiString& key, double value);

  AnsiString RegReadString(const AnsiString& section, const AnsiString& key, const AnsiString& fallBack);
  void RegWriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value);
  bool SettingsKeyExists();

  void SetDataFolder(const AnsiString& path);
  // Chosen on first use when no override set it; never changes afterwards.
  const AnsiString& DataFolder();
  AnsiString DataFolderPath();
  AnsiString SettingsFileName();
  AnsiString ChooseDataFolder();
  AnsiString InstalledAppDir();

  static bool CanWriteFolder(const AnsiString& path);
  static void EnsureFolder(const AnsiString& path);
  static AnsiString SpecialFolderPath(int32_t csidl);

 private:
  void ReadVersionRecord();
  void EnsureVersionRecord();
  AnsiString UserKeyPath();
  TRegistryKey& RegistryStore();
  void Write(const AnsiString& section, const AnsiString& key, const AnsiString& value);

  AnsiString FProgramFile;
  VersionSource FVersionSource;
  bool FVersionRead = false;
  AnsiString FExeDir, FExePath, FExeName;
  AnsiString FCompanyName = "unknown", FProductName = "unknown", FInternalName = "unknown";
  AnsiString FFileVersion;
  AnsiString FDataFolder;
  bool FNoStore = false;  // no folder for settings at all: defaults, and writes go nowhere
  std::optional<TRegistryKey> FRegistry;
};
