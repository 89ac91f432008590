#!/usr/bin/env bash
# The chime as users get it: installed from the build tree into a scratch root
# (tree), or packaged, checked by lintian and unpacked (package). In both, the
# installed tool and program run from that root: the program on a private X
# server, reading its bell sounds beside itself and keeping its settings per user.
#   check-install.sh tree|package BUILD_DIR
set -euo pipefail
mode=$1
build=$(cd "$2" && pwd)
work=$(mktemp -d)
cleanup() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

expect_tree() {
  local root=$1
  for f in usr/lib/chimora/chimora usr/lib/chimora/chimora-tool usr/lib/chimora/wav/ling0.wav \
           usr/lib/chimora/wav/ling3.wav usr/share/applications/chimora.desktop \
           usr/share/metainfo/example.korvessa.chimora.metainfo.xml usr/share/man/man1/chimora.1.gz \
           usr/share/man/man1/chimora-tool.1.gz usr/share/doc/chimora/copyright usr/share/doc/chimora/changelog.gz \
           etc/xdg/korvessa/chimora/registry.ini; do
    [ -f "$root/$f" ] || fail "$f is not installed"
  done
  for size in 16 22 24 32 48 64 128 256; do
    identify -format '%wx%h' "$root/usr/share/icons/hicolor/${size}x${size}/apps/chimora.png" | grep -qx "${size}x${size}" ||
      fail "no ${size}x${size} icon"
  done
  for p in chimora chimora-tool; do
    [ "$(readlink "$root/usr/bin/$p")" = "../lib/chimora/$p" ] || fail "bin/$p does not link to lib/chimora/$p"
  done
  grep -qx 'AppDir=/usr/lib/chimora' "$root/etc/xdg/korvessa/chimora/registry.ini" || fail "the machine key does not name /usr/lib/chimora"
  desktop-file-validate "$root/usr/share/applications/chimora.desktop" || fail "desktop entry"
  appstreamcli validate --no-net "$root/usr/share/metainfo/example.korvessa.chimora.metainfo.xml" >/dev/null || fail "metainfo"
  for page in chimora chimora-tool; do
    local warnings
    warnings=$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || fail "manual page $page: $warnings"
  done
}

# The installed programs, run where they were unpacked: the machine key is
# rewritten to name that folder, as it names /usr/lib/chimora at its place.
run_installed() {
  local root=$1 config=$work/config
  rm -rf "$config"
  mkdir -p "$config/xdg/korvessa/chimora" "$config/home/korvessa/Chimora"
  printf '[]\nAppDir=%s/usr/lib/chimora\n' "$root" > "$config/xdg/korvessa/chimora/registry.ini"
  export XDG_CONFIG_DIRS=$config/xdg XDG_CONFIG_HOME=$config/home SDL_AUDIODRIVER=dummy
  local tool=$root/usr/bin/chimora-tool
  # Asked, the chime answers on stdout without a display.
  env -u DISPLAY "$root/usr/bin/chimora" --version | grep -qx 'chimora [0-9.]*' || fail "chimora --version"
  env -u DISPLAY "$root/usr/bin/chimora" --help | grep -q '^usage: chimora' || fail "chimora --help"
  "$tool" resources | grep -q APPTITLE || fail "the installed tool lists no resources"
  "$tool" almanac 2027 | grep -q '立春' || fail "the installed tool prints no almanac"
  "$tool" render --ticks 3 --out "$work/frames" >/dev/null || fail "the installed tool renders nothing"
  [ "$(ls "$work/frames" | wc -l)" = 3 ] || fail "three frames expected"
  "$tool" settings | grep -qx "settings file:  $config/home/korvessa/Chimora/application.ini" ||
    fail "the installed program's settings are not per user: $("$tool" settings | grep 'settings file')"
  # A strong wind rings soon; the sound comes from beside the program. There is
  # no session bus here, and the chime starts none: a bus of its own would outlive
  # it, and strace -f waits for every process it traced.
  printf '[chimora]\nwind=12\n' > "$config/home/korvessa/Chimora/application.ini"
  mkdir -p -m 700 "$work/runtime"
  DBUS_SESSION_BUS_ADDRESS= XDG_RUNTIME_DIR=$work/runtime \
    strace -f -qq -e trace=openat,execve -o "$work/opened" "$root/usr/bin/chimora" 2>"$work/stderr" &
  local tracer=$! chime=
  for _ in $(seq 300); do
    [ -z "$chime" ] && chime=$(pgrep -P "$tracer" || true)
    grep -q "$root/usr/lib/chimora/wav/ling" "$work/opened" 2>/dev/null && break
    sleep 0.1
  done
  [ -n "$chime" ] || fail "the installed chime did not start: $(cat "$work/stderr")"
  kill -TERM "$chime"  # as a logout does; strace ends with it and passes on its status
  wait "$tracer" || fail "the installed chime did not end normally: $(cat "$work/stderr")"
  grep -q "$root/usr/lib/chimora/wav/ling" "$work/opened" || fail "no bell sound was read from $root/usr/lib/chimora/wav"
  ! grep -q 'execve("[^"]*dbus' "$work/opened" || fail "the chime started a session bus: $(grep 'execve(' "$work/opened")"
  grep -q '^TOP=0' "$config/home/korvessa/Chimora/application.ini" || fail "the chime stored no place per user"
  [ ! -e "$root/usr/lib/chimora/Data" ] || fail "settings were written beside the installed program"
}

source "$(dirname "$0")/../../scripts/xvfb.sh"
start_xvfb 640x480 || fail "no X server"

case $mode in
  tree)
    DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null
    expect_tree "$work/root"
    run_installed "$work/root"
    ;;
  package)
    (cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
    deb=$(ls "$work"/deb/chimora_*.deb)
    report=$(lintian --pedantic "$deb" 2>&1 | grep -v 'running with root privileges' || true)
    echo "$report"
    ! grep -q '^E:' <<<"$report" || fail "lintian found errors"
    dpkg-deb -f "$deb" Depends
    dpkg -x "$deb" "$work/root"
    expect_tree "$work/root"
    run_installed "$work/root"
    ;;
  *) fail "tree or package" ;;
esac
echo "ok: $mode"
