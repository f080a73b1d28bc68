#!/usr/bin/env bash
# Runs every tests/wine/test_*.sh against a Windows build of the viewer under Wine:
#
#   tests/wine/run.sh [--32] KORVALIN.EXE DEVIL.DLL KORVALIN-RENDER
#
# Without --32: the 64-bit program under wine64 in a win64 prefix. With --32: the 32-bit
# program under 32-bit Wine in a win32 prefix. Makes one Wine prefix for the whole run (wineboot
# takes a while), hands it to each test and removes it at the end. A test that exits 77 did not
# apply to this run (it says why) and is counted as skipped, never as passed. Prints one line a
# test and a summary; exit 0 only when none failed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export KORVALIN_WINE_BITS=64
if [ "${1:-}" = "--32" ]; then
    shift
    KORVALIN_WINE_BITS=32
fi
[ $# -eq 3 ] || {
    echo "usage: tests/wine/run.sh [--32] KORVALIN.EXE DEVIL.DLL KORVALIN-RENDER" >&2
    exit 2
}
# shellcheck source=tests/wine/wine_tools.sh
source "$here/wine_tools.sh"
name=wine$KORVALIN_WINE_BITS
work=$(mktemp -d "${TMPDIR:-/tmp}/korvalin-wine.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine links the prefix's Pictures, Documents and Desktop to the home folder: a home of the
# run's own keeps what the program saves there (a screenshot) out of the user's.
export HOME=$work/home
mkdir -p "$HOME"
cleanup() {
    local status=$?
    "$WINE_SERVER" -k 2>/dev/null || true
    remove_wine_server_folder "$WINEPREFIX"
    rm -rf -- "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$SECONDS
make_wine_prefix "$WINEPREFIX" "$work/wineboot.log" || {
    cat "$work/wineboot.log" >&2
    echo "$name: FAILED: the Wine prefix could not be made" >&2
    exit 1
}
echo "$name: prefix ready in $((SECONDS - started)) s"

failed=0 passed=0 skipped=0
for test in "$here"/test_*.sh; do
    test_name=$(basename "$test" .sh)
    started=$SECONDS
    status=0
    timeout 300 bash "$test" "$@" >"$work/$test_name.log" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "$name: $test_name passed in $((SECONDS - started)) s"
    elif [ "$status" -eq 77 ]; then
        skipped=$((skipped + 1))
        echo "$name: $test_name SKIPPED: $(tail -n 1 "$work/$test_name.log")"
    else
        failed=$((failed + 1))
        echo "$name: $test_name FAILED in $((SECONDS - started)) s:"
        sed 's/^/    /' "$work/$test_name.log"
    fi
done
echo "$name: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
