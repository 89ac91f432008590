#include "resources/vrelGraphicSource.h"

#include "platform/io/Paths.h"

void TArchiverList::AddArchive(const AnsiString& path) {
  if (!FileExists(path)) return;
  auto stream = std::make_unique<TArchiveStream>(path);
  const size_t slash = path.rfind(PathDelim);
  const AnsiString fileName = slash == AnsiString::npos ? path : path.substr(slash + 1);
  FItems.push_back({ChangeFileExt(fileName, ""), std::move(stream)});
}

TGraphicSource::TGraphicSource(const AnsiString& programFolder) { FArchives.AddArchive(programFolder + "graphic"); }
