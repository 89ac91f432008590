#!/usr/bin/env bash
# The chime natively on a headless sway with a bar at the top, as a new user
# meets it: below the bar, on every workspace, dragged and hanging again; its
# menu by the pointer and by access key, the information window (floating,
# dragged by the compositor, closed by its button, Escape, Return, Alt+F4), Alt+F4; a picture
# dropped on it; its place stored at SIGTERM and restored at the next start, and stored
# when the compositor goes away; the same size (menu too) on an output of scale 2; a
# compositor it cannot use falls back with one line.
# Usage: check-sway.sh CHIMORA PROBE. One line per failed promise; exit 1 when any failed.
set -uo pipefail
program=$1 probe=$2
check_name=sway
source "$(dirname "$0")/sway-check-common.sh"

# A sway (in $1, with the configuration lines that follow), the probe on it,
# the bar's bottom (in the output's pixels) and the screen without the chime.
sway_session() {
  start_sway "$@" || { fail "sway did not start"; exit 1; }
  export WAYLAND_DISPLAY=$SWAY_DISPLAY
  [ -n "$PROBE_PID" ] && kill "$PROBE_PID" && wait "$PROBE_PID"
  # The probe's pointer is there before the chime starts, as a mouse would be.
  coproc PROBE { "$probe"; }
  until_true '[ "$(work_top)" -gt 0 ]' || fail "no bar at the top"
  top=$(($(work_top) * ${scale:-1}))
  settled_shot "$tmp/bg"
}
sway_session "$tmp/sway-run"
chime_box() { probe shot "$tmp/now" >/dev/null && probe diff "$tmp/bg" "$tmp/now" "$top"; }

# Arguments: the chime's.
run_chime() {
  "$program" "$@" >"$tmp/chime.log" 2>&1 &
  chime=$!
  until_true '[ "$(chime_box)" != none ]' || { fail "the chime did not appear"; cat "$tmp/chime.log"; exit 1; }
  read -r left btop right bottom <<<"$(chime_box)"
}
# The chime ends with status 0 after what $1 names, within 10 s.
ended() {
  if until_true '! kill -0 "$chime" 2>/dev/null'; then
    wait "$chime"
    expect "exit status after $1" $? 0
  else
    kill -9 "$chime"
    wait "$chime"
    fail "the chime did not end within 10 s after $1"
  fi
  chime=
}

# Chosen by itself on a Wayland session with a layer shell.
run_chime
expect "hangs from the bar's bottom" "$btop" "$top"
near "centred" "$(((left + right) / 2))" 640
first_left=$left first_height=$((bottom - btop))

swaymsg workspace 2 >/dev/null
until_true '[ "$(swaymsg -t get_workspaces | grep -c "\"focused\": true")" = 1 ] && swaymsg -t get_workspaces | grep -q "\"name\": \"2\""' ||
  fail "no second workspace"
read -r left btop right bottom <<<"$(chime_box)"
expect "on the second workspace, hanging from the bar" "$btop" "$top"
swaymsg workspace 1 >/dev/null

# The bell (81, 27 inside the 160 x 160 frame at 560) dragged right and down.
held=$(probe drag 641 $((top + 27)) 841 $((top + 177)) "$tmp/bg")
expect "held down where the drag is" "$(cut -d' ' -f2 <<<"$held")" $((top + 150))
until_true 'read -r left btop right bottom <<<"$(chime_box)"; [ "$btop" = "$top" ]' || fail "did not hang from the bar again"
near "dragged right" "$left" $((first_left + 200))
# The menu at the bell; its second item (the glass bell), 34 px below the click, chosen with the pointer.
probe click 841 $((top + 27)) right >/dev/null
until_true 'read -r left btop right bottom <<<"$(chime_box)"; [ "$right" -gt 1000 ]' || fail "no menu at the bell"
menu_width=$((right - 841))
probe click 901 $((top + 27 + 34)) left >/dev/null
menu_closed() { until_true 'read -r left btop right bottom <<<"$(chime_box)"; [ "$right" -lt 1000 ]' || fail "the menu stayed open"; }
menu_closed
# Alt+F4 once the bell was clicked (the keyboard comes on demand) closes it.
probe click 841 $((top + 27)) left >/dev/null
probe key f4 alt >/dev/null
ended Alt+F4
expect "bell chosen in the menu" "$(settings | grep '^ling=')" "ling=1"
expect "place stored" "$(settings | grep -E '^(LEFT|TOP)=' | tr '\n' ' ')" "TOP=0 LEFT=760 "

