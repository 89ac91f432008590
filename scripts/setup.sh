#!/usr/bin/env bash
# Installs what building, running and testing Chimora need on Debian 12;
# "setup.sh windows" adds the Windows cross-build and Wine.
# Idempotent: when everything is present it asks apt nothing and returns at once.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  zlib1g-dev libjpeg62-turbo-dev libfreetype-dev libfontconfig-dev
  fonts-ipafont-mincho fonts-ipafont-gothic fonts-dejavu-core
  libx11-dev libxext-dev libsm-dev libice-dev xdg-utils
  qt6-base-dev libxcb1-dev libxcb-shape0-dev libxcb-shm0-dev libxcb-xfixes0-dev libsdl2-dev
  xvfb xcompmgr picom xauth xdotool x11-xserver-utils imagemagick
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev clang libclang-rt-14-dev
  dpkg-dev desktop-file-utils appstream lintian groff-base strace x11-utils procps
  # The window managers, panels and file manager the desktop checks run the chime on.
  # dbus-x11 is named so that every machine gets the session bus every desktop has (xfconf would otherwise pull in systemd).
  dbus dbus-x11 mutter kwin-x11 xfwm4 xfce4-panel openbox tint2 picom i3-wm fluxbox pcmanfm
  # The Wayland sessions: compositors with Xwayland, and what a native client builds on.
  xwayland gnome-shell kwin-wayland sway wayland-utils
  # A layer-shell panel for the native check on KWin.
  gtk-layer-shell-examples
  libwayland-dev wayland-protocols plasma-wayland-protocols libxkbcommon-dev
)
windows=false
if [ "${1:-}" = windows ]; then
  windows=true
  packages+=(g++-mingw-w64-i686-posix libz-mingw-w64-dev mingw-w64-tools curl ca-certificates locales wine wine32:i386 openbox)
  # Wine's 32-bit half comes from the i386 architecture.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" dpkg --add-architecture i386
  fi
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done
# Under Wine, code page 932 is the ANSI code page only in a Japanese locale.
ensure_japanese_locale() {
  $windows || return 0
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && return 0
  local sudo=(); [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}

if [ ${#missing[@]} -eq 0 ]; then
  ensure_japanese_locale
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
ensure_japanese_locale
