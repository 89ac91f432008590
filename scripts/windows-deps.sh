#!/usr/bin/env bash
# Cross-builds the libraries the Windows build links and Debian has no mingw
# package of, from Debian's own sources: libjpeg-turbo (static, no SIMD), libpng
# (the tests' reference decoder) and GoogleTest. Into DIR (default build/windows-deps);
# does nothing when they are there.
set -euo pipefail
cd "$(dirname "$0")/.."
prefix=$(realpath -m "${1:-build/windows-deps}")
[ -f "$prefix/.done" ] && exit 0
src=$prefix/src
mkdir -p "$src"
toolchain=$PWD/cmake/mingw-i686.cmake
pool=http://deb.debian.org/debian/pool/main

fetch() {  # URL SHA256
  local file=$src/$(basename "$1")
  [ -f "$file" ] || curl -sSf -o "$file" "$1"
  echo "$2  $file" | sha256sum -c --quiet || { rm -f "$file"; echo "windows-deps: $1 does not match its checksum" >&2; exit 1; }
  tar -xzf "$file" -C "$src"
}

cross() {  # SOURCE_DIR [CMAKE OPTIONS...]
  local dir=$1
  shift
  cmake -S "$dir" -B "$dir/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_POSITION_INDEPENDENT_CODE=OFF "$@" >/dev/null
  cmake --build "$dir/build" >/dev/null
  cmake --install "$dir/build" >/dev/null
}

fetch $pool/libj/libjpeg-turbo/libjpeg-turbo_2.1.5.orig.tar.gz 254f3642b04e309fee775123133c6464181addc150499561020312ec61c1bf7c
cross "$src/libjpeg-turbo-2.1.5" -DWITH_SIMD=OFF -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF

fetch $pool/libp/libpng1.6/libpng1.6_1.6.39.orig.tar.gz a00e9d2f2f664186e4202db9299397f851aea71b36a35e74910b8820e380d441
cross "$src/libpng-1.6.39" -DPNG_SHARED=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DZLIB_ROOT=/usr/i686-w64-mingw32

rm -rf "$src/googletest"
cp -r /usr/src/googletest "$src/googletest"
cross "$src/googletest" -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=OFF

touch "$prefix/.done"
echo "windows-deps: in $prefix"
