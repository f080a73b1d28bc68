#!/usr/bin/env bash
# Runs every tests/wine/test_*.sh against a Windows build of the viewer under Wine:
#
#   tests/wine/run.sh KORVALIN.EXE DEVIL.DLL KORVALIN-RENDER
#
# Makes one Wine prefix for the whole run (wineboot takes a while), hands it to each test and
# removes it at the end. Prints one line a test and a summary; exit 0 only when all pass.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 3 ] || {
    echo "usage: tests/wine/run.sh KORVALIN.EXE DEVIL.DLL KORVALIN-RENDER" >&2
    exit 2
}
work=$(mktemp -d "${TMPDIR:-/tmp}/korvalin-wine.XXXXXX")
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    local status=$?
    /usr/lib/wine/wineserver64 -k 2>/dev/null || true
    rm -rf -- "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$SECONDS
(unset DISPLAY && timeout 300 /usr/lib/wine/wine64 wineboot --init) >"$work/wineboot.log" 2>&1 || {
    cat "$work/wineboot.log" >&2
    echo "wine: FAILED: the Wine prefix could not be made" >&2
    exit 1
}
/usr/lib/wine/wineserver64 -w
echo "wine: prefix ready in $((SECONDS - started)) s"

failed=0 passed=0
for test in "$here"/test_*.sh; do
    name=$(basename "$test" .sh)
    started=$SECONDS
    if timeout 300 bash "$test" "$@" >"$work/$name.log" 2>&1; then
        passed=$((passed + 1))
        echo "wine: $name passed in $((SECONDS - started)) s"
    else
        failed=$((failed + 1))
        echo "wine: $name FAILED in $((SECONDS - started)) s:"
        sed 's/^/    /' "$work/$name.log"
    fi
done
echo "wine: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
