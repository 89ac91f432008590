#!/usr/bin/env bash
# The chime natively on a headless kwin_wayland 5.27, asked for (its layer shell
# is version 3, which the automatic choice passes over), as a new user meets it:
# below a layer-shell panel, above a maximised window, keeping its hands off the
# keyboard until it is clicked, dragged and hanging from the top again, its menu
# by right click and access key, Alt+F4, its place stored at SIGTERM and
# restored at the next start. KWin has no screen capture for its clients: where
# the chime and its menu are, KWin's own scripting tells. Input: KWin's fake input.
# Usage: check-kwin.sh CHIMORA KWIN_FAKE_INPUT. One line per failed promise; exit 1 when any failed.
set -uo pipefail
desktop=kwin program=$1 input=$2
label=kwin-native
source "$(dirname "$0")/../desktop/wayland-session.sh"

kwin_call() { gdbus call --session --dest org.kde.KWin --object-path "$1" --method "$2" "${@:3}"; }
# Runs JavaScript in KWin, where say(text) prints a line of the answer.
kwin_script() {
  local tag js id
  tag=q$(date +%s%N)
  js=$tmp/$tag.js
  printf 'function say(text) { print("%s " + text); }\n%s\nsay("end");\n' "$tag" "$1" >"$js"
  id=$(kwin_call /Scripting org.kde.kwin.Scripting.loadScript "$js" "$tag" | tr -dc 0-9)
  kwin_call "/$id" org.kde.kwin.Script.run >/dev/null
  until_true "grep -aqx 'js: $tag end' '$tmp/desktop.log'" 50 || fail "KWin did not run a script"
  kwin_call /Scripting org.kde.kwin.Scripting.unloadScript "$tag" >/dev/null
  grep -a "^js: $tag " "$tmp/desktop.log" | sed "s/^js: $tag //" | grep -vx end
}
# KWin's windows, one a line: process, class, x, y, width, height, layer, active, popup.
windows() {
  kwin_script 'for (const w of workspace.clientList())
    say([w.pid, w.resourceClass, w.x, w.y, w.width, w.height, w.layer, w.active, w.popupWindow].join(" "));'
}
# The fields from x on of process $1's window, its popup when $2 is true.
window_of() { windows | awk -v pid="$1" -v popup="${2:-false}" '$1 == pid && $9 == popup { $1 = $2 = ""; print substr($0, 3) }' | head -1; }

step "panel and maximised window"
GDK_BACKEND=wayland NO_AT_BRIDGE=1 start gtk-layer-demo --layer top --anchor ltr --exclusive
panel=${pids[-1]}
until_true '[ -n "$(window_of "$panel")" ]' || fail "no layer-shell panel"
read -r _ _ _ top _ _ _ <<<"$(window_of "$panel")"
kwin_script 'for (const w of workspace.clientList()) if (w.resourceClass == "pcmanfm") w.setMaximize(true, true);' >/dev/null
until_true 'windows | grep -q "^[0-9]* pcmanfm 0 [0-9]* 1280 "' || fail "the file manager is not maximised: $(windows)"
read -r _ _ _ _ _ _ other_layer _ <<<"$(windows | grep ' pcmanfm ')"

# Arguments: the command that starts it.
run_chime() {
  "$@" >"$tmp/chime.log" 2>&1 &
  chime=$!
  until_true '[ -n "$(window_of "$chime")" ]' 200 || { fail "the chime did not appear"; cat "$tmp/chime.log"; exit 1; }
}
# Arguments: what, where (x y); the chime's window, within 10 s.
expect_place() {
  local want="$2 160 160"
  until_true '[ "$(window_of "$chime" | cut -d" " -f1-4)" = "$want" ]'
  expect "$1" "$(window_of "$chime" | cut -d" " -f1-4)" "$want"
}
active() { windows | awk '$8 == "true" { print $2 }'; }
click() { send move "$1" "$2"; send button "${3:-1}"; send button "$((${3:-1} - 1))"; }

step "first start"
run_chime env CHIMORA_BACKEND=wayland "$program"
expect "stderr" "$(cat "$tmp/chime.log")" ""
expect_place "first place, centred below the panel" "560 $top"
read -r _ _ _ _ layer _ <<<"$(window_of "$chime")"
[ "$layer" -gt "$other_layer" ] || fail "not above the maximised window: layer $layer, the window's $other_layer"
expect "active window after the start" "$(active)" pcmanfm

# The bell (81, 27 inside the frame) dragged: the window follows the pointer,
# 70 px past an edge at most, and hangs from the top again at the release.
step "drags"
send move 641 $((top + 27)); send button 1; send move 661 $((top + 47))
send move 800 400
expect_place "held with the pointer at 800,400" "719 373"
send move 1275 300
expect_place "held with the pointer at 1275,300" "1194 273"
send button 0
expect_place "after a drag past the right edge" "1190 $top"
send move 1271 $((top + 27)); send button 1; send move 1251 $((top + 47)); send move 5 300; send button 0
expect_place "after a drag past the left edge" "-70 $top"

step "menu"
click 11 $((top + 27)) 3
until_true '[ -n "$(window_of "$chime" true)" ]' || fail "no menu on right-click"
send key 47 1; send key 47 0  # v: the glass bell
until_true '[ -z "$(window_of "$chime" true)" ]' || fail "the menu stayed open after its access key"

step "keyboard"
click 11 $((top + 27))
until_true '[ "$(active)" = chimora ]' || fail "a click did not give the chime the keyboard: $(active)"
click 640 600
until_true '[ "$(active)" = pcmanfm ]' || fail "a click elsewhere did not take the keyboard back: $(active)"
# Alt+F4 after a click on the bell, with the pointer gone from it.
click 11 $((top + 27))
until_true '[ "$(active)" = chimora ]' || fail "a click did not give the chime the keyboard again: $(active)"
send move 640 600
send key 56 1; send key 62 1; send key 62 0; send key 56 0
until_true '! kill -0 "$chime" 2>/dev/null' || fail "Alt+F4 did not close the chime"
wait "$chime"
expect "exit status after Alt+F4" $? 0
chime=
expect_stored " after Alt+F4" "ling=1" "LEFT=-70" "TOP=0"
expect "active window after Alt+F4" "$(active)" pcmanfm

step "restart"
run_chime "$program" --backend=wayland
expect_place "place after a restart" "-70 $top"
send move 11 $((top + 27)); send button 1; send move 31 $((top + 47)); send move 381 300; send button 0
expect_place "after a drag" "300 $top"
stop_chime
expect_stored " after SIGTERM" "LEFT=300" "TOP=0"
run_chime env CHIMORA_BACKEND=wayland "$program"
expect_place "place after another restart" "300 $top"
stop_chime

exit $failed
