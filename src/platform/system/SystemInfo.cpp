#include "platform/system/SystemInfo.h"

#include <utility>

namespace {
constexpr int32_t kWithoutPerPixelAlpha = 4;
constexpr int32_t kFirstWithPerPixelAlpha = 6;

std::function<bool()>& PerPixelAlphaSource() {
  static std::function<bool()> source;
  return source;
}
}  // namespace

int32_t SystemMajorVersion() {
  const int32_t own = SystemOwnMajorVersion();
  if (!PerPixelAlphaSource()) return own;
  if (!PerPixelAlphaSource()()) return kWithoutPerPixelAlpha;
  return own > kWithoutPerPixelAlpha ? own : kFirstWithPerPixelAlpha;
}

ScopedPerPixelAlphaSource::ScopedPerPixelAlphaSource(std::function<bool()> source)
    : FPrevious(std::exchange(PerPixelAlphaSource(), std::move(source))) {}

ScopedPerPixelAlphaSource::~ScopedPerPixelAlphaSource() { PerPixelAlphaSource() = std::move(FPrevious); }
