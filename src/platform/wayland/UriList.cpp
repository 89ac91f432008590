#include "platform/wayland/UriList.h"

namespace {
constexpr std::string_view kScheme = "file://";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Decoded(std::string_view path) {
  std::string bytes;
  for (size_t i = 0; i < path.size(); ++i) {
    const int high = path[i] == '%' && i + 2 < path.size() ? HexValue(path[i + 1]) : -1;
    const int low = high >= 0 ? HexValue(path[i + 2]) : -1;
    if (low >= 0) {
      bytes += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      bytes += path[i];
    }
  }
  return bytes;
}
}  // namespace

std::vector<std::string> LocalPathsOfUriList(std::string_view list) {
  std::vector<std::string> paths;
  while (!list.empty()) {
    const size_t end = list.find('\n');
    std::string_view line = list.substr(0, end);
    list = end == std::string_view::npos ? std::string_view{} : list.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#' || !line.starts_with(kScheme)) continue;
    // The host, empty or this machine's, ends at the path's first slash.
    const size_t slash = line.find('/', kScheme.size());
    if (slash == std::string_view::npos) continue;
    paths.push_back(Decoded(line.substr(slash)));
  }
  return paths;
}
