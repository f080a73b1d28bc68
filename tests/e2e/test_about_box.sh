#!/usr/bin/env bash
# Help > About Korvalin shows a modal box named "About" drawn on screen; Return closes it and
# the viewer carries on, until File > Quit ends it with status 0.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# While the box is up, a click on the main window's menu bar opens no menu.
check_about_modal() {
    local window="$1" geometry x y w h i
    geometry="$(window_geometry "$window")"
    read -r x y w h <<<"$geometry"
    xdotool mousemove $((x + $(menu_title_x File))) $((y + MENU_BAR_HEIGHT / 2)) click 1
    for ((i = 0; i < 10; i++)); do
        [[ -z "$(find_dropdown $((y + MENU_BAR_HEIGHT)))" ]] ||
            fail "the File menu opened while the modal About box was up"
        sleep 0.1
    done
}

start_xvfb
folder="$(new_folder about)"
start_app "$folder"
window="$(wait_for_window Korvalin)"

choose_menu_item "$window" Help 0 # About Korvalin
about="$(wait_for_window About)"
expect_box_drawn "$about" About
check_about_modal "$window"
[[ -n "$(find_window About)" ]] || fail "the About box closed on a click outside it"

press_key_over "$about" Return
wait_for_window_gone About
app_is_running || fail "korvalin ended when the About box was closed"
[[ -n "$(find_window Korvalin)" ]] || fail "the main window is gone after the About box closed"

window="$(wait_for_window Korvalin)"
choose_menu_item "$window" File 2 # Quit
wait_for_app_exit 10
expect_exit_status 0
expect_file_bytes "$folder/Korvalin.ini" '0.1\n2\n'
log "PASS"
