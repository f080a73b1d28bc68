#!/usr/bin/env bash
# The Windows backend's services for the viewer's keys, checked by korvalin-platform-check (built
# beside korvalin.exe from tests/wine/platform_check.cpp) under Wine on Xvfb: the folder calls,
# the pictures folder, a timer, full screen and back, the file watch, and saving a PNG through
# DevIL.dll; the PNG holds its two pixels top row first. Run again without DevIL.dll, where
# saving fails and nothing is written.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

check_program="$(dirname "$(realpath "$1")")/korvalin-platform-check.exe"
[[ -f "$check_program" ]] || fail "no korvalin-platform-check.exe beside korvalin.exe"
cp "$check_program" "$APP_FOLDER/"
start_xvfb

for case in devil no-devil; do
    [[ "$case" == no-devil ]] && rm -f "$APP_FOLDER/DevIL.dll"
    folder="$(new_folder "$case")"
    status=0
    "$WINE_LOADER" "$APP_FOLDER/korvalin-platform-check.exe" "$(windows_path "$folder")" "$case" \
        >"$E2E_TMP/check.log" 2>&1 || status=$?
    sed 's/^/    /' "$E2E_TMP/check.log" >&2
    ((status == 0)) || fail "korvalin-platform-check $case ended with status $status"
    "$WINE_SERVER" -w
done
[[ "$(pixel "$E2E_TMP/devil/shot.png" 0 0) $(pixel "$E2E_TMP/devil/shot.png" 0 1)" == \
    "0,0,255 255,0,0" ]] || fail "the saved PNG does not hold blue above red"
log "PASS"
