#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"
#include "xml/TiStringList.h"

namespace fs = std::filesystem;

TEST(TiStringList, TagsLookupAndSorting) {
  TiStringList list;
  EXPECT_EQ(list.AddTagged("five", 5), 0);
  list.AddTagged("three", 3);
  list.AddTagged("five again", 5);
  list.AddTagged("one", 1);
  EXPECT_EQ(list.IndexOfTag(5), 0);
  EXPECT_EQ(list.IndexOfTag(7), -1);
  EXPECT_EQ(list.TagOf("THREE"), 3);
  EXPECT_EQ(list.TagOf("absent"), -1);
  // Full-width, Greek and Cyrillic letters compare without case too; widths stay apart.
  list.AddTagged(Ansi(u8"ＡｂΓдЯ"), 9);
  EXPECT_EQ(list.TagOf(Ansi(u8"ａＢγДя")), 9);
  EXPECT_EQ(list.TagOf(Ansi(u8"ab") + Ansi(u8"ΓдЯ")), -1);
  list.Delete(list.Count() - 1);
  list.SortByTag(true);
  const char* ascending[] = {"one", "three", "five", "five again"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list.Strings(i), ascending[i]);
  list.SortByTag(false);
  const char* descending[] = {"five", "five again", "three", "one"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(list.Strings(i), descending[i]);
  EXPECT_FALSE(list.SortAscending());
  list.AddTagged("max", INT32_MAX);
  list.AddTagged("min", INT32_MIN);
  list.SortByTag(true);  // no overflow in the comparison
  EXPECT_EQ(list.Strings(0), "min");
  EXPECT_EQ(list.Strings(list.Count() - 1), "max");
}

TEST(TiStringList, FileForm) {
  TempFolder folder("list");
  const AnsiString name = folder.Write("list.txt", std::string("12\tname\r\nx\tword\nplain line\r-4\ta\tb\r\n$10\thex\n 7\tblank\n"));
  const fs::path path = folder / "list.txt";
  TiStringList list;
  list.LoadFromFile(name);
  ASSERT_EQ(list.Count(), 6);
  EXPECT_EQ(list.Tags(4), 0);  // tags are decimal
  EXPECT_EQ(list.Tags(5), 0);
  while (list.Count() > 4) list.Delete(4);
  EXPECT_EQ(list.Strings(0), "name");
  EXPECT_EQ(list.Tags(0), 12);
  EXPECT_EQ(list.Strings(1), "word");
  EXPECT_EQ(list.Tags(1), 0);
  EXPECT_EQ(list.Strings(2), "plain line");
  EXPECT_EQ(list.Tags(2), 0);
  EXPECT_EQ(list.Strings(3), "a\tb");
  EXPECT_EQ(list.Tags(3), -4);
  list.SaveToFile(name);
  std::ifstream in(path, std::ios::binary);
  const std::string saved{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(saved, "12\tname\r\n0\tword\r\n0\tplain line\r\n-4\ta\tb\r\n");
}
