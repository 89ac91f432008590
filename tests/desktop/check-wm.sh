#!/usr/bin/env bash
# The built chime on a window manager people run, as a new user meets it: a
# private X server with a panel at the top, a D-Bus session, a file manager.
# Usage: check-wm.sh WM CHIMORA   (WM: mutter, kwin, xfwm4, openbox, i3, fluxbox)
# Prints one line per failed promise and exits 1 when any failed.
set -uo pipefail
wm=$1 program=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${CHECK_WM_SESSION:-}" ]; then
  CHECK_WM_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi

tmp=$(mktemp -d)
pids=()
cleanup() {
  [ -n "${chime:-}" ] && kill -9 "$chime" 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  # Whatever has not ended within half a second is not waited for.
  for p in "${pids[@]}"; do
    for _ in $(seq 10); do kill -0 "$p" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$p" 2>/dev/null
  done
  kill "${XVFB_PID:-}" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
label=$wm
source "$here/check-common.sh"
export QT_QPA_PLATFORM=xcb
source "$here/../../scripts/xvfb.sh"
start_xvfb 1280x800 || exit 1
# Services the session starts on demand (KWin's shortcuts, Xfce's settings) see this display and home.
dbus-update-activation-environment DISPLAY HOME XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME
start() { "$@" >/dev/null 2>&1 & pids+=($!); }

tint2_at_top() {
  sed 's/^panel_position = .*/panel_position = top center horizontal/' /etc/xdg/tint2/tint2rc >"$tmp/tint2rc"
  start tint2 -c "$tmp/tint2rc"
}
case $wm in
  mutter) start mutter --x11 --replace --sm-disable; panel=tint2; tint2_at_top ;;
  kwin) start kwin_x11 --replace; panel=tint2; tint2_at_top ;;
  xfwm4)
    mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
    cp /etc/xdg/xfce4/panel/default.xml "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"
    start xfwm4 --compositor=on; panel=xfce4-panel; start xfce4-panel ;;
  openbox) start openbox; panel=tint2; tint2_at_top; start picom --backend xrender ;;
  i3)
    printf '# i3 config file (v4)\nfont pango:monospace 8\nbar {\n  position top\n}\n' >"$tmp/i3config"
    start i3 -c "$tmp/i3config"; panel=i3bar ;;
  fluxbox)
    mkdir -p "$HOME/.fluxbox"
    # Its toolbar at the top; no jump to the next desktop when a window is dragged to the edge.
    printf 'session.screen0.toolbar.placement: TopCenter\nsession.screen0.toolbar.visible: true\nsession.screen0.workspacewarping: false\n' \
      >"$HOME/.fluxbox/init"
    start fluxbox; panel=fluxbox ;;
  *) echo "unknown window manager $wm" >&2; exit 2 ;;
esac
until_true 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || { fail "no window manager came up"; exit 1; }
wm_pid=${pids[0]}

# The bottom of the panel at the top of the screen.
panel_bottom() {
  local id g best=0
  # Fluxbox's toolbar has neither name nor class: its work area says where it ends.
  [ "$panel" = fluxbox ] && { xprop -root _NET_WORKAREA | sed -n 's/.*= [0-9]*, \([0-9]*\),.*/\1/p'; return; }
  for id in $(xdotool search --onlyvisible --class "^$panel\$" 2>/dev/null); do
    read -r x y w h <<<"$(geometry "$id")"
    [ "${y:-1}" -eq 0 ] && [ "$w" -gt 600 ] && [ $((y + h)) -gt $best ] && best=$((y + h))
  done
  echo $best
}
until_true '[ "$(panel_bottom)" -gt 0 ]' || fail "no $panel at the top of the screen"
top=$(panel_bottom)
# The panel's strut has reached the manager (i3 publishes no work area: the chime reads the struts).
workarea_top() { xprop -root _NET_WORKAREA | sed -n 's/.*= [0-9]*, \([0-9]*\),.*/\1/p'; }
[ "$wm" = i3 ] || until_true '[ "$(workarea_top)" = "$top" ]' || fail "the work area never left room for the $panel"

