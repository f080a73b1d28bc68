#!/usr/bin/env bash
# korvalin.exe under Wine without a usable DevIL.dll: none at all beside it, then one that
# answers as DevIL's Unicode build does (refused when loaded). Each time the window comes up,
# File > Open... shows the cube untextured (its crate image and red corner mark missing), and
# File > Quit ends with status 0.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

samples="$(samples_folder)"
unicode_devil="$E2E_TMP/unicode"
bits=()
[[ "$KORVALIN_WINE_BITS" == 32 ]] && bits=(--32)
"$(dirname "$0")/devil_forward/build.sh" "${bits[@]}" --unicode "$unicode_devil" >/dev/null ||
    fail "the Unicode-like test DevIL.dll could not be built"
start_xvfb

for case in missing unicode; do
    rm -f "$APP_FOLDER/DevIL.dll"
    [[ "$case" == unicode ]] && cp "$unicode_devil/DevIL.dll" "$APP_FOLDER/DevIL.dll"
    folder="$(new_folder "$case")"
    printf '0.1\r\n2\r\n%s' "$(windows_path "$samples")" >"$folder/Korvalin.ini"
    start_wine_app "$folder"
    open_through_dialog "$samples/cube.msh"
    wait_for_wine_mesh "$E2E_TMP/$case.png"
    read -r lit brown red _ <<<"$(image_stats "$E2E_TMP/$case.png")"
    log "DevIL.dll $case: cube drawn with $lit lit, $brown brown, $red red pixels"
    ((lit > 1000)) || fail "DevIL.dll $case: only $lit lit pixels, no cube drawn"
    ((red == 0 && brown * 20 < lit)) ||
        fail "DevIL.dll $case: the cube shows its texture ($brown brown, $red red of $lit lit)"
    quit_wine_app
    expect_exit_status 0
    "$WINE_SERVER" -w
done
log "PASS"
