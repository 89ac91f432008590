#!/usr/bin/env bash
# chimora-tool.exe under Wine reads its command line as UTF-16: Japanese text
# arguments reach the chime as CP932, and names with characters CP932 lacks
# travel in the reserved form and reach their files.
#   check-tool.sh BUILD_DIR   (Wine's prefix and locale come from the caller)
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
tool() { (cd "$work" && wine "$build/bin/chimora-tool.exe" "$@") 2>&1 | tr -d '\r'; }

out=$(tool render --ticks 1 --wind 0 --text 一期一会 --out 出力) || fail "render --text 一期一会: $out"
[ -f "$work/出力/frame-0001.png" ] || fail "no frame in 出力: $out"

printf 'one' > "$work/一.txt"
printf 'two' > "$work/été.txt"
out=$(tool farc pack 書庫.farc 一.txt été.txt) || fail "farc pack: $out"
out=$(tool farc list 書庫.farc) || fail "farc list: $out"
grep -q ' 一\.txt$' <<<"$out" || fail "一.txt is not listed: $out"
grep -q ' été\.txt$' <<<"$out" || fail "été.txt is not listed as it was named: $out"
out=$(tool farc extract 書庫.farc été.txt 戻り.txt) || fail "farc extract: $out"
[ "$(cat "$work/戻り.txt")" = two ] || fail "été.txt did not come back whole"
echo "ok: the tool's Japanese and other arguments under Wine"
