# Sourced by the checks on a Wayland session with $desktop (gnome or kwin),
# $label and, for KWin, $input (its fake-input client) set: the check re-run in
# a mount namespace and a D-Bus session of its own, then the headless compositor
# with Xwayland, a bar at the top of the work area ($top), the input (send) and
# a maximised window of another program ($other). The check's own folder is $tmp.

# A mount namespace of its own where the system allows it: an X socket folder of
# its own (mutter refuses one another user made), gone with the check.
if [ -z "${CHECK_WAYLAND_NS:-}" ]; then
  unshare -m true 2>/dev/null && CHECK_WAYLAND_NS=private exec unshare -m --propagation private bash "$0" "$@"
  export CHECK_WAYLAND_NS=shared
fi
if [ -z "${CHECK_WAYLAND_SESSION:-}" ]; then
  [ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
  if [ "$CHECK_WAYLAND_NS" = private ]; then mount -t tmpfs -o mode=1777 none /tmp/.X11-unix || exit 1; fi
  CHECK_WAYLAND_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi

tmp=$(mktemp -d)
pids=()
cleanup() {
  [ -n "${chime:-}" ] && kill -9 "$chime" 2>/dev/null
  [ -n "${INPUT_PID:-}" ] && kill "$INPUT_PID" 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do
    for _ in $(seq 30); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$p" 2>/dev/null
  done
  wait 2>/dev/null
  # A compositor killed leaves its X server's locks behind (mutter takes them itself).
  for lock in /tmp/.X*-lock; do
    case " ${compositor:-} ${xwayland:-} " in *" $(tr -d ' \0' <"$lock" 2>/dev/null) "*) rm -f "$lock" ;; esac
  done
  rm -rf "$tmp"
}
trap cleanup EXIT
source "$(dirname "${BASH_SOURCE[0]}")/check-common.sh"
start() { "$@" >>"$tmp/desktop.log" 2>&1 & pids+=($!); }

export XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY
# An empty system bus of its own: on none, gnome-shell stops asking for logind.
cat >"$tmp/system.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$tmp/system_bus</listen>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
EOF
start dbus-daemon --nofork --config-file="$tmp/system.conf"
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$tmp/system_bus

step "compositor"
case $desktop in
  gnome) start gnome-shell --headless --wayland --virtual-monitor 1280x800 ;;
  kwin)
    # The package's binary carries a file capability that a container may refuse; a copy has none.
    cp /usr/bin/kwin_wayland "$tmp/kwin_wayland"
    KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 start "$tmp/kwin_wayland" --virtual --xwayland --width 1280 --height 800 ;;
  *) echo "unknown desktop $desktop" >&2; exit 2 ;;
esac
compositor=${pids[-1]}
xwayland_args() { pgrep -a -P "$compositor" Xwayland | head -1; }
until_true '[ -S "$XDG_RUNTIME_DIR/wayland-0" ] && [ -n "$(xwayland_args)" ]' 600 || {
  fail "no compositor with Xwayland came up"; tail -20 "$tmp/desktop.log"; exit 1
}
export WAYLAND_DISPLAY=wayland-0
args=$(xwayland_args)
xwayland=${args%% *}
export XAUTHORITY
XAUTHORITY=$(grep -o -- '-auth [^ ]*' <<<"$args" | cut -d' ' -f2)
# The display the compositor's X server answers on, with the window manager on it.
managed_display() {
  local socket
  for socket in /tmp/.X11-unix/X*; do
    DISPLAY=:${socket##*X} xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && { echo "${socket##*X}"; return 0; }
  done
  return 1
}
until_true 'xdisplay=$(managed_display)' 300 || { fail "no window manager on Xwayland ($args)"; exit 1; }
export DISPLAY=:$xdisplay
if [ "$desktop" = gnome ]; then
  shell_call() { gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method "$@"; }
  # The overview opens at start and would take the input; closed, as a user leaves it.
  until_true 'shell_call org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive "<false>" >/dev/null 2>&1 &&
    shell_call org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive | grep -q false' 300 || fail "the overview stays open"
else
  sed 's/^panel_position = .*/panel_position = top center horizontal/' /etc/xdg/tint2/tint2rc >"$tmp/tint2rc"
  start tint2 -c "$tmp/tint2rc"
fi
workarea_top() { xprop -root _NET_WORKAREA 2>/dev/null | sed -n 's/.*= [-0-9]*, \([0-9]*\),.*/\1/p'; }
until_true '[ "$(workarea_top)" -gt 0 ] 2>/dev/null' 300 || fail "no bar at the top of the work area"
top=$(workarea_top)

step "input"
if [ "$desktop" = gnome ]; then
  # The remote desktop's pointer moves GNOME Shell's own (global.get_pointer)
  # but never reaches Xwayland here: the seat offers its clients no pointer
  # without a physical one. The input is then the X server's own (XTEST), which
  # reaches the chime as the compositor's would, but not the compositor.
  send() {
    case "$1 ${2:-} ${3:-}" in
      move*) xdotool mousemove "$2" "$3" ;;
      "button 1 ") xdotool mousedown 1 ;;
      "button 0 ") xdotool mouseup 1 ;;
      "button 3 ") xdotool mousedown 3 ;;
      "button 2 ") xdotool mouseup 3 ;;
      "key 42 1") xdotool keydown Shift_L ;;
      "key 42 0") xdotool keyup Shift_L ;;
      "key 47 1") xdotool keydown v ;;
      "key 47 0") xdotool keyup v ;;
      *) fail "no X input for '$*'"; exit 1 ;;
    esac
  }
else
  coproc INPUT { exec "$input"; }
  send() {
    echo "$*" >&"${INPUT[1]}"
    local reply=
    read -r -t 10 reply <&"${INPUT[0]}"
    [ "$reply" = ok ] || { fail "input '$*' was not taken"; exit 1; }
  }
fi
# A new input device loses its first motions, its first key and its first click:
# moves, a Shift tap and a click on the bare desktop first.
for p in "600 500" "610 510" "620 520" "100 700"; do send move $p; done
send key 42 1; send key 42 0
send button 1; send button 0

# A maximised window of another program, below the chime.
start pcmanfm "$HOME/pictures"
until_true 'xdotool search --onlyvisible --class "^pcmanfm$" >/dev/null 2>&1' 300 || fail "the file manager did not come up"
other=$(xdotool search --onlyvisible --class '^pcmanfm$' | head -1)
xdotool windowstate --add MAXIMIZED_VERT,MAXIMIZED_HORZ "$other" 2>/dev/null

