#pragma once
// A drag with the left button as a shell command for a test: pressed at a point
// of the named window, nudged a pixel at a time until the window follows the
// pointer (a move loop may begin only at a move after the press, and the
// toolkit merges moves that arrive together), carried through the points,
// released at the last one. Fails when the window never followed (5 s).
#include <string>
#include <utility>
#include <vector>

inline std::string DragScript(const std::string& windowName, int fromX, int fromY, const std::vector<std::pair<int, int>>& through) {
  std::string command = "w=$(xdotool search --onlyvisible --name '" + windowName + "' | head -1); at() { xdotool getwindowgeometry $w | grep Position; }; " +
                        "start=$(at); xdotool mousemove " + std::to_string(fromX) + " " + std::to_string(fromY) +
                        " mousedown 1 mousemove_relative 5 5; for i in $(seq 50); do [ \"$(at)\" != \"$start\" ] && break; " +
                        "xdotool mousemove_relative 0 1; done; [ \"$(at)\" != \"$start\" ]; followed=$?; xdotool";
  for (const auto& [x, y] : through) command += " mousemove " + std::to_string(x) + " " + std::to_string(y);
  return command + " mouseup 1; exit $followed";
}
