#pragma once
// A file manager's drag as a shell command for a test: drag_source (its window at
// 500,380) is pressed, the pointer carried to (x, y) on the target, let go once
// the target has accepted, and the source ends once the target has the names. Every
// step waits for what it needs (xdotool --sync, the source's own word), with a
// bound; a target that never accepts fails the command.
#include <string>
#include <vector>

inline std::string DropScript(const std::string& dragSource, const std::vector<std::string>& files, int x, int y) {
  std::string command = "said=$(mktemp); " + dragSource + " 500 380";
  for (const std::string& file : files) command += " '" + file + "'";
  const std::string to = std::to_string(x) + " " + std::to_string(y);
  return command + " >$said 2>/dev/null & source=$!; " +
         "heard() { for i in $(seq 50); do grep -q \"^$1$\" $said && return 0; sleep 0.1; done; return 1; }; " +
         "timeout 5 xdotool search --sync --onlyvisible --name DragSource >/dev/null && " +
         "xdotool mousemove 540 420 mousedown 1 && heard dragging && xdotool mousemove 400 300 mousemove " + to +
         " && for i in $(seq 50); do grep -q '^accepted$' $said && break; xdotool mousemove_relative 0 1; sleep 0.1; done; " +
         "heard accepted && xdotool mouseup 1 && heard dropped && heard delivered; ok=$?; xdotool mouseup 1; " +
         "kill $source 2>/dev/null; rm -f $said; exit $ok";
}
