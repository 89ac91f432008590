#!/usr/bin/env bash
# Installs what building, running and testing Chimora need on Debian 12.
# Idempotent: when everything is present it asks apt nothing and returns at once.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  zlib1g-dev libjpeg62-turbo-dev libfreetype-dev libfontconfig-dev
  fonts-ipafont-mincho fonts-ipafont-gothic fonts-dejavu-core
  libx11-dev xdg-utils
  qt6-base-dev libxcb1-dev libxcb-shape0-dev libxcb-xfixes0-dev libsdl2-dev
  xvfb xcompmgr xauth xdotool x11-xserver-utils imagemagick
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev clang libclang-rt-14-dev
  dpkg-dev desktop-file-utils appstream lintian groff-base strace x11-utils procps
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
