// The program's resources as the system holds them: every named resource of a
// named type, found with FindResourceA.
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/io/Resources.h"

namespace {

struct Names {
  std::deque<std::string> Strings;  // stable addresses for the table's names
  std::vector<ResourceEntry> Entries;
  std::vector<std::string> Types;
};

BOOL CALLBACK OnName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR context) {
  auto& names = *reinterpret_cast<Names*>(context);
  if (IS_INTRESOURCE(name)) return TRUE;
  const HRSRC found = FindResourceA(module, name, type);
  const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  if (loaded == nullptr) return TRUE;
  const auto* data = static_cast<const uint8_t*>(LockResource(loaded));
  names.Strings.emplace_back(type);
  const char* typeName = names.Strings.back().c_str();
  names.Strings.emplace_back(name);
  names.Entries.push_back(ResourceEntry{typeName, names.Strings.back().c_str(),
                                        std::span<const uint8_t>(data, SizeofResource(module, found))});
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE, LPSTR type, LONG_PTR context) {
  if (!IS_INTRESOURCE(type)) reinterpret_cast<Names*>(context)->Types.emplace_back(type);
  return TRUE;
}

const Names& Table() {
  static const Names table = [] {
    Names names;
    EnumResourceTypesA(nullptr, OnType, reinterpret_cast<LONG_PTR>(&names));
    for (const std::string& type : names.Types) EnumResourceNamesA(nullptr, type.c_str(), OnName, reinterpret_cast<LONG_PTR>(&names));
    return names;
  }();
  return table;
}

}  // namespace

std::span<const ResourceEntry> ProgramResources() { return Table().Entries; }
