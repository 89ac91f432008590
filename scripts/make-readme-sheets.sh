#!/usr/bin/env bash
# Renders the contact sheets the README shows (iron and glass bell, front and back face).
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${CHIMORA_TOOL:-build/release/bin/chimora-tool}
[ -x "$tool" ] || bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
"$tool" render --ticks 10 --seed 7 --wind 12 --bell 0 --sheet docs/iron-front.png
"$tool" render --ticks 10 --seed 7 --wind 5 --bell 0 --text 一期一会 --twist 180 --sheet docs/iron-back.png
"$tool" render --ticks 10 --seed 3 --wind 12 --bell 1 --sheet docs/glass-front.png
"$tool" render --ticks 10 --seed 3 --wind 5 --bell 1 --text 立春 --twist 180 --sheet docs/glass-back.png
