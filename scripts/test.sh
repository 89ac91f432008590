#!/usr/bin/env bash
# Sets everything up, fuzzes each decoder for a short while, then builds and runs
# every test twice: a normal optimised build, and one under AddressSanitizer and
# UndefinedBehaviorSanitizer (without the checks on real desktops); then the
# Windows build's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/fuzz.sh 20

bash scripts/build.sh build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir build/release --output-on-failure --timeout 300 -j "$(nproc)"

bash scripts/build.sh build/sanitize -DCMAKE_BUILD_TYPE=Debug -DCHIMORA_SANITIZE=ON -DCHIMORA_BENCH=OFF
# The checks on real window managers and compositors run in the build above: their
# drags, timed against a desktop, miss now and then with the slower sanitized program.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/sanitize --output-on-failure --timeout 300 -j "$(nproc)" -E '^(desktop_wm_|desktop_wayland_|wayland_sway)'

# The same source on Windows: cross-built, its unit tests and the program under Wine.
bash scripts/test-windows.sh
