#!/usr/bin/env bash
# File > Open...: the absolute path of samples/cube.msh typed into the file chooser, with the
# textures folder set by Korvalin.ini's third line, shows the crate at once in the client area
# (brown wood, the red corner mark, centred), and File > Quit still ends with status 0 and the
# settings written back unchanged.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

samples="$(samples_folder)"
[[ -f "$samples/cube.msh" && -f "$samples/crate.png" ]] || fail "no cube sample in $samples"

# The viewer draws its start-up frame for the 640x480 the window was asked for, on a client area
# 25 px shorter: the frame's lower 455 rows show. So the cube, centred in the frame, shows with
# its centre that much above the client area's centre.
readonly FRAME_SHIFT=$MENU_BAR_HEIGHT

# The headless renderer built beside the viewer draws the same start-up frame; when it is there,
# the crate must cover about the same box, with about as much wood, as in its picture.
compare_with_headless_render() {
    local shot="$1" render reference
    render="$(dirname "$KORVALIN")/../tools/korvalin-render"
    if [[ ! -x "$render" ]]; then
        log "no korvalin-render beside the viewer: the comparison with its frame is skipped"
        return 0
    fi
    reference="$E2E_TMP/reference.png"
    "$render" --textures "$samples" --size "${WINDOW_WIDTH}x${WINDOW_HEIGHT}" \
        "$samples/cube.msh" -o "$E2E_TMP/frame.png" || fail "korvalin-render could not draw the cube"
    convert "$E2E_TMP/frame.png" -crop "${WINDOW_WIDTH}x$((WINDOW_HEIGHT - FRAME_SHIFT))+0+$FRAME_SHIFT" \
        +repage "$reference"
    local rb rx0 ry0 rx1 ry1 sb sx0 sy0 sx1 sy1 d
    read -r _ rb _ rx0 ry0 rx1 ry1 _ <<<"$(image_stats "$reference")"
    read -r _ sb _ sx0 sy0 sx1 sy1 _ <<<"$(image_stats "$shot")"
    for d in $((sx0 - rx0)) $((sy0 - ry0)) $((sx1 - rx1)) $((sy1 - ry1)); do
        ((d >= -3 && d <= 3)) || fail "the crate covers $sx0,$sy0-$sx1,$sy1 in the viewer," \
            "$rx0,$ry0-$rx1,$ry1 in korvalin-render's frame"
    done
    ((sb * 10 >= rb * 9 && sb * 10 <= rb * 11)) ||
        fail "$sb brown pixels in the viewer, $rb in korvalin-render's frame"
    log "crate box $sx0,$sy0-$sx1,$sy1 and $sb brown pixels; korvalin-render's: $rx0,$ry0-$rx1,$ry1," \
        "$rb; $(differing_pixels "$shot" "$reference") pixels differ"
}

start_xvfb
start_on_samples open
read -r cx cy cw ch <<<"$(client_area_geometry "$window")"

client_shot "$window" "$E2E_TMP/before.png"
read -r lit _ <<<"$(image_stats "$E2E_TMP/before.png")"
((lit == 0)) || fail "the client area shows $lit lit pixels before any mesh was opened"

open_mesh "$window" "$samples/cube.msh"
wait_for_mesh_drawn "$window" "$E2E_TMP/cube.png"
read -r lit brown red x0 y0 x1 y1 _ <<<"$(image_stats "$E2E_TMP/cube.png")"
log "cube drawn: $lit lit pixels, $brown brown, $red red, box $x0,$y0-$x1,$y1"
# Seen face on from the start-up distance the crate is a square of about 76 px.
((brown >= 2000)) || fail "only $brown brown pixels: the crate texture is not on the cube"
((red > 0)) || fail "the red mark of the texture's corner is not shown"
((x1 - x0 >= 40 && x1 - x0 <= 150 && y1 - y0 >= 40 && y1 - y0 <= 150)) ||
    fail "the cube covers $x0,$y0-$x1,$y1, not a square of 40 to 150 px"
mid_x=$(((x0 + x1) / 2))
mid_y=$(((y0 + y1) / 2))
want_x=$((cw / 2))
want_y=$((WINDOW_HEIGHT / 2 - FRAME_SHIFT))
((mid_x >= want_x - 5 && mid_x <= want_x + 5 && mid_y >= want_y - 5 && mid_y <= want_y + 5)) ||
    fail "the cube's centre is at ($mid_x,$mid_y) in the client area, expected ($want_x,$want_y)"
compare_with_headless_render "$E2E_TMP/cube.png"

choose_menu_item "$window" File 2 # Quit
wait_for_app_exit 10
expect_exit_status 0
expect_file_bytes "$folder/Korvalin.ini" "0.1\n2\n$samples"
expect_folder_holds "$folder" Korvalin.ini
log "PASS"
