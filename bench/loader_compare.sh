#!/usr/bin/env bash
# Whole-process loading of the same geometry by three loaders: korvalin-info on the benchmark
# mesh as .msh, tinyobjloader on the same mesh as Wavefront OBJ, and the plain fgets + sscanf
# reader on the .msh.
#
#     bench/loader_compare.sh [--runs N] [--keep DIR]
#
# Builds nothing: expects the build in build/ (scripts/build.sh build). Writes both files with
# korvalin-genmesh into a temporary folder, removed at the end (with --keep, into DIR, where they
# stay). One untimed round warms the page cache and shows what each loader read; then N rounds
# (default 7) run the three one after another, the order turning by one each round. Every run
# is timed by build/bench/measure_run: wall time from fork to exit, peak resident size as wait4
# reports it. Prints the median, fastest and slowest time and the median peak of each, then the
# ratios of the medians. Asserts nothing about speed; fails when a loader fails.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$repo/build"

usage() {
    echo "usage: bench/loader_compare.sh [--runs N] [--keep DIR]" >&2
    exit 2
}

runs=7
keep=""
while (($#)); do
    case "$1" in
    --runs) (($# >= 2)) || usage; runs="$2"; shift 2 ;;
    --keep) (($# >= 2)) || usage; keep="$2"; shift 2 ;;
    *) usage ;;
    esac
done
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "loader_compare: --runs takes a positive number" >&2; exit 2; }

genmesh="$build/bench/korvalin-genmesh"
measure="$build/bench/measure_run"
names=(korvalin-info tinyobj_load plain_read)
programs=("$build/tools/korvalin-info" "$build/bench/tinyobj_load" "$build/bench/plain_read")
missing=()
for program in "$genmesh" "$measure" "${programs[@]}"; do
    [[ -x "$program" ]] || missing+=("${program#"$repo"/}")
done
if ((${#missing[@]})); then
    echo "loader_compare: no complete build in build/ (missing ${missing[*]});" \
        "build first: scripts/build.sh build" >&2
    exit 1
fi

work="$(mktemp -d /tmp/korvalin-loader-compare-XXXXXX)"
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
folder="${keep:-$work}"
mkdir -p "$folder"
msh="$folder/bench.msh"
obj="$folder/bench.obj"
"$genmesh" --bench "$msh" >/dev/null
"$genmesh" --bench "$obj" >/dev/null
inputs=("$msh" "$obj" "$msh")

# Runs loader $1 once; appends "SECONDS PEAK_KIB" to its figures, or stops with its output.
run_loader() {
    local i="$1" figures seconds kib
    if ! figures="$("$measure" --output "$work/output-$i" "${programs[i]}" "${inputs[i]}")"; then
        echo "loader_compare: ${names[i]} failed on ${inputs[i]}: ${figures:-no figures}" >&2
        cat "$work/output-$i" >&2
        exit 1
    fi
    read -r seconds kib _ <<<"$figures"
    echo "$seconds $kib" >>"$work/figures-$i"
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# "FASTEST SLOWEST MEDIAN PEAK_MB" of loader $1's runs, the peak a median too.
summarise() {
    local figures="$work/figures-$1"
    cut -d' ' -f1 "$figures" | sort -n | awk '{ v[NR] = $1 } END { printf "%.3f %.3f ", v[1], v[NR] }'
    awk -v median="$(cut -d' ' -f1 "$figures" | median)" \
        -v kib="$(cut -d' ' -f2 "$figures" | median)" \
        'BEGIN { printf "%.3f %.1f\n", median, kib * 1024 / 1e6 }'
}

megabytes() { awk -v bytes="$(stat -c %s "$1")" 'BEGIN { printf "%.1f", bytes / 1e6 }'; }

echo "same geometry: $(megabytes "$msh") MB as .msh, $(megabytes "$obj") MB as .obj (MB = 10^6 bytes)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores"
echo
echo "what each loader read (untimed round, also warms the page cache):"
for i in 0 1 2; do
    run_loader "$i"
    echo "  ${names[i]}: $(paste -sd' ' "$work/output-$i")"
    rm "$work/figures-$i"
done
checksum() { local line; line="$(cat "$work/output-$1")"; echo "${line#"${inputs[$1]}: "}"; }
if [[ "$(checksum 1)" == "$(checksum 2)" ]]; then
    echo "  tinyobj_load and plain_read hold the same values and corners"
else
    echo "  tinyobj_load and plain_read DIFFER in what they hold"
fi

for ((round = 0; round < runs; round++)); do
    for k in 0 1 2; do run_loader $(((round + k) % 3)); done
done

echo
echo "$runs interleaved rounds, whole processes, wall seconds; peak = resident size (MB = 10^6 bytes)"
printf '%-14s %-10s %8s %8s %8s %9s\n' program input median fastest slowest "peak MB"
medians=()
for i in 0 1 2; do
    read -r fastest slowest median peak <<<"$(summarise "$i")"
    medians+=("$median")
    printf '%-14s %-10s %8s %8s %8s %9s\n' "${names[i]}" "${inputs[i]##*/}" "$median" "$fastest" \
        "$slowest" "$peak"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo
echo "plain_read median / korvalin-info median:   $(ratio "${medians[2]}" "${medians[0]}")"
echo "tinyobj_load median / korvalin-info median: $(ratio "${medians[1]}" "${medians[0]}")"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
