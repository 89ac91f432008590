#include "platform/system/SystemInfo.h"

#include <utility>

namespace {
std::function<int32_t()>& MajorVersionSource() {
  static std::function<int32_t()> source;
  return source;
}
}  // namespace

int32_t SystemMajorVersion() { return MajorVersionSource() ? MajorVersionSource()() : SystemOwnMajorVersion(); }

ScopedMajorVersionSource::ScopedMajorVersionSource(std::function<int32_t()> source)
    : FPrevious(std::exchange(MajorVersionSource(), std::move(source))) {}

ScopedMajorVersionSource::~ScopedMajorVersionSource() { MajorVersionSource() = std::move(FPrevious); }
