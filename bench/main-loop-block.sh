#!/usr/bin/env bash
# The longest hold of the running chime's main loop: the longest gap between two
# of its frames (it shows one every 50 ms tick), from its own clock through
# bench/frame_probe.c, while something makes it wait:
#   idle             nothing (the floor: what a gap is without a hold)
#   png-8192         a drop of an 8192x8192 PNG (the largest picture the limits allow)
#   jpeg-8000-prog   a drop of an 8000x8000 progressive JPEG
#   jpeg-12mp        a drop of a 4000x3000 JPEG
#   hang-first       a sound server stopped (SIGSTOP) before the first ring
#   hang-later       a sound server stopped after the first ring
#   no-device        no sound server and no sound card
# Each case: a private Xvfb, a fresh chime (wind 12, sound on), the longest gap
# from the case's action on, how many gaps passed 100 ms, the peak memory, and
# how long SIGTERM takes to end it.
#   bench/main-loop-block.sh [BUILD_DIR]
#   CHIME=/another/build/bin/chimora bench/main-loop-block.sh   (another chime, this build's probe)
#   CASES="png-8192 hang-later" bench/main-loop-block.sh
# Needs pulseaudio and pactl (apt-get install pulseaudio pulseaudio-utils) for the sound cases.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
cases=${CASES:-"idle png-8192 jpeg-8000-prog jpeg-12mp hang-first hang-later no-device"}

export CCACHE_BASEDIR=$PWD
for target in chimora frame_probe drag_source; do
  TARGET=$target bash scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
done
chime=$(realpath "${CHIME:-$build/bin/chimora}")
probe=$(realpath "$(find "$build" -name libframe_probe.so | head -1)")
drag_source=$(realpath "$(find "$build" -name drag_source -type f | head -1)")

# The pictures, made once.
pictures=$(realpath "$build")/bench-pictures
mkdir -p "$pictures"
[ -f "$pictures/png-8192.png" ] || python3 - "$pictures/png-8192.png" <<'PY'
import struct, sys, zlib
w = h = 8192
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
z = zlib.compressobj(9)
body = b"".join(z.compress(b"\0" + bytes((y % 256, 128, 255 - y % 256)) * w) for y in range(h)) + z.flush()
with open(sys.argv[1], "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) + chunk(b"IDAT", body) + chunk(b"IEND", b""))
PY
[ -f "$pictures/jpeg-8000-prog.jpg" ] || convert -size 8000x8000 plasma:fractal -seed 1 -interlace Plane -quality 85 "$pictures/jpeg-8000-prog.jpg"
[ -f "$pictures/jpeg-12mp.jpg" ] || convert -size 4000x3000 plasma:fractal -seed 2 -quality 90 "$pictures/jpeg-12mp.jpg"

monotonic_ms() { python3 -c 'import time; print(int(time.monotonic() * 1000))'; }

run_case() {
  local name=$1 work display server chime_pid pulse="" since ended status
  work=$(mktemp -d)
  mkdir -m 700 "$work/runtime"
  mkdir -p "$work/config/data"
  printf '[chimora]\r\nling=1\r\nwind=12\r\nsound=1\r\n' >"$work/config/data/application.ini"
  printf 'autospawn = no\n' >"$work/client.conf"
  # A display number no other server holds.
  exec {numbers}<> <(:)
  Xvfb -displayfd "$numbers" -screen 0 1280x800x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  server=$!
  read -r -t 10 display <&"$numbers"
  exec {numbers}<&-
  export DISPLAY=:$display XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config HOME=$work PULSE_CLIENTCONFIG=$work/client.conf
  case $name in hang-*)
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --load=module-null-sink --load=module-native-protocol-unix >/dev/null 2>&1 &
    pulse=$!
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
  esac
  [ "$name" = hang-first ] && kill -STOP "$pulse"
  LD_PRELOAD=$probe FRAME_PROBE=$work/gaps "$chime" 2>"$work/stderr" &
  chime_pid=$!
  for _ in $(seq 100); do xdotool search --onlyvisible --name '^FmChimora$' >/dev/null 2>&1 && break; sleep 0.1; done
  sleep 2  # past the start
  since=$(monotonic_ms)
  case $name in
    idle) sleep 10 ;;
    png-* | jpeg-*)
      local file left
      file=$(ls "$pictures/$name".*)
      left=$(xdotool search --onlyvisible --name '^FmChimora$' getwindowgeometry --shell | sed -n 's/^X=//p')
      "$drag_source" 500 380 "$file" >/dev/null 2>&1 &
      local source=$!
      for _ in $(seq 50); do xdotool search --onlyvisible --name DragSource >/dev/null && break; sleep 0.1; done
      since=$(monotonic_ms)
      xdotool mousemove 540 420 mousedown 1 sleep 0.2 mousemove 500 300 sleep 0.2 mousemove 400 100 sleep 0.2 \
        mousemove $((left + 80)) 30 sleep 0.2 mousemove $((left + 81)) 31 sleep 0.3 mouseup 1
      sleep 5
      kill "$source" 2>/dev/null || true
      ;;
    hang-first) sleep 40 ;;
    hang-later)
      for _ in $(seq 600); do pactl list short sink-inputs 2>/dev/null | grep -q . && break; sleep 0.1; done
      pactl list short sink-inputs 2>/dev/null | grep -q . || echo "$name: the chime did not ring within a minute" >&2
      kill -STOP "$pulse"
      since=$(monotonic_ms)
      sleep 30
      ;;
    no-device) sleep 40 ;;
  esac
  local peak
  peak=$(awk '/VmHWM/ {print int($2 / 1024)}' "/proc/$chime_pid/status")
  local t0=$EPOCHREALTIME
  kill -TERM "$chime_pid"
  for _ in $(seq 200); do kill -0 "$chime_pid" 2>/dev/null || break; sleep 0.01; done
  ended=$(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.2f", b - a}')
  kill -0 "$chime_pid" 2>/dev/null && { ended=">2 (killed)"; kill -KILL "$chime_pid"; }
  wait "$chime_pid" 2>/dev/null && status=0 || status=$?
  [ -n "$pulse" ] && { kill -CONT "$pulse"; kill "$pulse"; wait "$pulse" 2>/dev/null || true; }
  kill "$server"; wait "$server" 2>/dev/null || true
  awk -v name="$name" -v since="$since" -v peak="$peak" -v ended="$ended" -v status="$status" '
    $1 == "gap" && $2 >= since { if ($3 > longest) longest = $3; if ($3 > 100) over++ }
    $1 == "frames" { frames = $2 }
    END { printf "%-15s longest gap %7.1f ms  gaps over 100 ms %3d  frames %5d  peak %4d MB  SIGTERM ends it in %s s (status %s)\n",
          name, longest, over, frames, peak, ended, status }' "$work/gaps"
  grep -h "chimora:" "$work/stderr" | sort | uniq -c | sed "s/^/    $name stderr: /" | head -3 || true
  rm -rf "$work"
}

echo "chime: $chime"
for name in $cases; do run_case "$name"; done
