#!/usr/bin/env bash
# File > Open... on a file that is not a mesh (its first line is not "MSHX1") shows a modal box
# named "Error" (text and an OK button on grey); after OK (Return) the viewer exits with
# status 1 and leaves a Korvalin.ini that was there before byte for byte as it was (here one
# with other values and CR LF line ends, which a Quit would rewrite).
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

readonly SETTINGS='0.35\r\n3.5\r\n/opt/textures\r\n'

# The box is drawn: grey background, text and a button on it.
check_error_drawn() {
    local box="$1" shot="$E2E_TMP/error.png" geometry x y w h i colours
    geometry="$(window_geometry "$box")"
    read -r x y w h <<<"$geometry"
    ((w > 100 && h > 60)) || fail "the Error box is only ${w}x${h}"
    for ((i = 0; i < 40; i++)); do
        screenshot "$shot"
        is_grey "$(pixel "$shot" $((x + 4)) $((y + h - 4)))" && break
        sleep 0.25
    done
    expect_pixel "$shot" $((x + 4)) $((y + 4)) grey "Error box, top left"
    expect_pixel "$shot" $((x + w - 4)) $((y + h - 4)) grey "Error box, bottom right"
    colours="$(convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -unique-colors \
        -format '%w' info:)"
    ((colours > 2)) || fail "the Error box shows only $colours colour(s): nothing drawn on it"
}

start_xvfb
folder="$(new_folder failure)"
# shellcheck disable=SC2059 # the format is the file's content, escapes and all
printf "$SETTINGS" >"$folder/Korvalin.ini"
printf 'hello\n' >"$folder/x.msh"
start_app "$folder"
window="$(wait_for_window Korvalin)"
wait_for_black_client "$window"

open_mesh "$window" "$folder/x.msh"
box="$(wait_for_window Error 10)"
check_error_drawn "$box"
sleep 0.5
app_is_running || fail "korvalin ended without waiting for OK on the Error box"
expect_file_bytes "$folder/Korvalin.ini" "$SETTINGS"

press_key_over "$box" Return
wait_for_app_exit 10
expect_exit_status 1
[[ -z "$(find_window Korvalin)" ]] || fail "the main window is still shown after the failed load"
expect_file_bytes "$folder/Korvalin.ini" "$SETTINGS"
expect_folder_holds "$folder" Korvalin.ini x.msh
log "PASS"
