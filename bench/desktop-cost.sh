#!/usr/bin/env bash
# What the running chime costs the whole desktop: the CPU of the program, of the
# X server and of the compositing manager, next to the floor (bench/floor.c: the
# cheapest program that shows a 160x160 per-pixel-alpha frame 20 times a second)
# and to Qt's event loop alone (bench/qt_loop.cpp: a window and a 20 Hz timer that
# does nothing, which any Qt chime pays).
# A private Xvfb 1280x800 per compositing manager; floor and chime take turns;
# the medians of the rounds are printed, with the ratios to the floor and each
# program's peak memory; then the chime's time from start to its first frame shown.
#
#   bench/desktop-cost.sh [BUILD_DIR]
#   DURATION=60 ROUNDS=5 STARTS=9 MANAGERS="picom xcompmgr" bench/desktop-cost.sh
#   CHIME=/another/build/bin/chimora bench/desktop-cost.sh   (that chime against the floor)
#   SCALE=2 bench/desktop-cost.sh   (the chime as on a dense screen, each pixel 2 x 2; the floor stays 160x160)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
duration=${DURATION:-30}  # seconds measured per turn
rounds=${ROUNDS:-3}
managers=${MANAGERS:-"picom xcompmgr"}
warmup=3
starts=${STARTS:-9}

bash scripts/setup.sh
export CCACHE_BASEDIR=$PWD
for target in chimora desktop_floor desktop_qt_loop first_map; do
  TARGET=$target bash scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
done
chime=$(realpath "${CHIME:-$build/bin/chimora}")
floor=$(realpath "$build/bin/desktop_floor")
qt_loop=$(realpath "$build/bin/desktop_qt_loop")
first_map=$(realpath "$build/bin/first_map")

work=$(mktemp -d)
mkdir -m 700 "$work/runtime"  # as a session has
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Nanoseconds the threads of each process run over the next $duration seconds,
# from the scheduler's own counters, a line per process. Threads are looked at
# every fifth of a second, so that those that start or end meanwhile (the
# chime's sound threads come and go) count too.
cpu_during() {
  local -A first=() last=()
  local pid f tid ns _ end sampled=0
  end=$(awk -v now="$EPOCHREALTIME" -v d="$duration" 'BEGIN {printf "%.3f", now + d}')
  while :; do
    for pid in "$@"; do
      for f in /proc/"$pid"/task/*/schedstat; do
        read -r ns _ <"$f" 2>/dev/null || continue
        tid=${f%/schedstat}
        tid=$pid.${tid##*/}
        # Threads there at the start count from then, later ones from their birth.
        [[ -v first[$tid] ]] || first[$tid]=$((sampled ? 0 : ns))
        last[$tid]=$ns
      done
    done
    sampled=1
    awk -v now="$EPOCHREALTIME" -v end="$end" 'BEGIN {exit !(now < end)}' || break
    sleep 0.2
  done
  for pid in "$@"; do
    local sum=0
    for tid in "${!last[@]}"; do
      [[ $tid == "$pid".* ]] && sum=$((sum + last[$tid] - first[$tid]))
    done
    echo "$sum"
  done
}

peak_kb() { awk '/^VmHWM:/ {print $2}' /proc/"$1"/status; }

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Per cent of one core over the interval.
percent() { awk -v d="$1" -v s="$duration" 'BEGIN {printf "%.3f", d / (s * 1e7)}'; }

start_manager() {
  case $1 in
    picom) picom --config /dev/null --backend xrender >/dev/null 2>&1 & ;;
    xcompmgr) xcompmgr >/dev/null 2>&1 & ;;
    *) echo "unknown compositing manager $1" >&2; exit 1 ;;
  esac
  echo $!
}

# Milliseconds from the chime's start to its window on the screen, which it maps
# once the first frame is in it.
startup_ms() {
  env -u DBUS_SESSION_BUS_ADDRESS XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" SDL_AUDIODRIVER=dummy "$first_map" "$chime"
}

# One turn of a program: started, warmed up, measured with the server and the manager.
turn() {
  local name=$1 server=$2 manager=$3 pid
  if [ "$name" = floor ]; then
    "$floor" 560 0 >/dev/null 2>&1 & pid=$!
  elif [ "$name" = "Qt loop" ]; then
    "$qt_loop" >/dev/null 2>&1 & pid=$!
  else
    env -u DBUS_SESSION_BUS_ADDRESS XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" SDL_AUDIODRIVER=dummy "$chime" ${SCALE:+--scale=$SCALE} >/dev/null 2>&1 & pid=$!
  fi
  pids+=("$pid")
  sleep "$warmup"
  local used
  mapfile -t used < <(cpu_during "$pid" "$server" "$manager")
  echo "$(percent "${used[0]}") $(percent "${used[1]}") $(percent "${used[2]}") $(peak_kb "$pid")"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

echo "CPU in per cent of one core, medians of $rounds turns of ${duration} s each; peak memory in MB"
for manager in $managers; do
  display=:$((200 + RANDOM % 300))
  Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 & server=$!
  pids+=("$server")
  export DISPLAY=$display
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
  mpid=$(start_manager "$manager")
  pids+=("$mpid")
  sleep 1
  mkdir -p "$work/config"
  for r in $(seq "$rounds"); do
    for name in floor "Qt loop" chime; do turn "$name" "$server" "$mpid" "$manager" >>"$work/$manager.$name"; done
  done
  for _ in $(seq "$starts"); do startup_ms >>"$work/$manager.startup"; done
  kill "$mpid" "$server" 2>/dev/null || true
  wait "$mpid" "$server" 2>/dev/null || true

  echo
  echo "with $manager:"
  printf '%-8s %9s %9s %9s %9s %9s %9s\n' "" program "X server" manager whole "whole/fl" "prog/fl"
  declare -A whole=() prog=()
  for name in floor "Qt loop" chime; do
    file=$work/$manager.$name
    p=$(cut -d' ' -f1 "$file" | median); x=$(cut -d' ' -f2 "$file" | median); m=$(cut -d' ' -f3 "$file" | median)
    mem=$(cut -d' ' -f4 "$file" | sort -g | tail -1)
    whole[$name]=$(awk -v a="$p" -v b="$x" -v c="$m" 'BEGIN {printf "%.3f", a + b + c}')
    prog[$name]=$p
    printf '%-8s %9s %9s %9s %9s %9s %9s   peak %.1f MB\n' "$name" "$p" "$x" "$m" "${whole[$name]}" \
      "$(awk -v a="${whole[$name]}" -v b="${whole[floor]}" 'BEGIN {printf "%.2f", a / b}')" \
      "$(awk -v a="$p" -v b="${prog[floor]}" 'BEGIN {printf "%.2f", a / b}')" "$(awk -v k="$mem" 'BEGIN {print k / 1024}')"
  done
  unset whole prog
  echo "chime's start to its first frame shown: median $(median <"$work/$manager.startup") ms of $starts starts" \
    "($(sort -g "$work/$manager.startup" | head -1)-$(sort -g "$work/$manager.startup" | tail -1))"
done
