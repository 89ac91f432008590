#!/usr/bin/env bash
# The chime natively on a sway with two outputs side by side, each with a bar:
# back on the output its place was stored on, at the stored place on that
# output; dragged there; its output unplugged under it, it hangs on the other
# one and is dragged there; its place and output stored at SIGTERM.
# Usage: check-sway-outputs.sh CHIMORA PROBE. One line per failed promise; exit 1 when any failed.
set -uo pipefail
program=$1 probe=$2
check_name="sway outputs"
source "$(dirname "$0")/sway-check-common.sh"

# The outputs are windows of a headless sway: closing one unplugs its output.
start_sway "$tmp/parent" "for_window [app_id=wlroots] floating enable" || { fail "sway did not start"; exit 1; }
parent_pid=$sway_pid parent_sock=$SWAYSOCK
SWAY_PARENT=$SWAY_DISPLAY start_sway "$tmp/sway" || { fail "sway on two outputs did not start"; exit 1; }
export WAYLAND_DISPLAY=$SWAY_DISPLAY
until_true '[ "$(swaymsg -t get_outputs | grep -c "\"active\": true")" = 2 ]' || fail "not two outputs"
coproc PROBE { "$probe"; }
# The bars' bottom: where the workspaces begin.
until_true '[ "$(work_top)" -gt 0 ]' || fail "no bar at the top"
top=$(work_top)
# Each output without the chime, once its bar is drawn.
for output in WL-1 WL-2; do
  expect "probe on $output" "$(probe output $output)" ok
  settled_shot "$tmp/bg-$output"
done
# Where the chime is on the output the probe is on, or none.
chime_box() { probe shot "$tmp/now" >/dev/null && probe diff "$tmp/bg-$on" "$tmp/now" "$top"; }
on_output() { on=$1 && probe output "$on" >/dev/null; }

# Stored on the second output, 480 px from its left edge.
printf '[TFMCHIMORA]\nTOP=0\nLEFT=480\nDOCKSITE=WL-2\n' >"$tmp/data/application.ini"
"$program" --backend=wayland >"$tmp/chime.log" 2>&1 &
chime=$!
on_output WL-2
until_true '[ "$(chime_box)" != none ]' || { fail "the chime did not appear on the output it was stored on"; cat "$tmp/chime.log"; exit 1; }
# The chime hangs from the bar, its picture inside the 160 px frame at $1 (it swings).
hangs_at() { read -r left btop right bottom <<<"$(chime_box)" && [ "$btop" = "$top" ] && [ "$left" -ge "$1" ] && [ "$right" -le $(($1 + 160)) ]; }
read -r left btop right bottom <<<"$(chime_box)"
hangs_at 480 || fail "not at its place on that output: $left $btop $right $bottom"
expect "hanging from that output's bar" "$btop" "$top"
on_output WL-1
expect "nothing on the first output" "$(chime_box)" none

# The bell (81, 27 inside the frame) dragged 100 px left on its output.
on_output WL-2
probe drag 561 $((top + 27)) 461 $((top + 77)) "$tmp/bg-WL-2" >/dev/null
until_true 'hangs_at 380' || fail "not dragged on the second output: $left $btop $right $bottom"

# Its output unplugged: on the first, as far from the left edge, hanging from the bar.
SWAYSOCK=$parent_sock swaymsg '[title="WL-2"] kill' >/dev/null
until_true '[ "$(swaymsg -t get_outputs | grep -c "\"active\": true")" = 1 ]' || fail "the second output stayed"
on_output WL-1
until_true 'hangs_at 380' || fail "not hanging as far from the remaining output's left edge: $left $btop $right $bottom"
probe drag 461 $((top + 27)) 661 $((top + 77)) "$tmp/bg-WL-1" >/dev/null
until_true 'hangs_at 580' || fail "not dragged on the remaining output: $left $btop $right $bottom"
kill -TERM "$chime"
if until_true '! kill -0 "$chime" 2>/dev/null'; then wait "$chime"; else fail "the chime did not end at SIGTERM"; fi
chime=
expect "place and output stored" "$(settings | grep -E '^(LEFT|TOP|DOCKSITE)=' | tr '\n' ' ')" "TOP=0 LEFT=580 DOCKSITE=WL-1 "
exit $failed
