#!/usr/bin/env bash
# Builds korvalin-genmesh and rewrites every sample model and texture in this folder.
# The output is deterministic: rerunning it on the same machine changes no file.
set -euo pipefail
samples=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$samples")
build=${KORVALIN_SAMPLES_BUILD:-$root/build-samples}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVALIN_TESTS=OFF >/dev/null
cmake --build "$build" --target korvalin-genmesh --parallel "${KORVALIN_JOBS:-2}"
"$build/bench/korvalin-genmesh" --samples "$samples"
