#!/usr/bin/env bash
# Renders the pictures the README shows: contact sheets (iron and glass bell, front and
# back face) and the bell enlarged twice over, two ways.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=${CHIMORA_TOOL:-build/release/bin/chimora-tool}
[ -x "$tool" ] || bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
"$tool" render --ticks 10 --seed 7 --wind 12 --bell 0 --sheet docs/iron-front.png
"$tool" render --ticks 10 --seed 7 --wind 5 --bell 0 --text 一期一会 --twist 180 --sheet docs/iron-back.png
"$tool" render --ticks 10 --seed 3 --wind 12 --bell 1 --sheet docs/glass-front.png
"$tool" render --ticks 10 --seed 3 --wind 5 --bell 1 --text 立春 --twist 180 --sheet docs/glass-back.png
# The bell of one frame shown twice as large: each pixel a 2 x 2 block (left), as
# the chime does on a dense screen, beside a smooth filter (right).
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
"$tool" render --ticks 1 --seed 7 --wind 5 --bell 0 --out "$frames"
convert "$frames/frame-0001.png" -background '#808080' -flatten -crop 48x128+56+16 +repage "$frames/crop.png"
convert \( "$frames/crop.png" -filter point -resize 200% \) \( "$frames/crop.png" -filter triangle -resize 200% \) \
  -bordercolor white -border 2 +append -strip docs/scale2-doubled-vs-smooth.png
