#pragma once
// Variables the program sets for itself alone: what it starts (SpawnDetached)
// gets the environment the program was started with.
#include <optional>
#include <string>
#include <vector>

// While alive, name has value in this process (none: unset); afterwards it has
// its own value again. Made and ended on the main thread before other threads run.
class ScopedOwnVariable {
 public:
  ScopedOwnVariable(std::string name, std::optional<std::string> value);
  ~ScopedOwnVariable();
  ScopedOwnVariable(const ScopedOwnVariable&) = delete;
  ScopedOwnVariable& operator=(const ScopedOwnVariable&) = delete;

 private:
  std::string FName;
  std::optional<std::string> FOriginal;
};

// This process's environment as "NAME=value" entries, with every variable of a
// live ScopedOwnVariable as it was before.
std::vector<std::string> ChildEnvironment();