# A normal window, which is also the file manager the picture is dragged from.
convert -size 64x64 xc:'#ff00ff' "$HOME/pictures/picture.png"
start pcmanfm "$HOME/pictures"
until_true 'xdotool search --onlyvisible --class "^pcmanfm$" >/dev/null' || fail "the file manager did not come up"
manager=$(xdotool search --onlyvisible --class '^pcmanfm$' | head -1)

# Forced onto X11: a Wayland session around the check must not take the chime.
run_chime() {
  "$program" --backend=x11 >"$tmp/chime.log" 2>&1 &
  chime=$!
  until_true '[ -n "$(chime_window)" ]' || { fail "the chime did not appear"; cat "$tmp/chime.log"; exit 1; }
  id=$(chime_window)
  # Hanging from the top, wherever the manager first put it.
  until_true '[ "$(geometry "$id" | cut -d" " -f2)" = "$top" ]' 
}

step "first start"
run_chime
read -r x y w h <<<"$(geometry "$id")"
expect "size" "${w}x$h" 160x160
expect "top below the panel" "$y" "$top"
# Undecorated: the manager's frame, if any, is the window itself.
frame_of() {  # the top-level window that holds the chime's, in decimal
  local frame=$1 line
  while line=$(xwininfo -tree -id "$frame" | grep 'Parent window id:') && ! grep -q '(the root window)' <<<"$line"; do
    frame=$(sed 's/.*: \(0x[0-9a-f]*\).*/\1/' <<<"$line")
  done
  echo $((frame))
}
expect "frame size" "$(xwininfo -id "$(frame_of "$id")" | sed -n 's/^ *\(Width\|Height\): //p' | tr '\n' x)" "160x160x"
state=$(xprop -id "$id" _NET_WM_STATE)
for s in ABOVE SKIP_TASKBAR SKIP_PAGER; do
  grep -q "_NET_WM_STATE_$s" <<<"$state" || fail "_NET_WM_STATE lacks $s: $state"
done
expect "_NET_WM_DESKTOP" "$(xprop -id "$id" _NET_WM_DESKTOP | sed 's/.*= //')" 4294967295
expect "WM_CLASS" "$(xprop -id "$id" WM_CLASS | sed 's/.*= //')" '"chimora", "Chimora"'
# Above the normal window even when that one is active.
timeout 5 xdotool windowactivate --sync "$manager" 2>/dev/null
stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | tr -d ',' | tr ' ' '\n' | grep '^0x' | awk '{print NR, $0}')
at() { grep -i " 0x0*$(printf '%x' "$1")\$" <<<"$stacking" | cut -d' ' -f1; }
[ -n "$(at "$manager")" ] && [ -n "$(at "$id")" ] && [ "$(at "$id")" -gt "$(at "$manager")" ] || fail "not above the file manager: $stacking"

step "stacking and desktops"
# Every desktop: on another one the chime still shows (compositing managers may
# keep the windows of other desktops mapped, so the desktop itself is asked).
if [ "$wm" = i3 ]; then i3-msg -q workspace 2; else
  [ "$(xprop -root _NET_NUMBER_OF_DESKTOPS | sed 's/.*= //')" -ge 2 ] || xdotool set_num_desktops 2
  until_true '[ "$(xprop -root _NET_NUMBER_OF_DESKTOPS | sed "s/.*= //")" -ge 2 ]'; xdotool set_desktop 1
