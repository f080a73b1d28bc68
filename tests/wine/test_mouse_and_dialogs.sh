#!/usr/bin/env bash
# korvalin.exe under Wine, started with the cube named on its command line:
# - a right-button drag turns the model and a wheel notch moves the eye (the picture changes);
# - Options > Sensitivity: the mouse slider moved to its end (End) and OK;
# - File > Change textures directory through the system's folder browser: Documents, OK;
# - File > Quit: status 0, and the settings file holds 0.5, the zoom sensitivity and the
#   folder chosen, with Windows line ends.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

# click_in WINDOW X Y: a click at a point of another window (a dialog), in its coordinates.
click_in() {
    local x y w h
    read -r x y w h <<<"$(window_geometry "$1")"
    xdotool mousemove $((x + $2)) $((y + $3)) click 1
}

expect_changed() {
    local before="$1" after="$2" what="$3" changed
    changed="$(differing_pixels "$before" "$after")"
    ((changed > 200)) || fail "$what changed only $changed pixels"
    log "$what changed $changed pixels"
}

samples="$(samples_folder)"
start_xvfb
folder="$(new_folder mouse)"
printf '0.1\r\n2\r\n%s' "$(windows_path "$samples")" >"$folder/Korvalin.ini"
start_wine_app "$folder" "$(windows_path "$samples/cube.msh")"
wait_for_wine_mesh "$E2E_TMP/start.png"

read -r x y w h <<<"$(window_geometry "$window")"
xdotool mousemove $((x + w / 2)) $((y + h / 2)) mousedown 3
for ((step = 1; step <= 8; step++)); do
    xdotool mousemove $((x + w / 2 + 10 * step)) $((y + h / 2 + 4 * step))
    sleep 0.05
done
xdotool mouseup 3
wait_for_wine_mesh "$E2E_TMP/turned.png"
expect_changed "$E2E_TMP/start.png" "$E2E_TMP/turned.png" "the right-button drag"
xdotool click 4
sleep 0.5
wait_for_wine_mesh "$E2E_TMP/nearer.png"
expect_changed "$E2E_TMP/turned.png" "$E2E_TMP/nearer.png" "the wheel notch"

wine_menu $OPTIONS_MENU $SENSITIVITY_ITEM
dialog="$(wait_for_window Sensitivity 20)"
sleep 0.5
click_in "$dialog" 57 45 # the mouse slider's thumb
xdotool key End
press_return_in "$dialog" # OK, the default button
wait_for_window_gone Sensitivity 10

wine_menu $FILE_MENU $TEXTURES_ITEM
browser="$(wait_for_window "Browse for Folder" 20)"
sleep 0.5
click_in "$browser" 98 106 # Documents
sleep 0.3
click_in "$browser" 183 297 # OK
wait_for_window_gone "Browse for Folder" 10

quit_wine_app
expect_exit_status 0
saved="$(od -An -c "$folder/Korvalin.ini" | tr -d ' \n')"
# Wine's folder browser gives the folder with a closing backslash; Windows gives it without.
[[ "$saved" == '0.5\r\n2\r\nC:\users\'*'\Documents' || "$saved" == '0.5\r\n2\r\nC:\users\'*'\Documents\' ]] ||
    fail "Korvalin.ini holds '$saved', not 0.5, 2 and the Documents folder with CR LF"
log "PASS"
