#include "platform/wayland/UriList.h"

#include <gtest/gtest.h>

TEST(UriList, LocalFilesWithTheirOwnBytes) {
  const struct {
    const char* list;
    std::vector<std::string> paths;
  } cases[] = {
      {"file:///home/a/bell.png\r\n", {"/home/a/bell.png"}},
      {"file://localhost/tmp/x.jpg", {"/tmp/x.jpg"}},
      {"# comment\r\nhttp://example.org/a.png\r\nfile:///a%20b.png\r\nfile:///c.bmp\r\n", {"/a b.png", "/c.bmp"}},
      // Not UTF-8 (Latin-1 é) and an escape cut short stay as they are.
      {"file:///caf%E9.png\nfile:///50%2", {"/caf\xE9.png", "/50%2"}},
      {"", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(LocalPathsOfUriList(c.list), c.paths) << c.list;
}
