#!/usr/bin/env bash
# Sets everything up, builds, and shows the chime. Until the window exists the
# chime swings into PNG frames and a contact sheet under out/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
TARGET=chimora-tool bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
build/release/bin/chimora-tool render --ticks 100 --wind 8 --out out/frames --sheet out/chime-sheet.png
