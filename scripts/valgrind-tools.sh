#!/usr/bin/env bash
# Runs korvalin-info (summary and JSON) and korvalin-render under Valgrind memcheck over every
# sample mesh with its textures. Exits 1 on any memory error or definite or indirect leak that
# tests/valgrind/mesa.supp does not cover, or when a tool itself fails; 77 without valgrind.
#
#   scripts/valgrind-tools.sh [--no-build] [BUILD_FOLDER]
#
# BUILD_FOLDER (default build/) is relative to the repository root, as for scripts/build.sh,
# and is built first unless --no-build is given; an absolute folder is taken as already built.
# GL runs on Mesa's softpipe: under memcheck it is quicker than llvmpipe, whose LLVM compiler
# would run on the simulated CPU, and the tools' own code paths are the same. Set
# KORVALIN_VALGRIND_DRIVER=llvmpipe to check with the driver users get.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

build_first=1
if [ "${1:-}" = "--no-build" ]; then
  build_first=0
  shift
fi
folder=${1:-build}

if ! command -v valgrind >/dev/null; then
  echo "valgrind-tools: valgrind is not installed" >&2
  exit 77
fi

if [[ $folder != /* ]]; then
  [ "$build_first" -eq 1 ] && "$root/scripts/build.sh" "$folder"
  folder=$root/$folder
fi
info=$folder/tools/korvalin-info
render=$folder/tools/korvalin-render
samples=$root/samples

export LIBGL_ALWAYS_SOFTWARE=1
export GALLIUM_DRIVER=${KORVALIN_VALGRIND_DRIVER:-softpipe}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

memcheck_error_status=99
# --keep-debuginfo keeps the names of the DRI driver's code should a Mesa build unload it, so
# the suppressions can tell Mesa's frames from ours.
memcheck=(valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect
  --errors-for-leak-kinds=definite,indirect --track-origins=yes --keep-debuginfo=yes
  --num-callers=40 --gen-suppressions=all --error-exitcode=$memcheck_error_status
  --suppressions="$root/tests/valgrind/mesa.supp")

failures=0

# Runs one command under memcheck; its output and valgrind's report are shown only on failure.
check() {
  local name=$1
  shift
  local log=$work/$name.log started=$SECONDS status=0
  "${memcheck[@]}" --log-file="$log" "$@" >"$work/$name.out" 2>&1 || status=$?
  local took=$((SECONDS - started))
  if [ "$status" -eq 0 ]; then
    echo "clean   $name (${took} s)"
    return
  fi
  failures=$((failures + 1))
  if [ "$status" -eq "$memcheck_error_status" ]; then
    echo "ERRORS  $name (memcheck report follows)"
  else
    echo "FAILED  $name exited $status"
  fi
  cat "$work/$name.out" "$log"
}

for mesh in "$samples"/*.msh; do
  sample=$(basename "$mesh" .msh)
  check "korvalin-info-$sample" "$info" --textures "$samples" "$mesh"
  check "korvalin-info-json-$sample" "$info" --json --textures "$samples" "$mesh"
  check "korvalin-render-$sample" "$render" --textures "$samples" "$mesh" -o "$work/$sample.png"
done

if [ "$failures" -ne 0 ]; then
  echo "valgrind-tools: $failures run(s) not clean"
  exit 1
fi
echo "valgrind-tools: every run clean"
