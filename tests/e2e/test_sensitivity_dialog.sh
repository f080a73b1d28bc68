#!/usr/bin/env bash
# Options > Sensitivity: a modal dialog named "Sensitivity", centred on the screen, with a mouse
# and a zoom slider (positions 1 to 50; the mouse sensitivity is position/100, the zoom
# sensitivity position/10), OK, Annuler and Default Settings.
# - Sliders moved with the arrow keys, then OK: File > Quit writes the new values; the dialog
#   opened again shows the sliders where they were left. Escape leaves the dialog open.
# - Default Settings moves the sliders to 10 and 20 and sets 0.1 and 2 at once: Annuler after it
#   keeps them, whatever the file held before.
# - Annuler after moving a slider keeps the old values; Return acts as OK.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# The dialog's layout in pixels, from its client origin: sliders (x y width height) and buttons.
# Its template is 186x95 dialog units; at FLTK's default font size (FL_NORMAL_SIZE 14) the
# dialog font's base units are 9 x 17 pixels (a horizontal unit 9/4 px, a vertical one 17/8 px).
readonly DIALOG_SIZE="419 202"
readonly MOUSE_SLIDER="25 49 232 23"
readonly ZOOM_SLIDER="25 125 232 23"
readonly OK_BUTTON="290 15 113 30"
readonly CANCEL_BUTTON="290 51 113 30"
readonly DEFAULTS_BUTTON="286 151 124 30"

dialog=""

open_dialog() {
    choose_menu_item "$window" Options 0 # Sensitivity
    dialog="$(wait_for_window Sensitivity)"
    local geometry x y w h screen_w screen_h i dw dh
    geometry="$(window_geometry "$dialog")"
    read -r x y w h <<<"$geometry"
    read -r dw dh <<<"$DIALOG_SIZE"
    ((w >= dw - 4 && w <= dw + 4 && h >= dh - 4 && h <= dh + 4)) ||
        fail "the Sensitivity dialog is ${w}x${h}, expected about ${dw}x${dh}"
    read -r screen_w screen_h <<<"$(xdpyinfo | awk '/dimensions:/ { sub("x", " ", $2); print $2 }')"
    ((x >= (screen_w - w) / 2 - 2 && x <= (screen_w - w) / 2 + 2 &&
        y >= (screen_h - h) / 2 - 2 && y <= (screen_h - h) / 2 + 2)) ||
        fail "the Sensitivity dialog is at $x,$y, not centred on the ${screen_w}x${screen_h} screen"
    # Drawn once mapped: wait for its grey background.
    for ((i = 0; i < 40; i++)); do
        screenshot "$E2E_TMP/dialog-poll.png"
        is_grey "$(pixel "$E2E_TMP/dialog-poll.png" $((x + 4)) $((y + h - 4)))" && break
        sleep 0.25
    done
    expect_pixel "$E2E_TMP/dialog-poll.png" $((x + 4)) $((y + h - 4)) grey "Sensitivity dialog"
    # The keyboard follows the pointer: rest it on an empty spot of the dialog.
    xdotool mousemove $((x + 8)) $((y + h - 8))
}

# keys KEY COUNT: presses KEY COUNT times into the dialog.
keys() {
    local i
    for ((i = 0; i < $2; i++)); do
        xdotool key "$1"
    done
}

click_button() {
    local bx by bw bh geometry x y
    read -r bx by bw bh <<<"$1"
    geometry="$(window_geometry "$dialog")"
    read -r x y _ <<<"$geometry"
    xdotool mousemove $((x + bx + bw / 2)) $((y + by + bh / 2)) click 1
    # Back to the empty spot, so the keyboard stays with the dialog while it is up.
    read -r x y w h <<<"$geometry"
    xdotool mousemove $((x + 8)) $((y + h - 8))
}

close_with() {
    click_button "$1"
    wait_for_window_gone Sensitivity 5
    app_is_running || fail "korvalin ended when the Sensitivity dialog closed"
}

