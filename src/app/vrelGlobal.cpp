#include "app/vrelGlobal.h"

#include <cmath>
#include <cstdio>
#include <iostream>

#include "platform/io/Folders.h"
#include "platform/io/Paths.h"
#include "platform/io/ProfileFile.h"
#include "platform/text/SysUtils.h"

namespace {

constexpr const char* kSettingsFile = "application.ini";
constexpr size_t kIniValueBuffer = 2048;  // values read back are cut to 2047 characters
constexpr const char* kUnknown = "unknown";

AnsiString OrUnknown(const AnsiString& value) { return value.empty() ? kUnknown : value; }

// The shortest general form with up to 15 significant digits; whole numbers without a point.
AnsiString FloatText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

}  // namespace

TvrelGlobal::TvrelGlobal(AnsiString programFile, VersionSource versionSource)
    : FProgramFile(std::move(programFile)), FVersionSource(std::move(versionSource)) {
  // The registry override of the data folder, before anything else uses the store.
  if (SettingsKeyExists()) SetDataFolder(RegReadString("DATA", "PATH", ""));
}

TvrelGlobal::~TvrelGlobal() {
  FRegistry.reset();
  if (!FDataFolder.empty() && !FNoStore) WritePrivateProfileString(std::nullopt, std::nullopt, std::nullopt, SettingsFileName());
}

void TvrelGlobal::ReadVersionRecord() {
  const AnsiString file = FProgramFile.empty() ? ProgramFileName() : FProgramFile;
  const size_t slash = file.rfind(PathDelim);
  // A root folder keeps its separator ("/", "C:\\"), so that it matches an installer's record of it.
  const bool root = slash == 0 || (PathDelim == '\\' && slash == 2 && file[1] == ':');
  FExeDir = slash == AnsiString::npos ? "" : file.substr(0, root ? slash + 1 : slash);
  FExePath = slash == AnsiString::npos ? "" : file.substr(0, slash + 1);
  FExeName = slash == AnsiString::npos ? file : file.substr(slash + 1);
  FCompanyName = FProductName = FInternalName = kUnknown;
  const std::optional<TVersionRecord> record = FVersionSource ? FVersionSource() : std::nullopt;
  if (!record) return;
  FFileVersion = record->FileVersion;
  FProductName = OrUnknown(record->ProductName);
  FInternalName = OrUnknown(record->InternalName);
  FCompanyName = OrUnknown(record->CompanyName);
  FVersionRead = true;
}

void TvrelGlobal::EnsureVersionRecord() {
  if (!FVersionRead) ReadVersionRecord();
}

const AnsiString& TvrelGlobal::ExeDir() { return EnsureVersionRecord(), FExeDir; }
const AnsiString& TvrelGlobal::ExePath() { return EnsureVersionRecord(), FExePath; }
const AnsiString& TvrelGlobal::ExeName() { return EnsureVersionRecord(), FExeName; }
const AnsiString& TvrelGlobal::CompanyName() { return EnsureVersionRecord(), FCompanyName; }
const AnsiString& TvrelGlobal::ProductName() { return EnsureVersionRecord(), FProductName; }
const AnsiString& TvrelGlobal::InternalName() { return EnsureVersionRecord(), FInternalName; }
const AnsiString& TvrelGlobal::FileVersion() { return EnsureVersionRecord(), FFileVersion; }

int32_t TvrelGlobal::OSMajorVersion() {
  // Asked each time: a compositing manager may start or stop while the program runs.
  return SystemMajorVersion();
}

int32_t TvrelGlobal::IniReadInteger(const AnsiString& section, const AnsiString& key, int32_t fallBack) {
  AnsiString text = IniReadString(section, key, "");
  // Only at the very start: " 0x1F" or "-0x1F" give the default.
  if (text.size() > 2 && (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0)) text.replace(0, 2, "$");
  return StrToIntDef(text, fallBack);
}

AnsiString TvrelGlobal::IniReadString(const AnsiString& section, const AnsiString& key, const AnsiString& fallBack) {
  const AnsiString file = SettingsFileName();
  return FNoStore ? fallBack : GetPrivateProfileString(section, key, fallBack, kIniValueBuffer, file);
}

bool TvrelGlobal::IniReadBool(const AnsiString& section, const AnsiString& key, bool fallBack) {
  return IniReadInteger(section, key, fallBack ? 1 : 0) != 0;
}

void TvrelGlobal::Write(const AnsiString& section, const AnsiString& key, const AnsiString& value) {
  const AnsiString file = SettingsFileName();
  if (FNoStore) return;
  if (!WritePrivateProfileString(section, key, value, file)) {
    throw EIniWriteError(file + Ansi(u8" に書き込めません"));
  }
}

