#include "ToolArgs.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/io/FileStream.h"

namespace {
bool Contains(const std::vector<std::string>& list, const std::string& s) {
  return std::find(list.begin(), list.end(), s) != list.end();
}
}  // namespace

ToolArgs::ToolArgs(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                   const std::vector<std::string>& flags) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.rfind("--", 0) != 0 || a == "--") {
      FPositionals.push_back(a);
    } else if (Contains(flags, a)) {
      FValues[a] = "";
    } else if (Contains(valued, a)) {
      if (i + 1 >= args.size()) throw UsageError(a + " needs a value");
      FValues[a] = args[++i];
    } else {
      throw UsageError("unknown option " + a);
    }
  }
}

std::optional<std::string> ToolArgs::Text(const std::string& name) const {
  auto it = FValues.find(name);
  if (it == FValues.end()) return std::nullopt;
  return it->second;
}

int64_t ToolArgs::Integer(const std::string& name, int64_t fallBack, int64_t min,
                          int64_t max) const {
  const auto text = Text(name);
  if (!text) return fallBack;
  int64_t value = 0;
  const char* end = text->data() + text->size();
  const auto [ptr, ec] = std::from_chars(text->data(), end, value);
  if (ec != std::errc() || ptr != end || value < min || value > max) {
    throw UsageError(name + " takes a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max));
  }
  return value;
}

double ToolArgs::Real(const std::string& name, double fallBack) const {
  const auto text = Text(name);
  if (!text) return fallBack;
  double value = 0;
  const char* end = text->data() + text->size();
  const auto [ptr, ec] = std::from_chars(text->data(), end, value);
  if (ec != std::errc() || ptr != end || !std::isfinite(value)) {
    throw UsageError(name + " takes a number");
  }
  return value;
}

std::filesystem::path ArgumentPath(const std::string& argument) {
  return std::filesystem::path(std::u8string(argument.begin(), argument.end()));
}

std::vector<uint8_t> ReadFileArgument(const std::string& name) {
  TFileStream file(FromUtf8Name(name), fmOpenRead | fmShareDenyNone);
  std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
  bytes.resize(static_cast<size_t>(file.Read(bytes.data(), static_cast<int64_t>(bytes.size()))));
  return bytes;
}
