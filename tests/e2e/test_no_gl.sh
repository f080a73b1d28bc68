#!/usr/bin/env bash
# With no GL visual to be had (an X server without GLX) the viewer shows a modal "ERROR" box
# (icon, text, OK button) instead of its window; after OK (Return) it exits with
# status 1 and writes no settings.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# The box is drawn: grey background, an icon and text on it.
check_error_drawn() {
    local box="$1" shot="$E2E_TMP/error.png" geometry x y w h i colours
    geometry="$(window_geometry "$box")"
    read -r x y w h <<<"$geometry"
    ((w > 100 && h > 60)) || fail "the ERROR box is only ${w}x${h}"
    for ((i = 0; i < 40; i++)); do
        screenshot "$shot"
        is_grey "$(pixel "$shot" $((x + 4)) $((y + h - 4)))" && break
        sleep 0.25
    done
    expect_pixel "$shot" $((x + 4)) $((y + 4)) grey "ERROR box, top left"
    expect_pixel "$shot" $((x + w - 4)) $((y + h - 4)) grey "ERROR box, bottom right"
    colours="$(convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -unique-colors \
        -format '%w' info:)"
    ((colours > 2)) || fail "the ERROR box shows only $colours colour(s): nothing drawn on it"
}

start_xvfb -extension GLX
xdpyinfo | grep -q '^ *GLX$' && fail "Xvfb still offers GLX; the test needs a server without it"
folder="$(new_folder no-gl)"
start_app "$folder"

box="$(wait_for_window ERROR)"
check_error_drawn "$box"
[[ -z "$(find_window Korvalin)" ]] || fail "the main window is shown beside the ERROR box"
app_is_running || fail "korvalin ended without waiting for OK"

press_key_over "$box" Return
wait_for_app_exit 10
expect_exit_status 1
[[ ! -e "$folder/Korvalin.ini" ]] || fail "Korvalin.ini was written although the window never opened"
expect_folder_holds "$folder"
log "PASS"
