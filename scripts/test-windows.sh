#!/usr/bin/env bash
# Builds the Windows programs and their tests, then runs them under Wine: every
# unit test, and chimora.exe end to end on a private X server. Wine's prefix
# (32-bit, Japanese locale, the system's font names mapped to installed fonts)
# is made in build/wine once.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-windows.sh
export WINEPREFIX=$PWD/build/wine WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winealsa.drv=d;winepulse.drv=d"
export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8
if [ ! -f "$WINEPREFIX/.chimora-fonts" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
  substitutes=$WINEPREFIX/chimora-fonts.reg
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    printf '"ＭＳ 明朝"="IPAMincho"\r\n"ＭＳ Ｐ明朝"="IPAPMincho"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"HGP創英角ｺﾞｼｯｸUB"="IPAPGothic"\r\n"Arial Black"="DejaVu Sans"\r\n'
  } | iconv -f UTF-8 -t UTF-16 > "$substitutes"
  wine regedit "$(winepath -w "$substitutes")" >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.chimora-fonts"
fi
# Wine's desktop process lives on the display it first met, so every program of
# the run meets the same private X server, composited for the chime's alpha.
wineserver -k >/dev/null 2>&1 || true
manager=
trap 'wineserver -k >/dev/null 2>&1 || true; kill $manager ${XVFB_PID:-} 2>/dev/null || true' EXIT
source scripts/xvfb.sh
start_xvfb 800x600
xcompmgr >/dev/null 2>&1 &
manager=$!
# A server started before the tests and kept until they end: a bare start
# under the test runner can hang it.
wineserver -p >/dev/null 2>&1 || true
wine cmd /c exit >/dev/null 2>&1
ctest --test-dir build/windows --output-on-failure --timeout 300
