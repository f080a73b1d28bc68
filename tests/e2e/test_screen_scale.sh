#!/usr/bin/env bash
# A scaled (HiDPI) screen: at FLTK_SCALING_FACTOR=2 the window keeps its size to the eye and the
# picture gets every pixel of it. The cube sample shows exactly as korvalin-render draws its
# start-up frame at twice the size, a drag turns the model by the same angle per screen pixel as
# at scale 1, and after Ctrl+plus rescales the window the picture is again the one drawn for the
# client area's new size in pixels. Closing the window still ends the viewer with status 0.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
skip_unless_fltk_1_4 "screen scaling"

samples="$(samples_folder)"
render="$(dirname "$KORVALIN")/../tools/korvalin-render"
[[ -x "$render" ]] || fail "no korvalin-render beside the viewer"

# render_reference OUT WIDTH HEIGHT CLIENT_HEIGHT [OPTION...]: korvalin-render's frame of
# WIDTH x HEIGHT, its lower CLIENT_HEIGHT rows (what a client area that tall shows of it).
render_reference() {
    local out="$1" width="$2" height="$3" client_height="$4"
    shift 4
    "$render" --textures "$samples" --size "${width}x${height}" "$@" "$samples/cube.msh" \
        -o "$E2E_TMP/frame.png" || fail "korvalin-render could not draw the cube"
    convert "$E2E_TMP/frame.png" -crop "${width}x${client_height}+0+$((height - client_height))" \
        +repage "$out"
}

# The client area in pixels on the screen: the GL window inside the main window, as the X
# server has it (the menu bar's height scales with its text).
scaled_client_geometry() {
    xwininfo -id "$window" -children | awk '
        $1 ~ /^0x/ && $NF ~ /^\+[0-9]+\+[0-9]+$/ {
            split($(NF - 1), size, /[x+]/); split($NF, at, "+")
            print at[2], at[3], size[1], size[2]; found = 1; exit }
        END { if (!found) exit 1 }' || fail "no GL window inside the main window"
}

# expect_frame WHAT REFERENCE: the settled client area is REFERENCE, give or take rounding.
expect_frame() {
    local what="$1" reference="$2" differing total
    settled_shot "$E2E_TMP/$what.png" 10 region_shot
    differing="$(differing_pixels "$reference" "$E2E_TMP/$what.png")"
    total=$((cw * ch))
    ((differing * 200 <= total)) ||
        fail "$what: $differing of $total pixels differ from korvalin-render's frame"
    log "$what: the ${cw}x${ch} client area is korvalin-render's frame ($differing pixels differ)"
}

# region_shot FILE: the client area as last measured, in pixels.
region_shot() {
    import -window root -crop "${cw}x${ch}+${cx}+${cy}" +repage "$1" || fail "screenshot failed"
}

E2E_SCREEN=1800x1300x24 start_xvfb
folder="$(new_folder scaled)"
printf '0.1\n2\n%s' "$samples" >"$folder/Korvalin.ini"
FLTK_SCALING_FACTOR=2 start_app "$folder" "$samples/cube.msh"
window="$(wait_for_window Korvalin)"
read -r _ _ ww wh <<<"$(window_geometry "$window")"
[[ "$ww x $wh" == "1280 x 960" ]] || fail "at scale 2 the window is ${ww}x${wh} pixels, not 1280x960"
sleep 1
read -r cx cy cw ch <<<"$(scaled_client_geometry)"
((ch > 880 && ch < 940)) || fail "a ${cw}x${ch} client area under a menu bar at scale 2"

# Start-up: the frame for the 640x480 asked for, in pixels, of which the client area shows the
# lower rows, as at scale 1.
render_reference "$E2E_TMP/start-ref.png" 1280 960 "$ch"
expect_frame start "$E2E_TMP/start-ref.png"

# 100 screen pixels to the right at 0.1 degree a pixel: 10 degrees, as at scale 1.
xdotool mousemove $((cx + 300)) $((cy + 400))
sleep 0.1
xdotool mousedown 3
for ((i = 1; i <= 10; i++)); do
    xdotool mousemove $((cx + 300 + 10 * i)) $((cy + 400))
    sleep 0.05
done
xdotool mouseup 3
render_reference "$E2E_TMP/drag-ref.png" 1280 960 "$ch" --rotation-z 10
expect_frame drag "$E2E_TMP/drag-ref.png"

# Ctrl+plus: FLTK scales up one step; the window grows and the viewport follows the client area.
press_key_over "$window" ctrl+plus
for ((i = 0; i < 50; i++)); do
    read -r _ _ nw _ <<<"$(window_geometry "$window")"
    ((nw > ww)) && break
    sleep 0.1
done
((nw > ww)) || fail "Ctrl+plus did not rescale the window (still $nw pixels wide)"
sleep 1
read -r cx cy cw ch <<<"$(scaled_client_geometry)"
render_reference "$E2E_TMP/rescaled-ref.png" "$cw" "$ch" "$ch" --resized --rotation-z 10
expect_frame rescaled "$E2E_TMP/rescaled-ref.png"

send_close_request "$window"
wait_for_app_exit 10
expect_exit_status 0
