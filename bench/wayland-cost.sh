#!/usr/bin/env bash
# What the chime costs on a headless sway: the CPU of the program and of the
# compositor (and of Xwayland, for the chime on X11), for the native chime, the
# same chime through Xwayland, and the floor (bench/wayland_floor.c: one fixed
# 160x160 frame attached every 50 ms). A fresh sway per case; milliseconds of
# CPU per second of wall time, and the ratios to the floor.
#
#   bench/wayland-cost.sh [BUILD_DIR]        DURATION=60 bench/wayland-cost.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/release}")
duration=${DURATION:-20}
source scripts/sway-headless.sh
work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export SDL_AUDIODRIVER=dummy HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$XDG_CONFIG_HOME/korvessa/chimora" "$work/data"
printf '[DATA]\nPATH=%s\n' "$work/data" >"$XDG_CONFIG_HOME/korvessa/chimora/registry.ini"
# The programs run as sway's user: Xwayland lets no other in.
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown -R 65534:65534 "$work/home" "$work/data"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi

# Clock ticks of user and system time of the processes, all their threads.
ticks() { local sum=0 p; for p in "$@"; do sum=$((sum + $(awk '{print $14 + $15}' "/proc/$p/stat"))); done; echo $sum; }
hz=$(getconf CLK_TCK)

# measure NAME XWAYLAND(0|1) COMMAND...: prints "NAME program compositor total" in ms of CPU per s.
measure() {
  local name=$1 xwayland=$2
  shift 2
  start_sway "$work/$name" "xwayland $([ "$xwayland" = 1 ] && echo force || echo disable)"
  pids+=("$sway_pid")
  local server=()
  if [ "$xwayland" = 1 ]; then
    # wlroots starts Xwayland in a process of its own, as sway's user; its display from its arguments.
    local line
    for _ in $(seq 100); do
      line=$(pgrep -a -n -x -U "$(stat -c %u "$work/$name")" Xwayland || true)
      [ -n "$line" ] && break
      sleep 0.1
    done
    server=("${line%% *}")
    DISPLAY=$(grep -o ' :[0-9]*' <<<"$line" | tr -d ' ')
    export DISPLAY
  fi
  WAYLAND_DISPLAY=$SWAY_DISPLAY XDG_RUNTIME_DIR=$work/$name "${as_user[@]}" "$@" >/dev/null 2>&1 &
  local program=$!
  pids+=("$program")
  sleep 3  # past the start
  local p0 c0 p1 c1
  p0=$(ticks "$program") c0=$(ticks "$sway_pid" "${server[@]}")
  sleep "$duration"
  p1=$(ticks "$program") c1=$(ticks "$sway_pid" "${server[@]}")
  # sway with Xwayland may take its time over SIGTERM.
  kill "$program" "$sway_pid" 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$sway_pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$program" "$sway_pid" "${server[@]}" 2>/dev/null || true
  wait "$program" "$sway_pid" 2>/dev/null || true
  awk -v n="$name" -v p=$((p1 - p0)) -v c=$((c1 - c0)) -v hz="$hz" -v d="$duration" \
    'BEGIN {f = 1000 / hz / d; printf "%-10s %8.1f %10.1f %8.1f\n", n, p * f, c * f, (p + c) * f}'
  unset DISPLAY
}

echo "case       program compositor    total   (ms of CPU per s, over ${duration} s)"
# In this shell, not a pipeline's: the clean-up must see every process started.
measure floor 0 "$build/bin/wayland_floor" >>"$work/table"
measure native 0 "$build/bin/chimora" --backend=wayland >>"$work/table"
measure xwayland 1 "$build/bin/chimora" --backend=x11 >>"$work/table"
cat "$work/table"
awk 'NR == 1 {floor = $4} {printf "%-10s total %.2f x the floor\n", $1, $4 / floor}' "$work/table"
