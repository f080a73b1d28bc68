#!/usr/bin/env bash
# The viewer opens its window (grey menu bar over a black GL area), and File > Quit ends it with
# status 0 after writing the default settings to Korvalin.ini in the folder it started in.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

check_window_size() {
    local geometry x y width height
    geometry="$(window_geometry "$1")"
    read -r x y width height <<<"$geometry"
    [[ "$width" == "$WINDOW_WIDTH" && "$height" == "$WINDOW_HEIGHT" ]] ||
        fail "window is ${width}x${height}, expected ${WINDOW_WIDTH}x${WINDOW_HEIGHT}" \
            "(a ${MENU_BAR_HEIGHT} px menu bar over a 640x455 client area)"
}

# Grey all along the menu bar (past the titles), black across the client area, white (the
# bare root) just outside the window.
check_first_frame() {
    local window="$1" shot="$E2E_TMP/started.png" geometry x y w h top
    geometry="$(window_geometry "$window")"
    read -r x y w h <<<"$geometry"
    top=$((y + MENU_BAR_HEIGHT))
    # The GL area is painted some time after the window is mapped.
    wait_for_black_pixel $((x + w / 2)) $((top + (h - MENU_BAR_HEIGHT) / 2))
    screenshot "$shot"
    expect_pixel "$shot" $((x + 200)) $((y + 5)) grey "menu bar"
    expect_pixel "$shot" $((x + 400)) $((y + 12)) grey "menu bar"
    expect_pixel "$shot" $((x + w - 10)) $((y + 20)) grey "menu bar"
    expect_pixel "$shot" $((x + 2)) $((top + 2)) black "client area, top left"
    expect_pixel "$shot" $((x + w - 3)) $((top + 2)) black "client area, top right"
    expect_pixel "$shot" $((x + w / 2)) $((top + 227)) black "client area, centre"
    expect_pixel "$shot" $((x + 2)) $((y + h - 3)) black "client area, bottom left"
    expect_pixel "$shot" $((x + w - 3)) $((y + h - 3)) black "client area, bottom right"
    expect_pixel "$shot" $((x + w + 5)) $((y + h / 2)) white "screen right of the window"
    expect_pixel "$shot" $((x + w / 2)) $((y + h + 5)) white "screen below the window"
}

start_xvfb
folder="$(new_folder start)"
start_app "$folder"
window="$(wait_for_window Korvalin)"
check_window_size "$window"
check_first_frame "$window"
[[ ! -e "$folder/Korvalin.ini" ]] || fail "Korvalin.ini was written before Quit"

choose_menu_item "$window" File 2 # Quit
wait_for_app_exit 10
expect_exit_status 0
expect_file_bytes "$folder/Korvalin.ini" '0.1\n2\n'
expect_folder_holds "$folder" Korvalin.ini
log "PASS"
