#!/usr/bin/env bash
# The mouse on the cube sample: a right-button drag turns the model and each wheel notch moves the
# eye. Dragging right spins it about the screen's vertical axis (its front face's corner mark
# follows the pointer to the right), dragging down tilts it about the horizontal axis (the mark
# goes down), and dragging back by as much brings the first picture back. Wheel up (button 4)
# twice makes the cube bigger, wheel down (button 5) smaller. A drag that leaves the client area
# ends there: back in it with the button still held, moving changes nothing, until a fresh press.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

samples="$(samples_folder)"
[[ -f "$samples/cube.msh" ]] || fail "no cube sample in $samples"

# Client area origin on the screen, set once the window is up.
CX=0
CY=0
# Where drags start, in client coordinates: left of the centre, on the cube's row.
readonly DRAG_X=220
readonly DRAG_Y=215

# right_drag FROM_X FROM_Y DX DY STEPS: a right-button drag in client coordinates, in STEPS moves.
right_drag() {
    local x="$1" y="$2" dx="$3" dy="$4" steps="$5" i
    xdotool mousemove $((CX + x)) $((CY + y))
    sleep 0.1
    xdotool mousedown 3
    for ((i = 1; i <= steps; i++)); do
        xdotool mousemove $((CX + x + dx * i / steps)) $((CY + y + dy * i / steps))
        sleep 0.03
    done
    xdotool mouseup 3
}

# wheel BUTTON COUNT: wheel notches with the pointer over the client area.
wheel() {
    xdotool mousemove $((CX + DRAG_X)) $((CY + DRAG_Y))
    xdotool click --repeat "$2" --delay 100 "$1"
}

# expect_changed REFERENCE FILE WHAT: the picture changes from REFERENCE; saved, settled, to FILE.
expect_changed() {
    wait_for_client_change "$window" "$1" "$2" 10 ||
        fail "$3: the picture did not change (still the one in $(basename "$1"))"
}

# expect_same_as REFERENCE FILE WHAT: the settled picture is REFERENCE's, give or take a few pixels
# of rounding in the sum of the turns.
expect_same_as() {
    local differing
    settled_client_shot "$window" "$2"
    differing="$(differing_pixels "$1" "$2")"
    ((differing <= 20)) || fail "$3: $differing pixels differ from $(basename "$1")"
}

stats_of() {
    image_stats "$1"
}

start_xvfb
start_on_samples mouse
read -r CX CY cw ch <<<"$(client_area_geometry "$window")"
open_mesh "$window" "$samples/cube.msh"
wait_for_mesh_drawn "$window" "$E2E_TMP/rest.png"
read -r rest_lit _ _ _ _ _ _ rest_mark_x rest_mark_y <<<"$(stats_of "$E2E_TMP/rest.png")"
((rest_mark_x >= 0)) || fail "the texture's red corner mark is not on the cube"
log "at rest: $rest_lit lit pixels, the corner mark at ($rest_mark_x,$rest_mark_y)"

# 200 px right: 20 degrees about the vertical axis at the default 0.1 degree a pixel.
right_drag $DRAG_X $DRAG_Y 200 0 20
expect_changed "$E2E_TMP/rest.png" "$E2E_TMP/right.png" "right-button drag to the right"
read -r _ _ _ _ _ _ _ mark_x mark_y <<<"$(stats_of "$E2E_TMP/right.png")"
log "dragged right: the corner mark at ($mark_x,$mark_y)"
((mark_x >= rest_mark_x + 6)) ||
    fail "dragged right, the front face's corner mark went from x $rest_mark_x to $mark_x," \
        "not to the right"
right_drag $((DRAG_X + 200)) $DRAG_Y -200 0 20
expect_changed "$E2E_TMP/right.png" "$E2E_TMP/back-left.png" "right-button drag back to the left"
expect_same_as "$E2E_TMP/rest.png" "$E2E_TMP/back-left.png" "dragged right and back left"