# slider_shot NAME: pictures of both sliders as they are now, NAME-mouse.png and NAME-zoom.png.
# The focus is put on the Default Settings button first (Tab from the zoom slider, or after
# a click), so no slider shows the focus frame.
slider_shot() {
    local name="$1" geometry x y w h sx sy sw sh
    sleep 0.3
    geometry="$(window_geometry "$dialog")"
    read -r x y w h <<<"$geometry"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$E2E_TMP/$name.png" ||
        fail "screenshot of the dialog failed"
    # Two rows off the top and bottom of each slider, so that nothing but the slider shows
    # (a group box's caption ends just above it).
    read -r sx sy sw sh <<<"$MOUSE_SLIDER"
    convert "$E2E_TMP/$name.png" -crop "${sw}x$((sh - 4))+${sx}+$((sy + 2))" +repage \
        "$E2E_TMP/$name-mouse.png"
    read -r sx sy sw sh <<<"$ZOOM_SLIDER"
    convert "$E2E_TMP/$name.png" -crop "${sw}x$((sh - 4))+${sx}+$((sy + 2))" +repage \
        "$E2E_TMP/$name-zoom.png"
}

# sliders_as NAME OTHER WHAT: both sliders show as in the pictures taken as OTHER.
sliders_as() {
    local slider
    for slider in mouse zoom; do
        [[ "$(differing_pixels "$E2E_TMP/$1-$slider.png" "$E2E_TMP/$2-$slider.png")" == 0 ]] ||
            fail "$3: the $slider slider does not show as in $2.png"
    done
}

sliders_moved_from() {
    local slider
    for slider in mouse zoom; do
        [[ "$(differing_pixels "$E2E_TMP/$1-$slider.png" "$E2E_TMP/$2-$slider.png")" != 0 ]] ||
            fail "$3: the $slider slider did not move"
    done
}

start_in() {
    local folder="$1"
    start_app "$folder"
    window="$(wait_for_window Korvalin)"
}

start_xvfb

# Arrow keys and OK. The sliders open at the defaults' positions, 10 and 20; the focus starts
# on OK and Tab walks OK, Annuler, the mouse slider, the zoom slider, Default Settings.
folder="$(new_folder moved)"
start_in "$folder"
open_dialog
slider_shot defaults
keys Tab 2
keys Right 19 # mouse slider 10 -> 29: 0.29
keys Tab 1
keys Right 27 # zoom slider 20 -> 47: 4.7
keys Tab 1    # to Default Settings
slider_shot moved
sliders_moved_from moved defaults "arrow keys on the focused sliders"
xdotool key Escape
sleep 1
[[ -n "$(find_window Sensitivity)" ]] || fail "Escape closed the Sensitivity dialog"
close_with "$OK_BUTTON"
open_dialog
slider_shot reopened
sliders_as reopened moved "the dialog opened again after OK"
close_with "$CANCEL_BUTTON"
quit_and_expect_settings "$folder" '0.29\n4.7\n'
log "sliders moved, OK: ok"

# Default Settings, then Annuler.
folder="$(new_folder defaults)"
printf '0.35\n3.5\n/opt/textures' >"$folder/Korvalin.ini"
start_in "$folder"
open_dialog
slider_shot others
sliders_moved_from others defaults "the dialog opened with 0.35 and 3.5"
click_button "$DEFAULTS_BUTTON"
slider_shot after-defaults
sliders_as after-defaults defaults "Default Settings"
[[ -n "$(find_window Sensitivity)" ]] || fail "Default Settings closed the dialog"
close_with "$CANCEL_BUTTON"
quit_and_expect_settings "$folder" '0.1\n2\n/opt/textures'
log "Default Settings, Annuler: ok"

# Annuler after moving a slider keeps the values; Return takes them.
folder="$(new_folder return)"
printf '0.35\n3.5\n' >"$folder/Korvalin.ini"
start_in "$folder"
open_dialog
slider_shot first
keys Tab 2
keys Right 3
close_with "$CANCEL_BUTTON"
open_dialog
slider_shot after-cancel
sliders_as after-cancel first "the dialog opened again after Annuler"
keys Tab 2
keys Left 5 # mouse slider 35 -> 30: 0.3
keys Tab 1
keys Left 10 # zoom slider 35 -> 25: 2.5
xdotool key Return
wait_for_window_gone Sensitivity 5
quit_and_expect_settings "$folder" '0.3\n2.5\n'
log "PASS"
