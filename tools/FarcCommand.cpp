// chimora-tool farc: list, extract and pack FARC archives.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "Commands.h"
#include "ToolArgs.h"
#include "platform/text/SysUtils.h"
#include "resources/ClassArchiveStream.h"

namespace {

// Where a member goes without an output name: its base name in the current
// folder, as archivers do. Both separators count; a 0x5C that trails a
// double-byte character is part of it, not a separator.
std::string MemberFileName(const AnsiString& member) {
  size_t start = 0;
  for (size_t i = 0; i < member.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(member[i]))) {
      ++i;
    } else if (member[i] == '/' || member[i] == '\\') {
      start = i + 1;
    }
  }
  const AnsiString base = member.substr(std::min(start, member.size()));
  if (base.empty() || base == "." || base == "..") {
    throw std::runtime_error("the member \"" + ToUtf8(member) + "\" has no file name; give an output name");
  }
  return ToUtf8(base);
}
int List(TArchiveStream& archive) {
  std::cout << "stored size value: " << archive.StoredSize() << "\n"
            << "members:           " << archive.MemberCount() << "\n"
            << "created:           " << ToUtf8(archive.CreationTime()) << "\n\n"
            << "   id  offset        size  flags  name\n";
  const TfilesList& files = archive.Files();
  for (int32_t i = 0; i < files.Count(); ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "%5d %7lld %11lld %6d  ", files.GetId(i), static_cast<long long>(files.GetDataOffset(i)),
                  static_cast<long long>(files.GetDataSize(i)), files.Entry(i).Flags);
    std::cout << line << ToUtf8(files.Strings(i)) << "\n";
  }
  return 0;
}

int Extract(TArchiveStream& archive, const std::string& member, const std::string& out) {
  const int32_t index = StrToIntDef(member, -1);
  if (member.find_first_not_of("0123456789") == std::string::npos && index >= 0) {
    archive.Select(index);
  } else {
    archive.SelectName(FromUtf8Name(member));
  }
  const std::string target = out.empty() ? MemberFileName(archive.Files().Strings(archive.Index())) : out;
  std::ofstream file(ArgumentPath(target), std::ios::binary | std::ios::trunc);
  std::vector<char> buffer(65536);
  int64_t total = 0;
  for (int64_t n; (n = archive.Read(buffer.data(), static_cast<int64_t>(buffer.size()))) > 0; total += n) {
    file.write(buffer.data(), n);
  }
  file.close();
  if (!file) throw std::runtime_error("cannot write " + target);
  std::cout << total << " bytes written to " << target << "\n";
  return 0;
}

int Pack(const std::string& archive, const std::vector<std::string>& files) {
  std::vector<ArchiveMember> members;
  for (const std::string& f : files) {
    const std::u8string leaf = ArgumentPath(f).filename().u8string();
    members.push_back({FromUtf8Name(std::string(leaf.begin(), leaf.end())), ReadFileArgument(f)});
  }
  WriteArchive(FromUtf8Name(archive), members);
  std::cout << members.size() << " members packed into " << archive << "\n";
  return 0;
}

int Farc(const std::vector<std::string>& args) {
  const ToolArgs opts(args, {});
  const auto& p = opts.Positionals();
  if (p.size() >= 2 && p[0] == "pack") return Pack(p[1], std::vector<std::string>(p.begin() + 2, p.end()));
  if (p.size() == 2 && p[0] == "list") {
    TArchiveStream archive(FromUtf8Name(p[1]));
    return List(archive);
  }
  if ((p.size() == 3 || p.size() == 4) && p[0] == "extract") {
    TArchiveStream archive(FromUtf8Name(p[1]));
    return Extract(archive, p[2], p.size() == 4 ? p[3] : "");
  }
  throw UsageError("give list ARCHIVE, extract ARCHIVE NAME|INDEX [OUT] or pack ARCHIVE FILE...");
}

}  // namespace

const ToolCommand kFarcCommand = {
    "farc", "list, extract or pack FARC archives",
    "usage: chimora-tool farc list ARCHIVE\n"
    "       chimora-tool farc extract ARCHIVE NAME|INDEX [OUT]\n"
    "       chimora-tool farc pack ARCHIVE FILE...\n"
    "\n"
    "list prints the header (stored size value, member count, creation time) and every\n"
    "member (id, offset, size, flags, name). extract copies one member, chosen by its\n"
    "name or its index from 0, to OUT (default: its own name). pack writes a new\n"
    "archive holding the files, each under its file name. An archive is opened for\n"
    "writing with other writers locked out, and an empty file becomes an empty archive.\n",
    Farc};
