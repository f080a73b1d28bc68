#!/usr/bin/env bash
# korvalin.exe under Wine: the "Korvalin" window with its menu bar and a black client area;
# File > Open... through the system's file dialog shows the textured cube (textures folder from
# Korvalin.ini's third line) as korvalin-render draws the same frame; File > Quit ends with
# status 0 and writes the settings file back with Windows line ends.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

samples="$(samples_folder)"
start_xvfb
folder="$(new_folder open)"
printf '0.1\r\n2\r\n%s' "$(windows_path "$samples")" >"$folder/Korvalin.ini"
start_wine_app "$folder"
menu=$MENU_HEIGHT
wine_client_shot "$E2E_TMP/empty.png"
read -r lit _ <<<"$(image_stats "$E2E_TMP/empty.png")"
((lit == 0)) || fail "the client area shows $lit lit pixels before any mesh was opened"

open_through_dialog "$samples/cube.msh"
wait_for_wine_mesh "$E2E_TMP/cube.png"
read -r lit brown red x0 y0 x1 y1 _ <<<"$(image_stats "$E2E_TMP/cube.png")"
log "cube drawn: $lit lit, $brown brown, $red red, box $x0,$y0-$x1,$y1 (menu bar $menu px)"
((red > 0)) || fail "the red corner mark of the texture is not shown"

# The start-up frame is drawn for the 640x480 asked for, on a client area a menu bar shorter:
# its lower rows show, as korvalin-render's frame cut by the menu bar's height.
"$KORVALIN_RENDER" --textures "$samples" --size 640x480 "$samples/cube.msh" -o "$E2E_TMP/frame.png" ||
    fail "korvalin-render could not draw the cube"
convert "$E2E_TMP/frame.png" -crop "640x$((480 - menu))+0+$menu" +repage "$E2E_TMP/reference.png"
read -r _ rb _ rx0 ry0 rx1 ry1 _ <<<"$(image_stats "$E2E_TMP/reference.png")"
for d in $((x0 - rx0)) $((y0 - ry0)) $((x1 - rx1)) $((y1 - ry1)); do
    ((d >= -3 && d <= 3)) || fail "the cube covers $x0,$y0-$x1,$y1; in korvalin-render's frame $rx0,$ry0-$rx1,$ry1"
done
((brown * 10 >= rb * 9 && brown * 10 <= rb * 11)) ||
    fail "$brown crate pixels under Wine, $rb in korvalin-render's frame"

quit_wine_app
expect_exit_status 0
expect_file_bytes "$folder/Korvalin.ini" "0.1\r\n2\r\n$(windows_path "$samples" | sed 's/\\/\\\\/g')"
log "PASS"