CHIMORA_BACKEND=wayland run_chime
near "place restored" "$left" $((first_left + 200))
expect "restored below the bar" "$btop" "$top"
# The menu's access key S turns the sound off.
probe click 841 $((top + 27)) right >/dev/null
until_true 'read -r left btop right bottom <<<"$(chime_box)"; [ "$right" -gt 1000 ]' || fail "no menu at the bell"
probe key s >/dev/null
menu_closed
# The information window from the menu's I: a window of its own, which sway
# floats at the card's size; "type x y width height" of its content, or nothing.
info() {
  swaymsg -r -t get_tree | jq -r '.. | objects | select(.app_id? == "chimora") |
    "\(.type) \(.rect.x + .window_rect.x) \(.rect.y + .window_rect.y) \(.window_rect.width) \(.window_rect.height)"'
}
open_info() {
  probe click 841 $((top + 27)) right >/dev/null
  until_true 'read -r left btop right bottom <<<"$(chime_box)"; [ "$right" -gt 1000 ]' || fail "no menu at the bell"
  probe key i >/dev/null
  until_true '[ -n "$(info)" ]' || fail "no information window"
  read -r type x y width height <<<"$(info)"
}
closed_by() {
  probe key "$@" >/dev/null
  until_true '[ -z "$(info)" ]' || fail "$* did not close the information window"
}
open_info
expect "information window floating at the card's size" "$type $width $height" "floating_con 247 222"
# Dragged by its version line: sway moves it once the chime asks, at the first
# motion, so the pointer steps down until the window follows, then goes on.
probe press $((x + 100)) $((y + 58)) >/dev/null
for step in $(seq 40); do
  probe move $((x + 100)) $((y + 58 + step)) >/dev/null
  read -r _ _ moved_y _ <<<"$(info)"
  [ "$moved_y" -gt "$y" ] && break
done
probe move $((x + 200)) $((y + 158)) >/dev/null
probe release >/dev/null
read -r _ moved_x moved_y _ <<<"$(info)"
near "information window dragged right" "$moved_x" $((x + 100))
[ "$moved_y" -gt $((y + 50)) ] || fail "information window not dragged down: from $y to $moved_y"
# The move has ended: its button takes the click.
probe click $((moved_x + 199)) $((moved_y + 200)) left >/dev/null
until_true '[ -z "$(info)" ]' || fail "its button did not close the information window after the drag"
open_info
closed_by escape
open_info
closed_by return
open_info
closed_by f4 alt
kill -0 "$chime" 2>/dev/null || fail "Alt+F4 on the information window ended the chime"
# A picture dragged from another program onto the bell: the paper's face, kept.
picture=$(realpath "$(dirname "$0")/../data/png/basn6a08.png")
expect "a drop on the bell" "$(probe drop 841 $((top + 27)) "$picture")" ok
kill -TERM "$chime"
ended SIGTERM
expect "place and sound stored at SIGTERM" "$(settings | grep -E '^(LEFT|TOP|sound)=' | tr '\n' ' ')" "sound=0 TOP=0 LEFT=760 "
expect "the dropped picture stored" "$(settings | grep '^paper=')" "paper=$picture"

run_chime --backend=wayland
probe drag 841 $((top + 27)) 741 $((top + 27)) "$tmp/bg" >/dev/null
until_true 'read -r left btop right bottom <<<"$(chime_box)"; [ "$left" -lt $((first_left + 150)) ]' || fail "the drag did not move it"
stop_sway "$sway_pid"
ended "the compositor's end"
expect "place stored when the compositor went away" "$(settings | grep '^LEFT=')" "LEFT=660"

# No compositor: one line, then the X11 path, which finds no display here either and says so.
env -u DISPLAY WAYLAND_DISPLAY="$tmp/none" "$program" --backend=wayland >/dev/null 2>"$tmp/fallback.log"
expect "one line before falling back" "$(grep -c "Xwayland で動かします" "$tmp/fallback.log")" 1
env -u DISPLAY WAYLAND_DISPLAY="$tmp/none" CHIMORA_BACKEND=wayland "$program" --backend=x11 >/dev/null 2>"$tmp/x11.log"
expect "the option wins over the variable" "$(grep -c "Xwayland で動かします" "$tmp/x11.log")" 0

# On an output of scale 2 the chime is as large as on scale 1: twice the pixels.
scale=2 sway_session "$tmp/sway-scaled" "output HEADLESS-1 scale 2"
run_chime
near "height on an output of scale 2" $((bottom - btop)) $((2 * first_height))
# Its menu too: twice as wide in pixels, from the click.
at=$(((left + right) / 2))
probe click "$at" $((btop + 54)) right >/dev/null
until_true 'read -r left btop right bottom <<<"$(chime_box)"; [ "$right" -gt $((at + menu_width)) ]' || fail "no menu at the bell on scale 2"
near "menu width on an output of scale 2" $((right - at)) $((2 * menu_width))
kill -TERM "$chime"
ended SIGTERM
exit $failed
