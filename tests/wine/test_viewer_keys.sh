#!/usr/bin/env bash
# The viewer's own keys on korvalin.exe under Wine, started on the torus in a folder of the
# samples where the cube is named in Cyrillic:
# - L shades it (many more colours than flat), and L again gives back the start picture;
# - F12 saves exactly the window's picture as Korvalin\torus-1.png in the Pictures folder;
# - Page Down shows the folder's next mesh in name order: the cube, which UTF-8 sorts last (had
#   its name been lost, the hull would follow, from the top);
# - F11 makes the window the whole screen, without menu bar, and gives it back as it was;
# - with --watch, each save of the file (written beside it, renamed over it) is drawn.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

# The prefix's Pictures is a link into the home folder, which must be the run's own
# (tests/wine/run.sh): the screenshot goes there.
user_folder="$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 ! -name Public | head -n 1)"
pictures="$(readlink -f "$user_folder/Pictures")"
[[ "$pictures" == "$(dirname "$WINEPREFIX")"/* ]] ||
    fail "the prefix's Pictures folder is $pictures, outside the run's folder: run tests/wine/run.sh"
keys_cleanup() {
    local status=$?
    set +e
    rm -rf -- "$pictures/Korvalin"
    (exit "$status")
    wine_cleanup
}
trap keys_cleanup EXIT

# key NAME: pressed with the pointer resting on the client area's corner (the keys go where the
# pointer is).
key() {
    local x y w h
    read -r x y w h <<<"$(window_geometry "$window")"
    xdotool mousemove $((x + 4)) $((y + MENU_HEIGHT + 4)) key "$1"
}

# changed_shot WHAT REFERENCE: waits until the client area differs from REFERENCE and saves it,
# settled, as WHAT.png.
changed_shot() {
    local i shot="$E2E_TMP/poll.png"
    for ((i = 0; i < 40; i++)); do
        wine_client_shot "$shot"
        if [[ "$(differing_pixels "$2" "$shot")" != 0 ]]; then
            settled_shot "$E2E_TMP/$1.png" 10 wine_client_shot
            return 0
        fi
        sleep 0.25
    done
    fail "$1: the picture did not change from $(basename "$2")"
}

# The status line goes at the next input: Q is a key without an action.
clear_status() {
    key q
    settled_shot "$E2E_TMP/$1.png" 10 wine_client_shot
}

samples="$(samples_folder)"
models="$(new_folder models)"
cp -- "$samples"/* "$models/"
mv -- "$models/cube.msh" "$models/куб.msh"
start_xvfb
folder="$(new_folder keys)"
printf '0.1\r\n2\r\n%s' "$(windows_path "$samples")" >"$folder/Korvalin.ini"
start_wine_app "$folder" "$(windows_path "$models/torus.msh")"
wait_for_wine_mesh "$E2E_TMP/start.png"
read -r cw ch <<<"$(identify -format '%w %h' "$E2E_TMP/start.png")"

key l
changed_shot shaded "$E2E_TMP/start.png"
flat="$(convert "$E2E_TMP/start.png" -format %k info:)"
shaded="$(convert "$E2E_TMP/shaded.png" -crop "${cw}x$((ch - 40))+0+0" -format %k info:)"
log "colours: $flat unshaded, $shaded shaded (above the status line)"
((shaded >= flat + 50)) || fail "L: $shaded colours against $flat unshaded: not shaded"

key F12
shot="$pictures/Korvalin/torus-1.png"
for ((i = 0; i < 50; i++)); do
    [[ -f "$shot" ]] && break
    sleep 0.1
done
[[ -f "$shot" ]] || fail "F12 saved no Korvalin/torus-1.png in the Pictures folder ($pictures)"
# Once the key after it has been handled, the file is whole.
clear_status on-screen
differing="$(differing_pixels "$shot" "$E2E_TMP/on-screen.png")"
((differing == 0)) || fail "F12: the saved picture differs from the window in $differing pixels"
log "F12 saved the window's picture as $shot"

key l
clear_status flat-again
differing="$(differing_pixels "$E2E_TMP/start.png" "$E2E_TMP/flat-again.png")"
((differing == 0)) || fail "L again: $differing pixels differ from the start picture"

key Next
changed_shot next "$E2E_TMP/flat-again.png"
expect_wine_cube "$E2E_TMP/next.png"
log "Page Down showed куб.msh, the folder's next mesh after torus.msh"

before="$(window_geometry "$window")"
key F11
for ((i = 0; i < 40; i++)); do
    [[ "$(window_geometry "$window")" == "0 0 $(xdotool getdisplaygeometry)" ]] && break
    sleep 0.25
done
[[ "$(window_geometry "$window")" == "0 0 $(xdotool getdisplaygeometry)" ]] ||
    fail "F11: the window is at $(window_geometry "$window"), not the whole screen"
screenshot "$E2E_TMP/full.png"
[[ "$(pixel "$E2E_TMP/full.png" 40 5)" == 0,0,0 ]] || fail "F11: a menu bar is still shown"
key F11
for ((i = 0; i < 40; i++)); do
    [[ "$(window_geometry "$window")" == "$before" ]] && break
    sleep 0.25
done
[[ "$(window_geometry "$window")" == "$before" ]] ||
    fail "F11 again: the window is at $(window_geometry "$window"), not $before"
[[ "$(menu_bar_height)" == "$MENU_HEIGHT" ]] || fail "F11 again: the menu bar is not back"
log "F11 filled the screen and gave the window back at $before"

quit_wine_app
expect_exit_status 0

# --watch: a file written beside the mesh and renamed over it, as editors save, four times.
start_wine_app "$folder" --watch "$(windows_path "$models/torus.msh")"
wait_for_wine_mesh "$E2E_TMP/watch-0.png"
for round in 1 2 3 4; do
    mesh=hull.msh
    ((round % 2 == 0)) && mesh=torus.msh
    cp -- "$samples/$mesh" "$models/saving.tmp"
    mv -- "$models/saving.tmp" "$models/torus.msh"
    changed_shot "watch-$round" "$E2E_TMP/watch-$((round - 1)).png"
done
differing="$(differing_pixels "$E2E_TMP/watch-0.png" "$E2E_TMP/watch-4.png")"
((differing == 0)) || fail "--watch: the torus again differs from the start in $differing pixels"
log "--watch drew the file again after each of four saves"
quit_wine_app
expect_exit_status 0
log "PASS"
