#!/usr/bin/env bash
# Builds the Debian package of the chime into out/: an optimised build with
# Debian's hardening flags, installed under /usr by CPack.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS=$(dpkg-buildflags --get CXXFLAGS) CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS) LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS="$CXXFLAGS $CPPFLAGS" LDFLAGS
bash scripts/build.sh build/package -DCMAKE_BUILD_TYPE=Release -DCHIMORA_TESTS=OFF -DCHIMORA_BENCH=OFF
mkdir -p out
(cd build/package && cpack -G DEB -B "$PWD/../../out" >/dev/null)
rm -rf out/_CPack_Packages
deb=$(ls -t out/chimora_*.deb | head -1)
echo "$deb"
echo "install it with: sudo apt install ./$deb"
