#include "platform/system/DesktopScale.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {
// The dots per inch of one scale step, and where a desktop starts to double.
constexpr double kDpiPerStep = 96;
constexpr double kFirstDoubledDpi = 144;

// The whole text as a finite number, else none.
std::optional<double> Number(const std::string& text) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<double> StepsOfDpi(const std::string& text) {
  const std::optional<double> dpi = Number(text);
  if (!dpi || *dpi <= 0) return dpi;
  return *dpi < kFirstDoubledDpi ? 1 : std::floor((*dpi + kDpiPerStep / 2) / kDpiPerStep);
}
}  // namespace

TScaleChoice ChooseScale(const TScaleRequest& request, TPoint screen, int32_t units) {
  const int32_t fits = std::max<int32_t>(1, std::min(screen.x, screen.y) / std::max<int32_t>(1, units));
  const struct {
    const std::optional<std::string>& text;
    const char* name;
    bool dpi;
  } sources[] = {{request.Option, "--scale", false},
                 {request.Setting, "the setting scale", false},
                 {request.GdkScale, "GDK_SCALE", false},
                 {request.QtScaleFactor, "QT_SCALE_FACTOR", false},
                 {request.XftDpi, "Xft.dpi", true}};
  for (const auto& source : sources) {
    if (!source.text) continue;
    const std::optional<double> asked = source.dpi ? StepsOfDpi(*source.text) : Number(*source.text);
    const double rounded = asked ? std::floor(*asked + 0.5) : 0;
    if (asked && rounded >= 1 && rounded <= fits) return {static_cast<int32_t>(rounded), {}};
    const bool tooLarge = asked && rounded > fits;
    const int32_t chosen = tooLarge ? fits : 1;
    return {chosen, std::string("chimora: ") + source.name + " " + *source.text +
                        (tooLarge ? " does not fit this screen" : " is not a scale") + "; scale " + std::to_string(chosen)};
  }
  return {1, {}};
}

std::optional<std::string> XResourceValue(std::string_view database, std::string_view name) {
  std::optional<std::string> value;
  while (!database.empty()) {
    const size_t end = std::min(database.find('\n'), database.size());
    std::string_view line = database.substr(0, end);
    database.remove_prefix(std::min(end + 1, database.size()));
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos || line.substr(0, colon) != name) continue;
    line.remove_prefix(colon + 1);
    const size_t first = line.find_first_not_of(" \t");
    const size_t last = line.find_last_not_of(" \t\r");
    value = first == std::string_view::npos ? std::string() : std::string(line.substr(first, last - first + 1));
  }
  return value;  // the last one, as the X resource manager keeps it
}
