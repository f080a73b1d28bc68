#!/usr/bin/env bash
# Installs what is needed, checks the formatting, builds with warnings as errors, and runs every
# test: the whole suite on a normal build, then the unit and GL tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

"$root/scripts/check-format.sh"

"$root/scripts/build.sh" build -DKORVALIN_WARNINGS_AS_ERRORS=ON
(cd "$root/build" && ctest --output-on-failure -j "$(nproc)")

"$root/scripts/build.sh" build-sanitize -DKORVALIN_WARNINGS_AS_ERRORS=ON -DKORVALIN_SANITIZE=ON \
  -DKORVALIN_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd "$root/build-sanitize" && ctest --output-on-failure -j "$(nproc)" -L 'unit|gl')

# A short fuzz smoke run (20 s a target, four targets) over the seed corpora.
"$root/scripts/fuzz.sh" 20
