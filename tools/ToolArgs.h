#pragma once
// Command-line options of the tool's subcommands: "--name value" pairs and positionals.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A mistake in the command line; the tool prints it with the usage and exits 1.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ToolArgs {
 public:
  // valued: option names that take a value; flags: those that do not.
  ToolArgs(const std::vector<std::string>& args, const std::vector<std::string>& valued,
           const std::vector<std::string>& flags = {});

  bool Has(const std::string& name) const { return FValues.count(name) != 0; }
  std::optional<std::string> Text(const std::string& name) const;
  int64_t Integer(const std::string& name, int64_t fallBack, int64_t min, int64_t max) const;
  double Real(const std::string& name, double fallBack) const;
  const std::vector<std::string>& Positionals() const { return FPositionals; }

 private:
  std::map<std::string, std::string> FValues;
  std::vector<std::string> FPositionals;
};

// Arguments are UTF-8 on every system (Windows' command line is read as UTF-16);
// a name in one goes inside through FromUtf8Name, losslessly.

// An argument as a path for the standard library.
std::filesystem::path ArgumentPath(const std::string& argument);

// The whole file a FILE argument names, read as the chime
// reads a dropped file: what is missing, unreadable or no regular file throws
// the file layer's open failure.
std::vector<uint8_t> ReadFileArgument(const std::string& name);
