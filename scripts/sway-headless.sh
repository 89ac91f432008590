# Sourced: start_sway DIR [CONFIG LINES...] starts a headless sway 1280x800 with a
# bar at the top in DIR (its runtime folder) and sets sway_pid, SWAY_DISPLAY (the
# socket's path) and SWAYSOCK. sway refuses root: as root it runs as nobody.
# With SWAY_PARENT set (the socket of a sway started so), its outputs are the
# windows WL-1 and WL-2 on that sway instead, side by side; closing one unplugs it.
start_sway() {
  local run=$1
  shift
  mkdir -m 700 -p "$run"
  printf 'output HEADLESS-1 resolution 1280x800\nbar {\n  position top\n  status_command echo chime-check\n}\n' >"$run/config"
  printf '%s\n' "$@" >>"$run/config"
  local backend=(WLR_BACKENDS=headless) redraw=()
  if [ -n "${SWAY_PARENT:-}" ]; then
    backend=(WLR_BACKENDS=wayland WLR_WL_OUTPUTS=2 WAYLAND_DISPLAY="$SWAY_PARENT")
    # Each frame whole: otherwise a surface moved leaves bits of itself behind now and then.
    redraw=(-D damage=rerender)
    printf 'output WL-1 resolution 1280x800 position 0 0\noutput WL-2 resolution 1280x800 position 1280 0\n' >>"$run/config"
  fi
  local as_user=()
  if [ "$(id -u)" = 0 ]; then
    chown -R 65534:65534 "$run"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  (cd / && exec env -i PATH=/usr/bin:/bin HOME="$run" XDG_RUNTIME_DIR="$run" "${backend[@]}" \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman "${as_user[@]}" sway "${redraw[@]}" -c "$run/config" >"$run/sway.log" 2>&1) &
  sway_pid=$!
  local _
  for _ in $(seq 100); do
    [ -S "$run/wayland-1" ] && ls "$run"/sway-ipc.*.sock >/dev/null 2>&1 && break
    sleep 0.1
  done
  [ -S "$run/wayland-1" ] || { cat "$run/sway.log" >&2; return 1; }
  SWAY_DISPLAY=$run/wayland-1
  SWAYSOCK=$(ls "$run"/sway-ipc.*.sock)
  export SWAYSOCK
}

# stop_sway PID: ends a sway started so and its bar first, which once left
# behind spins on the socket of a sway that is gone.
stop_sway() {
  pkill -P "$1" 2>/dev/null
  kill "$1" 2>/dev/null
}
