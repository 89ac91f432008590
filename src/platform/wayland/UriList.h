#pragma once
// The local files of a text/uri-list (RFC 2483), as the bytes of their names:
// comments and other schemes are left out, percent escapes decoded, so that
// names that are not UTF-8 arrive as they are on disk.
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> LocalPathsOfUriList(std::string_view list);