void TvrelGlobal::IniWriteInteger(const AnsiString& section, const AnsiString& key, int32_t value) {
  Write(section, key, std::to_string(value));
}

void TvrelGlobal::IniWriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value) {
  Write(section, key, value);
}

void TvrelGlobal::IniWriteBool(const AnsiString& section, const AnsiString& key, bool value) {
  Write(section, key, value ? "1" : "0");
}

void TvrelGlobal::IniWriteFloat(const AnsiString& section, const AnsiString& key, double value) {
  Write(section, key, FloatText(value));
}

AnsiString TvrelGlobal::UserKeyPath() { return "software\\" + CompanyName() + "\\" + InternalName(); }

TRegistryKey& TvrelGlobal::RegistryStore() {
  if (!FRegistry) FRegistry = TRegistryKey::Open(THive::CurrentUser, UserKeyPath(), true);
  if (!FRegistry) throw Exception("the registry key " + UserKeyPath() + " cannot be opened");
  return *FRegistry;
}

AnsiString TvrelGlobal::RegReadString(const AnsiString& section, const AnsiString& key, const AnsiString& fallBack) {
  return RegistryStore().ReadString(section, key).value_or(fallBack);
}

void TvrelGlobal::RegWriteString(const AnsiString& section, const AnsiString& key, const AnsiString& value) {
  RegistryStore().WriteString(section, key, value);
}

bool TvrelGlobal::SettingsKeyExists() { return RegistryKeyExists(THive::CurrentUser, UserKeyPath()); }

void TvrelGlobal::SetDataFolder(const AnsiString& path) {
  FDataFolder = path;
  if (path.empty()) return;
  EnsureFolder(path);
  RegWriteString("DATA", "PATH", path);
}

const AnsiString& TvrelGlobal::DataFolder() {
  if (FDataFolder.empty() && !FNoStore) FDataFolder = ChooseDataFolder();
  return FDataFolder;
}

AnsiString TvrelGlobal::DataFolderPath() { return DataFolder() + PathDelim; }

AnsiString TvrelGlobal::SettingsFileName() { return DataFolderPath() + kSettingsFile; }

AnsiString TvrelGlobal::InstalledAppDir() {
  const auto key = TRegistryKey::Open(THive::LocalMachine, "software\\korvessa\\" + InternalName(), false);
  return key ? key->ReadString("", "AppDir").value_or("") : "";
}

AnsiString TvrelGlobal::ChooseDataFolder() {
  AnsiString folder;
  if (AnsiLowerCase(InstalledAppDir()) != AnsiLowerCase(ExeDir()) && CanWriteFolder(ExePath())) {
    folder = ExeDir() + PathDelim + "Data";
  } else if (const AnsiString special = SpecialFolderPath(CSIDL_APPDATA); !special.empty()) {
    folder = special + PathDelim + CompanyName() + PathDelim + ProductName();
  } else {
    // Not a folder at the root of the file system: said once, and the program runs on.
    FNoStore = true;
    std::cerr << "chimora: " << ToUtf8(Ansi(u8"設定を保存するフォルダーがありません (HOME がありません)。設定は保存されません")) << std::endl;
    return "";
  }
  EnsureFolder(folder);
  return folder;
}

bool TvrelGlobal::CanWriteFolder(const AnsiString& path) {
  AnsiString folder = path;
  while (!folder.empty() && folder.back() == PathDelim) folder.pop_back();
  if (!DirectoryExists(folder)) return false;
  for (int n = 0; n < 1000; ++n) {
    const AnsiString candidate = path + "WriteTest" + std::to_string(n) + ".tmp";
    if (FileExists(candidate)) continue;
    const bool created = CreateEmptyFile(candidate);
    DeleteFile(candidate);
    return created;
  }
  return false;
}

void TvrelGlobal::EnsureFolder(const AnsiString& path) {
  if (path.empty() || DirectoryExists(path)) return;
  const size_t slash = path.rfind(PathDelim);
  const AnsiString parent = slash == AnsiString::npos ? "" : path.substr(0, slash == 0 ? 1 : slash);
  if (!parent.empty() && parent != path) EnsureFolder(parent);
  CreateDir(path);
}

AnsiString TvrelGlobal::SpecialFolderPath(int32_t csidl) {
  const AnsiString path = ShellFolderPath(csidl);
  return path.empty() ? ShellFolderPath(CSIDL_DESKTOPDIRECTORY) : path;
}
