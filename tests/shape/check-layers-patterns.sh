#!/usr/bin/env bash
# The layer check's own patterns: the core may use any standard header (<queue>
# begins with a q), and Qt's, X11's, xcb's and the system's headers are refused.
# check-layers-patterns.sh CHECK_LAYERS
set -uo pipefail
check=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/chime"
printf '#include <queue>\n#include "chime/Quiet.h"\n' >"$tmp/chime/Standard.cpp"
bash "$check" "$tmp" >/dev/null || { echo "standard headers refused"; exit 1; }
for header in QWindow QtCore/QObject qglobal.h qpa/qplatformwindow.h X11/Xlib.h xcb/xcb.h windows.h Windows.h; do
  printf '#include <%s>\n' "$header" >"$tmp/chime/Backend.cpp"
  bash "$check" "$tmp" >/dev/null && { echo "<$header> let into the core"; exit 1; }
done
echo "layer patterns: as meant"
