#!/usr/bin/env bash
# The built chime on a Wayland session through Xwayland, as a new user meets it:
# GNOME Shell with its top bar, or KWin with a panel, headless, a maximised window
# beneath; input through KWin's fake-input protocol, on GNOME the X server's own.
# Usage: check-wayland.sh gnome|kwin CHIMORA [KWIN_FAKE_INPUT]
# Prints one line per failed promise and exits 1 when any failed.
set -uo pipefail
desktop=$1 program=$2 input=${3:-}
label=wayland-$desktop
source "$(dirname "$0")/wayland-session.sh"

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
