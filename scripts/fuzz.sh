#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while (default 20 s)
# from its seed corpus. Fails on the first crash, leak or sanitizer report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
CC=clang CXX=clang++ bash scripts/build.sh build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHIMORA_FUZZ=ON >/dev/null
for target in png bmp jpeg jpx xml profile farc; do
  seeds=fuzz/corpus/$target
  work=$(mktemp -d)
  log=build/fuzz/fuzz_$target.log
  if build/fuzz/bin/fuzz_$target -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
      -artifact_prefix=build/fuzz/crash-$target- -print_final_stats=1 "$work" "$seeds" >"$log" 2>&1; then
    echo "fuzz_$target: ${seconds}s, $(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}') inputs, no crash"
  else
    cat "$log"
    echo "fuzz_$target: FAILED (the input is in build/fuzz/crash-$target-*)" >&2
    exit 1
  fi
  rm -rf "$work"
done
