#include "platform/system/OwnEnvironment.h"

#include <cstdlib>
#include <map>

extern char** environ;

namespace {
// The values the live objects replaced; the first object of a name holds the original.
std::map<std::string, std::optional<std::string>>& Originals() {
  static std::map<std::string, std::optional<std::string>> originals;
  return originals;
}

std::optional<std::string> Value(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

void Set(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    ::setenv(name.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name.c_str());
  }
}
}  // namespace

ScopedOwnVariable::ScopedOwnVariable(std::string name, std::optional<std::string> value)
    : FName(std::move(name)), FOriginal(Value(FName)) {
  Originals().emplace(FName, FOriginal);
  Set(FName, value);
}

ScopedOwnVariable::~ScopedOwnVariable() {
  Set(FName, FOriginal);
  if (const auto it = Originals().find(FName); it != Originals().end() && it->second == FOriginal) Originals().erase(it);
}

std::vector<std::string> ChildEnvironment() {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (Originals().count(text.substr(0, text.find('='))) == 0) entries.push_back(text);
  }
  for (const auto& [name, value] : Originals()) {
    if (value) entries.push_back(name + "=" + *value);
  }
  return entries;
}
