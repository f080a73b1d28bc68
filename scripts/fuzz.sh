#!/usr/bin/env bash
# Builds the libFuzzer targets into build-fuzz/ (clang) and runs each for the given seconds
# (default 60) with its seed corpus and a working corpus. Targets: load_mesh load_settings
# number_scan render_mesh decode_image (default all). Prints each target's execution count;
# exits non-zero when any target found a crash, sanitizer error, leak, timeout or memory
# blow-up. Grown corpora, logs (or FUZZ_LOG_DIR) and the inputs that failed stay under
# fuzz/work/ (not committed).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(load_mesh load_settings number_scan render_mesh decode_image)

# Seed folder and longest input, per target.
declare -A seeds=([load_mesh]=mesh [load_settings]=settings [number_scan]=number_scan
  [render_mesh]=mesh [decode_image]=images)
declare -A max_len=([load_mesh]=65536 [load_settings]=4096 [number_scan]=300
  [render_mesh]=65536 [decode_image]=65536)
for target in "${targets[@]}"; do
  [ -n "${seeds[$target]:-}" ] || { echo "fuzz.sh: no target '$target'" >&2; exit 2; }
done

# Two runs may start side by side; only one configures and builds at a time.
mkdir -p "$root/build-fuzz"
(
  flock 9
  "$root/scripts/build.sh" build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DKORVALIN_FUZZ=ON -DKORVALIN_TESTS=OFF -DKORVALIN_BENCH=OFF >/dev/null
) 9>"$root/build-fuzz/.fuzz-build.lock"

work="$root/fuzz/work"
logs=${FUZZ_LOG_DIR:-$work/logs}
# The targets write their inputs under TMPDIR; a crashed run leaves its folder, so it goes here.
scratch=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo /tmp )/korvalin-fuzz-run-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

run_target() {
  local target=$1
  local corpus="$work/corpus/$target" crashes="$work/crashes/$target"
  local log="$logs/$target-$(date +%Y%m%d-%H%M%S)-$$.log"
  mkdir -p "$corpus" "$crashes" "$logs"
  local status=0
  TMPDIR="$scratch" UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$root/build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
    -timeout=20 -rss_limit_mb=2048 -max_len="${max_len[$target]}" \
    -artifact_prefix="$crashes/" "$corpus" "$root/fuzz/seeds/${seeds[$target]}" \
    >"$log" 2>&1 || status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$status" -eq 0 ]; then
    echo "$target: ${runs:-?} executions in $seconds s, no finding (log $log)"
  else
    echo "$target: FINDING after ${runs:-?} executions (exit $status); log $log"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|korvalin fuzz:|.*runtime error)|artifact_prefix|Test unit written' \
      "$log" | head -n 8 | sed 's/^/  /'
  fi
  return "$status"
}

failed=0
for target in "${targets[@]}"; do
  run_target "$target" || failed=1
done
exit "$failed"