fi
current_desktop() { xprop -root _NET_CURRENT_DESKTOP | sed 's/.*= //'; }
until_true '[ "$(current_desktop)" = 1 ]'
expect "desktop after the switch" "$(current_desktop)" 1
# The manager has hidden the first desktop's windows (the file manager) by now;
# mutter and KWin keep them mapped, and say nothing a check could wait on.
viewable() { xwininfo -id "$1" | grep -q IsViewable; }
unmaps=1; case $wm in mutter | kwin) unmaps= ;; esac
[ -z "$unmaps" ] || until_true '! viewable "$manager"' || fail "the file manager still shows on the second desktop"
viewable "$id" || fail "not shown on the second desktop"
expect "_NET_WM_DESKTOP on the second desktop" "$(xprop -id "$id" _NET_WM_DESKTOP | sed 's/.*= //')" 4294967295
if [ "$wm" = i3 ]; then i3-msg -q workspace 1; else xdotool set_desktop 0; fi
until_true 'viewable "$manager"' || fail "the file manager did not come back on the first desktop"

# The window's place, once it is there: a loaded machine's manager may lag.
expect_place() {
  local want="$2 160 160"
  until_true '[ "$(geometry "$id")" = "$want" ]'
  expect "$1" "$(geometry "$id")" "$want"
}
# A drag follows the pointer exactly, past either edge; on release it hangs from
# the top of the work area at most 70 px out.
# The pointer to x,y, moved there again (from a pixel above) until the window is
# at want: a manager takes up the move at a motion after its grab, whenever that is.
move_until() {  # x y want
  until_true "xdotool mousemove $1 $(($2 - 1)) mousemove $1 $2; [ \"\$(geometry \$id)\" = '$3' ]"
}
drag() {  # from the bell, through each point; the window's place at each one
  local from_x=$1 from_y=$2; shift 2
  xdotool mousemove "$from_x" "$from_y" mousedown 1 mousemove $((from_x + 20)) $((from_y + 20))
  for p in "$@"; do
    move_until ${p%,*} ${p#*,} "$((${p%,*} - 80)) $((${p#*,} - 25)) 160 160"
    expect "window with the pointer at $p" "$(geometry "$id")" "$((${p%,*} - 80)) $((${p#*,} - 25)) 160 160"
  done
  xdotool mouseup 1
}
step "drags"
read -r x y w h <<<"$(geometry "$id")"
drag $((x + 80)) $((y + 25)) 640,400 1275,300 5,300
expect_place "after a drag past the left edge" "-70 $top"
drag $((-70 + 80)) $((top + 25)) 1275,500
expect_place "after a drag past the right edge" "1190 $top"
# A manager that lags behind the pointer still has the last moves and the
# release to read when the button is up: the chime waits for its move to end.
xdotool mousemove 1270 $((top + 25)) mousedown 1 mousemove 1250 $((top + 45))
move_until 640 400 "560 375 160 160"
expect_place "window with the pointer at 640,400" "560 375"
kill -STOP "$wm_pid"
# The manager lags this long behind the last moves and the release (the case itself, not a wait).
xdotool mousemove 1275 500 mouseup 1 sleep 0.6
kill -CONT "$wm_pid"
expect_place "after a drag the manager lagged behind" "1190 $top"
read -r x y w h <<<"$(geometry "$id")"

step "menu"
# The menu on right-click; the glass bell by its access key.
xdotool mousemove $((x + 80)) $((y + 25)) click 3
until_true '[ "$(xdotool search --onlyvisible --classname "^chimora$" | wc -l)" -ge 2 ]' || fail "no menu on right-click"
xdotool key v
until_true '[ "$(xdotool search --onlyvisible --classname "^chimora$" | wc -l)" -eq 1 ]' || fail "the menu did not close"

step "drop from the file manager"
# A picture dragged from the file manager onto the bell: found on the screen by its colour.
timeout 5 xdotool windowactivate --sync "$manager" 2>/dev/null
import -window root "$tmp/screen.png"
icon=$(convert "$tmp/screen.png" -fuzz 5% -fill black +opaque '#ff00ff' -format '%@' info:)
if [ "${icon%%x*}" -gt 10 ]; then
  ix=$(( $(cut -d+ -f2 <<<"$icon") + 20 )) iy=$(( $(cut -d+ -f3 <<<"$icon") + 20 ))
  # A hand's pace: the file manager's toolkit begins the drag a moment after the threshold is passed.
  xdotool mousemove $ix $iy mousedown 1 sleep 0.2 mousemove $((ix + 15)) $((iy + 15)) sleep 0.2 mousemove 900 300 sleep 0.2 \
    mousemove $((x + 80)) $((y + 30)) sleep 0.3 mousemove $((x + 81)) $((y + 31)) sleep 0.5 mouseup 1
  # The strip shows the picture (its colour in the chime's window) once the drop has landed.
  on_strip() { import -window "$id" "$tmp/chime.png" && [ "$(convert "$tmp/chime.png" -fuzz 5% -fill black +opaque '#ff00ff' -format '%@' info: 2>/dev/null)" != "0x0+0+0" ]; }
  until_true on_strip || fail "the dropped picture is not on the strip"
else
  fail "the picture is not shown in the file manager"
fi

step "restart"
stop_chime
expect_stored "" "ling=1" "LEFT=1190" "TOP=$top" "paper=$HOME/pictures/picture.png"
run_chime
read -r x y w h <<<"$(geometry "$id")"
# Mutter keeps a newly shown window wholly on screen and takes no request of its
# own to leave it: there a chime left past the edge comes back at the edge.
restored=1190; [ "$wm" = mutter ] && restored=$((1280 - 160))
expect "place after a restart" "$x,$y,${w}x$h" "$restored,$top,160x160"

# A manager that restarts leaves it on top, on every desktop and at its place.
if [ "$wm" = openbox ]; then
  step "manager restart"
  old=$(xprop -root _NET_SUPPORTING_WM_CHECK)
  start openbox --replace
  until_true '[ "$(xprop -root _NET_SUPPORTING_WM_CHECK)" != "$old" ]' || fail "the manager did not restart"
  # The new manager has taken the chime over.
  until_true 'xprop -root _NET_CLIENT_LIST | grep -qi "$(printf "0x%x" "$id")"' || fail "the new manager did not take the chime"
  expect_place "place after the manager restarted" "$x $y"
  until_true 'xprop -id "$id" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE' || fail "not above after the manager restarted"
  expect "_NET_WM_DESKTOP after the manager restarted" "$(xprop -id "$id" _NET_WM_DESKTOP | sed 's/.*= //')" 4294967295
fi

# Moved by the manager on its own (another client, a drag with the manager's
# modifier): once the move is over it hangs from the top again, and that place is kept.
step "moved by the manager"
# The chime takes a move within 500 ms of its own request for a place as the
# manager's answer to it, not as a move of the manager's own: the manager's own
# moves here come later, as a user's would.
past_answer_time() { sleep 0.6; }
past_answer_time
xdotool windowmove "$id" 500 400
expect_place "after the manager moved it" "500 $top"
left=500
# i3 has no such binding here.
case $wm in mutter) modifier=super ;; kwin | xfwm4 | openbox | fluxbox) modifier=alt ;; *) modifier= ;; esac
if [ -n "$modifier" ]; then
  # The pointer rests on the bell before the press, as a user's does: the window
  # under it is the chime (or the manager's frame of it).
  past_answer_time  # since it went back to the top
  xdotool mousemove 580 $((top + 25))
  under() { xdotool getmouselocation --shell | sed -n 's/^WINDOW=//p'; }
  until_true '[ "$(under)" = "$id" ] || [ "$(under)" = "$(frame_of "$id")" ]' || fail "the pointer at 580,$((top + 25)) is not on the chime"
  xdotool keydown $modifier mousedown 1 mousemove 600 $((top + 45))
  move_until 800 400 "720 375 160 160"
  expect_place "window with the manager's modifier drag at 800,400" "720 375"
  xdotool mouseup 1 keyup $modifier
  expect_place "after the manager's modifier drag" "720 $top"
  left=720
fi
stop_chime
expect_stored " after the manager's move" "LEFT=$left" "TOP=$top"

exit $failed
