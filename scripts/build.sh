#!/usr/bin/env bash
# Configures and builds into the folder given (default build/); extra arguments go to CMake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=${1:-build}
shift || true
cmake -S "$root" -B "$root/$folder" -G Ninja "$@" >/dev/null
cmake --build "$root/$folder" -j "$(nproc)"