# 200 px down: 20 degrees about the horizontal axis.
right_drag $DRAG_X 120 0 200 20
expect_changed "$E2E_TMP/rest.png" "$E2E_TMP/down.png" "right-button drag downwards"
read -r _ _ _ _ _ _ _ mark_x mark_y <<<"$(stats_of "$E2E_TMP/down.png")"
log "dragged down: the corner mark at ($mark_x,$mark_y)"
((mark_y >= rest_mark_y + 6)) ||
    fail "dragged down, the front face's corner mark went from y $rest_mark_y to $mark_y, not down"
right_drag $DRAG_X 320 0 -200 20
expect_changed "$E2E_TMP/down.png" "$E2E_TMP/back-up.png" "right-button drag back up"
expect_same_as "$E2E_TMP/rest.png" "$E2E_TMP/back-up.png" "dragged down and back up"

# The wheel: two notches up (nearer), two down (back), two more down (farther), two up (back).
wheel 4 2
expect_changed "$E2E_TMP/rest.png" "$E2E_TMP/near.png" "two notches of wheel up"
read -r near_lit _ <<<"$(stats_of "$E2E_TMP/near.png")"
log "wheel up twice: $near_lit lit pixels (at rest $rest_lit)"
((near_lit > rest_lit * 3 / 2)) ||
    fail "wheel up twice: the cube covers $near_lit pixels, at rest $rest_lit: not bigger"
wheel 5 2
expect_changed "$E2E_TMP/near.png" "$E2E_TMP/near-back.png" "two notches of wheel down"
expect_same_as "$E2E_TMP/rest.png" "$E2E_TMP/near-back.png" "wheel up twice and down twice"
wheel 5 2
expect_changed "$E2E_TMP/near-back.png" "$E2E_TMP/far.png" "two more notches of wheel down"
read -r far_lit _ <<<"$(stats_of "$E2E_TMP/far.png")"
log "wheel down twice: $far_lit lit pixels (at rest $rest_lit)"
((far_lit * 3 / 2 < rest_lit)) ||
    fail "wheel down twice: the cube covers $far_lit pixels, at rest $rest_lit: not smaller"
wheel 4 2
expect_changed "$E2E_TMP/far.png" "$E2E_TMP/far-back.png" "two notches of wheel up"
expect_same_as "$E2E_TMP/rest.png" "$E2E_TMP/far-back.png" "wheel down twice and up twice"

# Leaving the client area ends a drag.
xdotool mousemove $((CX + DRAG_X)) $((CY + DRAG_Y))
sleep 0.1
xdotool mousedown 3
for ((i = 1; i <= 5; i++)); do
    xdotool mousemove $((CX + DRAG_X + 10 * i)) $((CY + DRAG_Y))
    sleep 0.03
done
expect_changed "$E2E_TMP/rest.png" "$E2E_TMP/held.png" "right-button drag before leaving"
# Out below the window, the button still held; the viewer sees the pointer outside before it
# comes back.
xdotool mousemove $((CX + DRAG_X + 50)) $((CY + ch + 40))
sleep 0.5
xdotool mousemove $((CX + DRAG_X + 50)) $((CY + DRAG_Y))
for ((i = 1; i <= 10; i++)); do
    xdotool mousemove $((CX + DRAG_X + 50 + 10 * i)) $((CY + DRAG_Y + 3 * i))
    sleep 0.03
done
expect_same_as "$E2E_TMP/held.png" "$E2E_TMP/back-in.png" \
    "moved back into the client area with the right button held after leaving it"
xdotool mouseup 3
right_drag $DRAG_X $DRAG_Y 50 0 5
expect_changed "$E2E_TMP/back-in.png" "$E2E_TMP/fresh.png" "a fresh right-button drag after the left one"

app_is_running || fail "korvalin ended during the mouse checks"
choose_menu_item "$window" File 2 # Quit
wait_for_app_exit 10
expect_exit_status 0
expect_file_bytes "$folder/Korvalin.ini" "0.1\n2\n$samples"
log "PASS"
