#!/usr/bin/env bash
# The program's layers, read from its #include lines: dependencies point
# downwards only, and the window systems' headers stay in their backends.
# check-layers.sh SRC_DIR [TOOLS_DIR]
set -uo pipefail
src=$1
tools=${2:-}
failed=0

# includes FILE: the headers a file includes, one a line.
includes() { sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]\([^>"]*\)[>"].*/\1/p' "$1"; }

refuse() {  # refuse FILE PATTERN WHY [GREP OPTION]
  local hits
  hits=$(includes "$1" | grep -E ${4:-} -- "$2") || return 0
  echo "$1: $3: $(echo "$hits" | tr '\n' ' ')"
  failed=1
}

while IFS= read -r file; do
  rel=${file#"$src"/}
  case $rel in
    platform/qt/* | main.cpp) ;;
    *) refuse "$file" '^(Q[A-Z][A-Za-z]*|Qt[A-Za-z]*/.*|q[a-z0-9_]+\.h|qpa/.*|X11/.*|xcb/.*)$' "Qt, X11 and xcb belong to platform/qt and main.cpp" ;;
  esac
  case $rel in
    platform/win32/* | *Win32.cpp) ;;
    *) refuse "$file" '^(windows|win[a-z0-9]*|shellapi|shlobj|mmsystem|commctrl|objbase|shlwapi)\.h$' "the system's own headers belong to platform/win32 and *Win32.cpp" -i ;;
  esac
  case $rel in
    chime/* | almanac/* | xml/* | imaging/* | resources/* | app/* | platform/text/* | platform/io/* | platform/graphics/* | platform/system/* | platform/sound/*)
      refuse "$file" '^(shell|windows|forms|platform/window|platform/qt|platform/win32)/' "the core knows no window" ;;
    platform/window/*) refuse "$file" '^(shell|windows|forms|platform/qt|platform/win32)/' "the abstraction knows no form of ours nor a backend" ;;
    forms/*) refuse "$file" '^(shell|windows|platform/qt|platform/win32)/' "the shared form behaviour lies below both window folders" ;;
    windows/*) refuse "$file" '^(shell|platform/qt|platform/win32)/' "the secondary windows never use the main window's folder" ;;
    shell/*) refuse "$file" '^(platform/qt|platform/win32)/' "the windows know no backend" ;;
  esac
done < <(find "$src" ${tools:+"$tools"} -name '*.cpp' -o -name '*.h' | sort)

# tools/ is a program over the core: no window at all.
if [ -n "$tools" ]; then
  while IFS= read -r file; do
    refuse "$file" '^(shell|windows|forms|platform/window|platform/qt|platform/win32)/' "the tool is a program over the core"
  done < <(find "$tools" -name '*.cpp' -o -name '*.h' | sort)
fi

[ $failed -eq 0 ] && echo "layers: every include points downwards"
exit $failed
