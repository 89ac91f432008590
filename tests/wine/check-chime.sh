#!/usr/bin/env bash
# chimora.exe under Wine on an X server with a compositing manager: it
# hangs from the top of the work area, presents frames, opens its menu and its
# information window, and ending it with Alt+F4 stores application.ini beside it.
#   check-chime.sh BUILD_DIR   (Wine's prefix and locale come from the caller)
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
chime= wm=
cleanup() {
  [ -n "$chime" ] && kill "$chime" 2>/dev/null
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# On the composited X server the caller runs Wine's desktop on (scripts/test-windows.sh).
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 || fail "needs the X server scripts/test-windows.sh starts"

# A window manager gives the windows keyboard focus as a desktop does; it binds
# no keys of its own, so Alt+F4 reaches the chime.
command -v openbox >/dev/null || fail "needs openbox (scripts/setup.sh windows installs it)"
printf '<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard/></openbox_config>\n' >"$work/openbox.xml"
openbox --config-file "$work/openbox.xml" >/dev/null 2>&1 &
wm=$!

mkdir -p "$work/Chimora/wav"
cp "$build/bin/chimora.exe" "$work/Chimora/"
cp "$build"/bin/wav/*.wav "$work/Chimora/wav/"
(cd "$work/Chimora" && exec wine chimora.exe) >"$work/log" 2>&1 &
chime=$!

# The window appears at its designed size and takes the frame's at the first present.
geometry=
for _ in $(seq 300); do
  geometry=$(xdotool search --onlyvisible --name '^FmChimora$' getwindowgeometry --shell 2>/dev/null || true)
  grep -qx 'WIDTH=160' <<<"$geometry" && break
  sleep 0.1
done
[ -n "$geometry" ] || fail "no chime window: $(tail -5 "$work/log")"
eval "$geometry"
read -r screenWidth screenHeight < <(xdotool getdisplaygeometry)
[ "$Y" = 0 ] || fail "the chime hangs at y=$Y, not from the top of the work area"
[ "$X" = $(((screenWidth - 160) / 2)) ] || fail "a first start hangs at x=$X, not in the middle"
[ "$WIDTH" = 160 ] && [ "$HEIGHT" = 160 ] || fail "a ${WIDTH}x$HEIGHT window"

# Frames keep coming: the window's pixels change twice between shots. A chime
# starts at rest and a light wind can leave it still for a second or more, so
# it has six seconds; a stopped one never changes.
changes=0 last=
for i in $(seq 30); do
  import -window root -crop "160x160+$X+0" +repage "$work/shot.png"
  [ "$i" = 1 ] && cp "$work/shot.png" "$work/shot1.png"
  shot=$(md5sum < "$work/shot.png")
  [ -n "$last" ] && [ "$shot" != "$last" ] && changes=$((changes + 1))
  last=$shot
  [ "$changes" -ge 2 ] && break
  sleep 0.2
done
[ "$changes" -ge 2 ] || fail "the chime presented no new frames"
# Per-pixel alpha: a corner of the window shows the desktop.
pixel() { convert "$1" -crop "1x1+$2+$3" +repage -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:; }
import -window root "$work/screen.png"
desktop=$(pixel "$work/screen.png" $((screenWidth - 1)) $((screenHeight - 1)))
corner=$(pixel "$work/shot1.png" 1 1)
[ "$corner" = "$desktop" ] || fail "the window's clear corner shows $corner, not the desktop's $desktop"

# The menu opens at the pointer (Wine maps it as an unnamed window); LINE counts
# its items from the bottom: 1 is 終了, 2 ソフトウェア情報.
choose() {
  xdotool mousemove $((X + 80)) 25 click 3
  local menu=
  for _ in $(seq 30); do
    for w in $(xdotool search --onlyvisible --name '^$' 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell --prefix M_ "$w")"
      if [ "$M_X" = $((X + 80)) ] && [ "$M_WIDTH" -lt 400 ]; then menu=$w; break 2; fi
    done
    sleep 0.1
  done
  [ -n "$menu" ] || fail "no menu appeared"
  [ "$M_HEIGHT" -gt 100 ] || fail "a menu ${M_HEIGHT} pixels high has not its eleven lines"
  xdotool mousemove $((M_X + 30)) $((M_Y + M_HEIGHT - 16 * $1 + 6)) sleep 0.3 click 1
}

# The information window: modal, closed by its button.
choose 2
about=
for _ in $(seq 50); do
  about=$(xdotool search --onlyvisible --name '^FormVersionInfo$' getwindowgeometry --shell --prefix A_ 2>/dev/null || true)
  [ -n "$about" ] && break
  sleep 0.1
done
[ -n "$about" ] || fail "no information window"
eval "$about"
[ "$A_WIDTH" = 247 ] && [ "$A_HEIGHT" = 222 ] || fail "an information window of ${A_WIDTH}x$A_HEIGHT"
xdotool mousemove $((A_X + 199)) $((A_Y + 200)) sleep 0.2 click 1
sleep 1
[ -z "$(xdotool search --onlyvisible --name '^FormVersionInfo$' 2>/dev/null)" ] || fail "its button did not close the information window"

# Alt+F4 on the chime ends it by itself: no signal is sent.
xdotool mousemove $((X + 80)) 25 click 1 sleep 0.3 key alt+F4
for _ in $(seq 100); do kill -0 "$chime" 2>/dev/null || break; sleep 0.1; done
kill -0 "$chime" 2>/dev/null && fail "Alt+F4 did not end the chime"
wait "$chime" || fail "the chime ended with an error: $(tail -5 "$work/log")"
chime=
settings=$work/Chimora/Data/application.ini
[ -f "$settings" ] || fail "no settings were stored beside the program"
grep -q '^ling=0' "$settings" && grep -q '^TOP=0' "$settings" || fail "the stored settings: $(cat "$settings")"
echo "ok: the chime under Wine"
