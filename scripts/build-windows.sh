#!/usr/bin/env bash
# Cross-builds chimora.exe and chimora-tool.exe for 32-bit Windows (static: no
# DLLs beside them but the system's), with the unit tests, and packs
# out/chimora-windows.zip: the programs, wav\, a readme and the licence.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh windows
bash scripts/windows-deps.sh build/windows-deps
bash scripts/build.sh build/windows -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" \
  -DCHIMORA_WINDOWS_DEPS="$PWD/build/windows-deps" -DCMAKE_BUILD_TYPE=Release -DCHIMORA_BENCH=OFF
stage=build/windows/zip/Chimora
rm -rf build/windows/zip
mkdir -p "$stage/wav" out
for program in chimora chimora-tool; do
  i686-w64-mingw32-strip -o "$stage/$program.exe" "build/windows/bin/$program.exe"
done
cp assets/wav/*.wav "$stage/wav/"
cp packaging/windows/readme.txt "$stage/"
sed 's/$/\r/' LICENSE > "$stage/LICENSE.txt"
rm -f out/chimora-windows.zip
(cd build/windows/zip && cmake -E tar cf ../../../out/chimora-windows.zip --format=zip Chimora)
echo "out/chimora-windows.zip: $(ls "$stage"/*.exe | xargs -n1 basename | tr '\n' ' ')"
