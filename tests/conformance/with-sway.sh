#!/usr/bin/env bash
# Runs a program on a headless sway of its own. Its bar is hidden: a bar that
# reserves space would put a layer surface's place below it, and the forms'
# screen coordinates would no longer be the output's.
# Usage: with-sway.sh PROGRAM [ARGUMENTS...]
set -uo pipefail
tmp=$(mktemp -d)
chmod 755 "$tmp"
sway_pid=
cleanup() {
  [ -n "$sway_pid" ] && kill "$sway_pid" 2>/dev/null
  wait
  rm -rf "$tmp"
}
trap cleanup EXIT
source "$(dirname "$0")/../../scripts/sway-headless.sh"
start_sway "$tmp/run" 'bar bar-0 mode invisible' || exit 1
mkdir -m 700 "$tmp/runtime"
WAYLAND_DISPLAY=$SWAY_DISPLAY XDG_RUNTIME_DIR=$tmp/runtime SDL_AUDIODRIVER=dummy "$@"
status=$?
[ $status = 0 ] || { echo "--- sway's log:"; tail -n 30 "$tmp/run/sway.log"; }
exit $status
