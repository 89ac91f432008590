#!/usr/bin/env bash
# The built chime on a Wayland session through Xwayland, as a new user meets it:
# GNOME Shell with its top bar, or KWin with a panel, headless, a maximised window
# beneath; input through KWin's fake-input protocol, on GNOME the X server's own.
# Usage: check-wayland.sh gnome|kwin CHIMORA [KWIN_FAKE_INPUT]
# Prints one line per failed promise and exits 1 when any failed.
set -uo pipefail
desktop=$1 program=$2 input=${3:-}
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
label=wayland-$desktop
source "$(dirname "$0")/check-common.sh"
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

# The pointer onto a point of an X window, once the X server has it there: the
# compositor gives a press to the window it last found under the pointer.
point_at() {
  local want="x:$1 y:$2" try
  for try in $(seq 20); do
    send move $(($1 - 1)) $(($2 - 1)); send move "$1" "$2"
    until_true '[ "$(xdotool getmouselocation | cut -d" " -f1-2)" = "$want" ]' 5 && return 0
  done
  fail "the pointer did not reach $1,$2: $(xdotool getmouselocation)"
}
# A maximised window of another program, below the chime.
start pcmanfm "$HOME/pictures"
until_true 'xdotool search --onlyvisible --class "^pcmanfm$" >/dev/null 2>&1' 300 || fail "the file manager did not come up"
other=$(xdotool search --onlyvisible --class '^pcmanfm$' | head -1)
xdotool windowstate --add MAXIMIZED_VERT,MAXIMIZED_HORZ "$other" 2>/dev/null

run_chime() {
  "$program" >"$tmp/chime.log" 2>&1 &
  chime=$!
  until_true '[ -n "$(chime_window)" ]' 200 || { fail "the chime did not appear"; cat "$tmp/chime.log"; exit 1; }
  id=$(chime_window)
}
expect_place() {
  local want="$2 160 160"
  until_true '[ "$(geometry "$id")" = "$want" ]' "${3:-100}"
  expect "$1" "$(geometry "$id")" "$want"
}

step "first start"
run_chime
# Chosen by itself: neither compositor offers a layer shell the native backend
# can use (GNOME Shell none, KWin 5.27 version 3), and one line says so.
why=$(grep Xwayland "$tmp/chime.log")
[ "$(wc -l <<<"$why")" = 1 ] && grep -q "$([ "$desktop" = kwin ] && echo "(版 3)" || echo "ありません")" <<<"$why" ||
  fail "not one line on the way to Xwayland: $(cat "$tmp/chime.log")"
expect_place "first place, below the bar" "$(((1280 - 160) / 2)) $top"
state=$(xprop -id "$id" _NET_WM_STATE)
for s in ABOVE SKIP_TASKBAR SKIP_PAGER; do
  grep -q "_NET_WM_STATE_$s" <<<"$state" || fail "_NET_WM_STATE lacks $s: $state"
done
expect "_NET_WM_DESKTOP" "$(xprop -id "$id" _NET_WM_DESKTOP | sed 's/.*= //')" 4294967295
xdotool windowactivate "$other" 2>/dev/null
stacking() { xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | tr ' ' '\n' | grep '^0x' | awk '{print NR, $0}'; }
at() { stacking | grep -i " 0x0*$(printf '%x' "$1")\$" | cut -d' ' -f1; }
until_true '[ -n "$(at "$other")" ] && [ -n "$(at "$id")" ] && [ "$(at "$id")" -gt "$(at "$other")" ]' || fail "not above the maximised window: $(stacking)"

# A drag follows the pointer exactly, though the compositor keeps the chime's own
# moves on screen; on release it hangs from the top of the work area. The time
# the window took to reach each point of the pointer is printed.
on_screen() { local at=$1; [ "$at" -lt 0 ] && at=0; [ "$at" -gt $((1280 - 160)) ] && at=$((1280 - 160)); echo "$at"; }
drag() {
  local from_x=$1 from_y=$2 started; shift 2
  point_at "$from_x" "$from_y"; send button 1; send move $((from_x + 20)) $((from_y + 20))
  for p in "$@"; do
    # Two moves: the first after the press may only begin the move.
    started=$(date +%s%N)
    send move ${p%,*} $((${p#*,} - 1)); send move ${p%,*} ${p#*,}
    expect_place "window with the pointer at $p" "$(on_screen $((${p%,*} - 80))) $((${p#*,} - 25))"
    echo "check-wayland $desktop: the window reached the pointer at $p in $((($(date +%s%N) - started) / 1000000)) ms"
  done
  send button 0
}
step "drags"
read -r x y w h <<<"$(geometry "$id")"
drag $((x + 80)) $((y + 25)) 640,400 1275,300 5,300
expect_place "after a drag to the left edge" "0 $top"
drag 80 $((top + 25)) 1275,500
expect_place "after a drag to the right edge" "1120 $top"

step "menu"
point_at 1200 $((top + 25)); send button 3; send button 2
menus() { xdotool search --onlyvisible --classname '^chimora$' 2>/dev/null | wc -l; }
until_true '[ "$(menus)" -ge 2 ]' || fail "no menu on right-click"
send key 47 1; send key 47 0  # v: the glass bell
until_true '[ "$(menus)" -lt 2 ]' || fail "the menu stayed open after its access key"

step "restart"
stop_chime
expect_stored "" "ling=1" "LEFT=1120" "TOP=$top"
run_chime
expect_place "place after a restart" "1120 $top"

stop_chime
if [ "$desktop" = gnome ]; then
  # No layer shell here: without Xwayland the chime has nothing to show on.
  step "no Xwayland"
  message=$(env -u DISPLAY -u XAUTHORITY "$program" 2>&1)
  expect "exit status without Xwayland" $? 1
  # The line of the automatic choice, then the one that ends it.
  [ "$(wc -l <<<"$message")" = 2 ] && tail -1 <<<"$message" | grep -q "needs Xwayland" || fail "without Xwayland it says: $message"
fi

exit $failed
