#include <gtest/gtest.h>
#include <fstream>
#include <iterator>

#include "ArchiveBytes.h"
#include "TempFolder.h"
#include "platform/system/DateTime.h"

namespace {

class Archive : public ::testing::Test {
 protected:
  AnsiString File(const std::string& name, const std::string& bytes) { return folder.Write(name, bytes); }
  std::string Contents(const std::string& name) {
    std::ifstream in(folder / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static std::string ErrorOf(const AnsiString& file) {
    try {
      TArchiveStream archive(file);
      return "";
    } catch (const EarcSTreamError& e) {
      return ToUtf8(e.Message());
    }
  }

  TempFolder folder{"farc"};
};

}  // namespace

TEST_F(Archive, AnEmptyFileBecomesAnEmptyArchive) {
  const AnsiString file = File("empty", "");
  {
    TArchiveStream archive(file);
    EXPECT_EQ(archive.Files().Count(), 0);
    EXPECT_EQ(archive.MemberCount(), 0);
    EXPECT_EQ(archive.StoredSize(), 4);
  }
  const std::string bytes = Contents("empty");
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_EQ(bytes.substr(0, 4), "FARC");
  int64_t stored, count;
  int32_t length;
  std::memcpy(&stored, &bytes[4], 8);
  std::memcpy(&length, &bytes[16], 4);
  std::memcpy(&count, &bytes[20], 8);
  EXPECT_EQ(stored, 4);
  EXPECT_EQ(bytes.substr(12, 4), "AHDR");
  EXPECT_EQ(length, 24);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bytes.substr(28, 16).find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(bytes.substr(44, 4), "ADAT");
}

TEST_F(Archive, HeaderRefusals) {
  EXPECT_EQ(ErrorOf(File("zip", std::string("PK\x03\x04rest of a zip", 17))),
            "TArchiveStream:\r\n[Reload]ファイルが不正[PK\x03\x04]です");
  EXPECT_EQ(ErrorOf(File("ahdr", ArchiveBytes().Header(0, 24, "FARC", "XHDR").Bytes())),
            "TArchiveStream:\r\n[Reload]ファイルヘッダが不正[XHDR]です");
  EXPECT_EQ(ErrorOf(File("adat", ArchiveBytes().Header(0, 24, "FARC", "AHDR", "ADAX").Bytes())),
            "TArchiveStream:\r\n[Reload]ファイルデータが不正[ADAX]です");
  EXPECT_EQ(ErrorOf(File("short", "FA")), "TArchiveStream:\r\n[Reload]ファイルが不正[FA]です");
  EXPECT_EQ(ErrorOf(File("before-start", ArchiveBytes().Header(0, -40).Bytes())),
            "TArchiveStream:\r\n[Reload]ファイルヘッダの長さが不正です(-40)");
  EXPECT_EQ(ErrorOf(File("long-header", ArchiveBytes().Header(0, 32).Bytes())), "");  // "ADAT" at 52
  EXPECT_EQ(ArchiveBytes().Header(0, 32).Size(), 56u);
}

TEST_F(Archive, AMemberAtOffsetTwoHundred) {
  ArchiveBytes a;
  a.Header(1).Member(1, "x.bin", 200, 100).PadTo(200);
  for (int i = 0; i < 100; ++i) a.Value<uint8_t>(static_cast<uint8_t>(i));
  a.Raw("neighbour");
  TArchiveStream archive(File("member", a.Bytes()));
  uint8_t byte = 0;
  archive.Select(0);
  EXPECT_EQ(archive.Seek(0, TSeekOrigin::soBeginning), 0);
  EXPECT_EQ(archive.Size(), 100);
  EXPECT_EQ(archive.Position(), 0);
  EXPECT_THROW(archive.Seek(101, TSeekOrigin::soBeginning), EarcSTreamError);
  EXPECT_EQ(archive.Seek(100, TSeekOrigin::soBeginning), 100);  // the end itself is allowed
  EXPECT_EQ(archive.Seek(10, TSeekOrigin::soEnd), 90);           // counted backwards from the end
  EXPECT_THROW(archive.Seek(-1, TSeekOrigin::soEnd), EarcSTreamError);
  EXPECT_EQ(archive.Seek32(500, TSeekOrigin::soBeginning), 100);
  EXPECT_EQ(archive.Seek32(-5, TSeekOrigin::soBeginning), 0);
  EXPECT_EQ(archive.Seek32(-10, TSeekOrigin::soEnd), 90);
  ASSERT_EQ(archive.Read(&byte, 1), 1);
  EXPECT_EQ(byte, 90);
  archive.Seek(3, TSeekOrigin::soBeginning);
  std::vector<uint8_t> all(300);
  EXPECT_EQ(archive.Read(all.data(), 300), 97);  // cut at the member's end: no neighbour bytes
  EXPECT_EQ(all[0], 3);
  EXPECT_EQ(archive.Read(all.data(), 10), 0);
  try {
    archive.Seek(500, TSeekOrigin::soBeginning);
  } catch (const EarcSTreamError& e) {
    EXPECT_EQ(ToUtf8(e.Message()), "TArchiveStream:\r\n[Seek]格納ファイルの範囲外を指定しました");
  }
}

TEST_F(Archive, FailuresBeforeAMemberIsChosen) {
  TArchiveStream archive(File("empty", ""));
  uint8_t b;
  auto message = [](const auto& call) {
    try {
      call();
      return std::string();
    } catch (const EarcSTreamError& e) {
      return ToUtf8(e.Message());
    }
  };
  EXPECT_EQ(message([&] { archive.Read(&b, -1); }), "TArchiveStream:\r\n[Read]Countが負です(-1)");
  EXPECT_EQ(message([&] { archive.Read(&b, 1); }), "TArchiveStream:\r\n[Read]読み込みINDEXが指定されていません");
  EXPECT_EQ(message([&] { archive.Seek(0, TSeekOrigin::soBeginning); }),
            "TArchiveStream:\r\n[Seek]読み込みINDEXが指定されていません");
  EXPECT_EQ(message([&] { archive.Seek32(0, TSeekOrigin::soBeginning); }),
            "TArchiveStream:\r\n[Seek]読み込みINDEXが指定されていません");
  EXPECT_EQ(message([&] { archive.Write(&b, 1); }), "TArchiveStream:\r\n[Write]対応していません");
  EXPECT_THROW(archive.Select(0), EarcSTreamError);
  EXPECT_THROW(archive.SelectName("nothing"), EarcSTreamError);
}

TEST_F(Archive, PackListExtractRoundTrip) {
  std::vector<ArchiveMember> members = {{Ansi(u8"風鈴.png"), {1, 2, 3}}, {"empty", {}}, {Ansi(u8"夏/b.bin"), {}}};
  for (int i = 0; i < 70000; ++i) members[2].Data.push_back(static_cast<uint8_t>(i * 7));
  const AnsiString name = folder.Name("pack.farc");
  WriteArchive(name, members);
  TArchiveStream archive(name);
  EXPECT_EQ(archive.StoredSize(), 4);
  ASSERT_EQ(archive.Files().Count(), 3);
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(archive.Files().Strings(i), members[static_cast<size_t>(i)].Name);
    EXPECT_EQ(archive.Files().GetId(i), i + 1);
    EXPECT_EQ(archive.Files().Entry(i).Flags, 1);
    archive.SelectName(members[static_cast<size_t>(i)].Name);
    std::vector<uint8_t> data(static_cast<size_t>(archive.Size()));
    if (!data.empty()) archive.ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
    EXPECT_EQ(data, members[static_cast<size_t>(i)].Data);
  }
  EXPECT_EQ(archive.Files().IndexOf(Ansi(u8"風鈴.PNG")), 0);  // names without regard to case
}

TEST_F(Archive, ASecondWriterIsLockedOut) {
  const AnsiString file = File("locked", "");
  TArchiveStream first(file);
  EXPECT_THROW(TArchiveStream second(file), EFOpenError);
  TFileStream reader(file, fmOpenRead | fmShareDenyNone);
  EXPECT_EQ(reader.Size(), 48);
}

TEST_F(Archive, DamagedMemberTablesAreRefusedBeforeReading) {
  const std::string cases[] = {
      ArchiveBytes().Header(3).Member(1, "a", 90, 0).Bytes(),                                   // table ends early
      ArchiveBytes().Header(1).Member(1, "a", 86, int64_t{1} << 31).PadTo(200).Bytes(),          // 2 GiB member
      ArchiveBytes().Header(1).Member(1, "a", 86, -1).PadTo(200).Bytes(),                        // negative size
      ArchiveBytes().Header(1).Member(1, "a", 150, 100).PadTo(200).Bytes(),                      // data past the end
      ArchiveBytes().Header(1).Member(1, "a", -5, 1).PadTo(200).Bytes(),                         // negative offset
      ArchiveBytes().Header(1).Value<int32_t>(1).Value<int32_t>(INT32_MAX).Value<int64_t>(0).Value<uint8_t>(1)
          .Value<int64_t>(0).Raw(std::string(12, '\0')).Bytes(),                                 // absurd name length
      ArchiveBytes().Header(1).Value<int32_t>(1).Value<int32_t>(-3).Value<int64_t>(0).Value<uint8_t>(1)
          .Value<int64_t>(0).Raw(std::string(12, '\0')).Bytes(),                                 // negative name length
  };
  int n = 0;
  for (const std::string& bytes : cases) {
    const std::string message = ErrorOf(File("bad" + std::to_string(n++), bytes));
    EXPECT_EQ(message.rfind("TArchiveStream:\r\n[Reload]メンバー表が壊れています(", 0), 0u) << n << ": " << message;
  }
  TArchiveStream negative(File("negative-count", ArchiveBytes().Header(-5).Bytes()));
  EXPECT_EQ(negative.Files().Count(), 0);
}

TEST_F(Archive, AFailedReloadKeepsTheOldTable) {
  std::vector<ArchiveMember> members = {{"a", {1}}, {"b", {2}}};
  const AnsiString name = folder.Name("keep.farc");
  WriteArchive(name, members);
  TArchiveStream archive(name);
  std::ofstream junk(folder / "keep.farc", std::ios::binary | std::ios::trunc);
#ifdef _WIN32
  EXPECT_FALSE(junk.is_open());  // the system's share modes keep writers out
  junk.close();
  archive.Reload();
#else
  junk << "JUNKJUNKJUNK";
  junk.close();
  EXPECT_THROW(archive.Reload(), EarcSTreamError);
#endif
  EXPECT_EQ(archive.Files().Count(), 2);
}

TEST(FilesList, RecordsIdsAndTextForm) {
  TfilesList list;
  EXPECT_EQ(list.Add("one"), 0);
  list.Add(Ansi(u8"二"));
  EXPECT_EQ(list.GetId(0), 1);
  EXPECT_EQ(list.GetId(1), 2);
  EXPECT_EQ(list.Entry(1).NameLength, 2);
  EXPECT_EQ(list.Entry(1).Flags, 1);
  list.Insert(0, "first");
  EXPECT_EQ(list.Entry(0).NameLength, 5);
  EXPECT_EQ(list.GetId(0), 0);
  list.Put(2, "renamed");
  EXPECT_EQ(list.Entry(2).NameLength, 7);
  list.Delete(1);
  EXPECT_EQ(list.Add("next"), 2);
  EXPECT_EQ(list.GetId(2), 3);  // highest present plus one
  for (const auto& [id, next] : {std::pair{-5, -4}, {INT32_MAX, INT32_MIN}}) {
    TfilesList only;
    auto record = std::make_unique<TArchiveEntry>();
    record->Id = id;
    only.AddObject("given", std::move(record));
    only.Add("added");
    EXPECT_EQ(only.GetId(1), next) << id;
  }
  const AnsiString text = list.GetTextStr();
  EXPECT_EQ(text.size(), 3 * 37 + 5 + 7 + 4u);
  TfilesList copy;
  copy.SetTextStr(text);
  ASSERT_EQ(copy.Count(), 3);
  EXPECT_EQ(copy.Strings(1), "renamed");
  EXPECT_EQ(copy.GetId(2), 3);
  copy.SetTextStr(std::string_view(text).substr(0, text.size() - 2));  // the last name is cut
  EXPECT_EQ(copy.Count(), 2);
}

TEST(ArchiveTime, SixteenCharactersWithTwoForTheMilliseconds) {
  const double day = EncodeDate(2024, 7, 9);
  EXPECT_EQ(ArchiveTimeText(day + (13 * 3600 + 5 * 60 + 7 + 0.005) / 86400), "2024070913050705");
  EXPECT_EQ(ArchiveTimeText(day + (13 * 3600 + 5 * 60 + 7 + 0.123) / 86400), "2024070913050712");
}
