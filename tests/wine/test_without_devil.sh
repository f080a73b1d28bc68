#!/usr/bin/env bash
# korvalin.exe under Wine without a usable DevIL.dll decodes textures with the system's own codecs:
# with none beside it, and with one that answers as DevIL's Unicode build does (refused when
# loaded), File > Open... shows the cube with its crate texture, the very frame the program draws
# through DevIL.dll, and --version names the decoder in use. File > Quit ends with status 0.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

samples="$(samples_folder)"
devil="$E2E_TMP/devil.dll"
unicode_devil="$E2E_TMP/unicode"
cp "$APP_FOLDER/DevIL.dll" "$devil"
bits=()
[[ "$KORVALIN_WINE_BITS" == 32 ]] && bits=(--32)
"$(dirname "$0")/devil_forward/build.sh" "${bits[@]}" --unicode "$unicode_devil" >/dev/null ||
    fail "the Unicode-like test DevIL.dll could not be built"
start_xvfb

for case in present missing unicode; do
    rm -f "$APP_FOLDER/DevIL.dll"
    [[ "$case" == present ]] && cp "$devil" "$APP_FOLDER/DevIL.dll"
    [[ "$case" == unicode ]] && cp "$unicode_devil/DevIL.dll" "$APP_FOLDER/DevIL.dll"
    version="$("$WINE_LOADER" "$APP_FOLDER/korvalin.exe" --version 2>/dev/null | tr -d '\r' |
        sed -n 2p)"
    log "DevIL.dll $case: --version says '$version'"
    if [[ "$case" == present ]]; then
        [[ "$version" == "images: DevIL.dll 1.7."* ]] || fail "--version does not name DevIL.dll"
    else
        [[ "$version" == "images: Windows Imaging Component"* ]] ||
            fail "--version does not name the Windows Imaging Component"
    fi
    folder="$(new_folder "$case")"
    printf '0.1\r\n2\r\n%s' "$(windows_path "$samples")" >"$folder/Korvalin.ini"
    start_wine_app "$folder"
    open_through_dialog "$samples/cube.msh"
    wait_for_wine_mesh "$E2E_TMP/$case.png"
    expect_wine_cube "$E2E_TMP/$case.png"
    if [[ "$case" != present ]]; then
        differing="$(differing_pixels "$E2E_TMP/present.png" "$E2E_TMP/$case.png")"
        [[ "$differing" == 0 ]] ||
            fail "DevIL.dll $case: $differing pixels differ from the frame drawn through DevIL.dll"
    fi
    quit_wine_app
    expect_exit_status 0
    "$WINE_SERVER" -w
done
log "PASS"
