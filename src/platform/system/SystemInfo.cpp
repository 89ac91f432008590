#include "platform/system/SystemInfo.h"

#include <utility>

#include "VersionRecord.h"

std::optional<TVersionRecord> ProgramVersionRecord() {
  return TVersionRecord{kFileVersion, kProductName, kInternalName, kCompanyName};
}

namespace {
std::function<int32_t()>& MajorVersionSource() {
  static std::function<int32_t()> source;
  return source;
}
}  // namespace

int32_t SystemMajorVersion() {
  constexpr int32_t kWithoutComposition = 4;
  return MajorVersionSource() ? MajorVersionSource()() : kWithoutComposition;
}

ScopedMajorVersionSource::ScopedMajorVersionSource(std::function<int32_t()> source)
    : FPrevious(std::exchange(MajorVersionSource(), std::move(source))) {}

ScopedMajorVersionSource::~ScopedMajorVersionSource() { MajorVersionSource() = std::move(FPrevious); }
