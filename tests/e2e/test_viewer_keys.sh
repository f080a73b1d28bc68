#!/usr/bin/env bash
# The viewer's own keys on the real program: L shades the torus (many shades where it was flat)
# and, off again, gives back the very same picture; the arrows turn and + and - move the eye as
# the mouse does; Home and Enter bring back the start picture; F frames a model far from the
# origin; F12 saves exactly the window's picture in the pictures folder's Korvalin/, never over
# a file; F5 reads a changed file; Page Down reaches the folder's next mesh, skipping a broken
# one, the viewer still open; F11 fills the screen and gives the window back; F1 shows the keys.
# Then --watch: a file rewritten on disk is drawn again without a key.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

samples="$(samples_folder)"
render="$(dirname "$KORVALIN")/../tools/korvalin-render"
[[ -x "$render" ]] || fail "no korvalin-render beside the viewer"

# A folder of models the test may change: the samples, their images and one broken mesh, which
# comes first in name order.
models="$(new_folder models)"
cp -- "$samples"/*.msh "$samples"/*.png "$samples"/*.dds "$samples"/*.tga "$models/"
printf 'MSHX1\nGROUPS 99999\n' >"$models/broken.msh"

pictures="$(app_home)/Pictures"
mkdir -p -- "$pictures" "$(app_home)/.config"
# shellcheck disable=SC2016
printf 'XDG_PICTURES_DIR="$HOME/Pictures"\n' >"$(app_home)/.config/user-dirs.dirs"

# key NAME [COUNT]: presses a key COUNT times over the window.
key() {
    local i
    for ((i = 0; i < ${2:-1}; i++)); do
        press_key_over "$window" "$1"
        sleep 0.05
    done
}

# expect_same WHAT REFERENCE [TOLERANCE]: the settled client area is REFERENCE, exactly or with
# no channel off by more than TOLERANCE.
expect_same() {
    local differing
    settled_client_shot "$window" "$E2E_TMP/$1.png"
    differing="$(differing_pixels "$2" "$E2E_TMP/$1.png" "${3:-0}")"
    ((differing == 0)) || fail "$1: $differing pixels differ from $(basename "$2")"
    log "$1: the picture is $(basename "$2") again"
}

expect_change() {
    wait_for_client_change "$window" "$2" "$E2E_TMP/$1.png" 10 ||
        fail "$1: the picture did not change from $(basename "$2")"
}

# The status line is drawn at the bottom; a key without an action takes it away.
clear_status() {
    key q
}

# reference NAME MESH: korvalin-render's picture of MESH as the start-up client area shows it.
reference() {
    "$render" --textures "$models" --size 640x480 "$models/$2" -o "$E2E_TMP/frame.png" ||
        fail "korvalin-render could not draw $2"
    convert "$E2E_TMP/frame.png" -crop "640x$ch+0+$((480 - ch))" +repage "$E2E_TMP/$1.png"
}

start_xvfb
folder="$(new_folder keys)"
printf '0.1\n2\n%s' "$models" >"$folder/Korvalin.ini"
start_app "$folder" "$models/torus.msh"
window="$(wait_for_window Korvalin)"
read -r _ _ cw ch <<<"$(client_area_geometry "$window")"
wait_for_mesh_drawn "$window" "$E2E_TMP/start.png"

# Shading.
key l
expect_change shaded "$E2E_TMP/start.png"
flat="$(convert "$E2E_TMP/start.png" -format %k info:)"
shaded="$(convert "$E2E_TMP/shaded.png" -crop "${cw}x$((ch - 40))+0+0" -format %k info:)"
log "colours: $flat unshaded, $shaded shaded"
((shaded >= flat + 50)) || fail "shading on: $shaded colours, unshaded $flat: not shaded"
key l
clear_status
expect_same unshaded-again "$E2E_TMP/start.png"

# Turning and zooming by keys, then back.
key Right 2
expect_change turned "$E2E_TMP/start.png"
key Left 2
expect_same turned-back "$E2E_TMP/start.png"
key plus
expect_change nearer "$E2E_TMP/start.png"
key minus
expect_same zoomed-back "$E2E_TMP/start.png"
for reset in Home Return; do
    key Down 3
    key Right
    key KP_Add
    expect_change "before-$reset" "$E2E_TMP/start.png"
    key "$reset"
    expect_same "after-$reset" "$E2E_TMP/start.png"
done

# The screenshot: exactly the picture on screen, a new file each time.
key F12
shot="$pictures/Korvalin/torus-1.png"
for ((i = 0; i < 50; i++)); do [[ -f "$shot" ]] && break; sleep 0.1; done
[[ -f "$shot" ]] || fail "F12 saved no $shot"
clear_status
settled_client_shot "$window" "$E2E_TMP/on-screen.png"
differing="$(differing_pixels "$shot" "$E2E_TMP/on-screen.png")"
((differing == 0)) || fail "the screenshot differs from the window in $differing pixels"
key F12
for ((i = 0; i < 50; i++)); do [[ -f "$pictures/Korvalin/torus-2.png" ]] && break; sleep 0.1; done
[[ -f "$pictures/Korvalin/torus-2.png" ]] || fail "a second F12 did not save torus-2.png"
cmp -s "$shot" "$pictures/Korvalin/torus-2.png" || fail "the first screenshot was changed"
clear_status
log "F12 saved the window's picture as torus-1.png, then torus-2.png"

# Page Down from the last name wraps to the broken file, skips it and shows the cube.
reference cube cube.msh
key Next
expect_change next "$E2E_TMP/start.png"
app_is_running || fail "korvalin ended on the broken file"
clear_status
expect_same cube-shown "$E2E_TMP/cube.png"
key Prior
clear_status
expect_same back-to-torus "$E2E_TMP/start.png"

# F5 reads the file again: the torus's file now holds the hull.
reference hull hull.msh
cp -- "$models/hull.msh" "$models/torus.msh"
key F5
expect_change reloaded "$E2E_TMP/start.png"
# The hull is translucent: blending in the X window and in korvalin-render's pbuffer may round
# a channel apart by one.
expect_same hull-shown "$E2E_TMP/hull.png" 1

# Full screen and back.
read -r screen_w screen_h <<<"$(xdotool getdisplaygeometry)"
key F11
for ((i = 0; i < 50; i++)); do
    read -r _ _ ww wh <<<"$(window_geometry "$window")"
    [[ "$ww x $wh" == "$screen_w x $screen_h" ]] && break
    sleep 0.1
done
[[ "$ww x $wh" == "$screen_w x $screen_h" ]] || fail "F11: the window is ${ww}x$wh, not the screen"
# The picture is the one for the whole screen, as after any resize.
"$render" --textures "$models" --size "${screen_w}x$screen_h" --resized "$models/hull.msh" \
    -o "$E2E_TMP/full-reference.png" || fail "korvalin-render could not draw the hull"
settled_shot "$E2E_TMP/full.png" 10 import -window root
differing="$(differing_pixels "$E2E_TMP/full-reference.png" "$E2E_TMP/full.png" 1)"
((differing == 0)) || fail "F11: $differing pixels of the screen differ from the hull's frame"
key F11
for ((i = 0; i < 50; i++)); do
    read -r _ _ ww wh <<<"$(window_geometry "$window")"
    [[ "$ww x $wh" == "640 x 480" ]] && break
    sleep 0.1
done
[[ "$ww x $wh" == "640 x 480" ]] || fail "F11 again: the window is ${ww}x$wh, not 640x480"
log "F11 filled the ${screen_w}x$screen_h screen and gave the window back"

# The key list.
key F1
box="$(wait_for_window "Korvalin keys" 10)"
expect_box_drawn "$box" "Korvalin keys"
press_key_over "$box" Return
wait_for_window_gone "Korvalin keys"

quit_and_expect_settings "$folder" "0.1\n2\n$models"

# Fit: a small model far from the origin is off screen until F.
far="$(new_folder far)"
printf -- 'MSHX1\nGROUPS 1\nLABEL far\nGEOM 3 2\n-500 40 300 0 0 0 0 0\n-500 42 300 0 0 0 1 0\n' >"$far/far.msh"
printf -- '-500 40 302 0 0 0 0 1\n0 1 2\n0 2 1\n' >>"$far/far.msh"
printf '0.1\n2\n%s' "$far" >"$folder/Korvalin.ini"
start_app "$folder" "$far/far.msh"
window="$(wait_for_window Korvalin)"
wait_for_black_client "$window"
sleep 1
settled_client_shot "$window" "$E2E_TMP/far-start.png"
read -r lit _ <<<"$(image_stats "$E2E_TMP/far-start.png")"
((lit == 0)) || fail "the far model is on screen before F ($lit pixels)"
key f
expect_change fitted "$E2E_TMP/far-start.png"
read -r lit _ _ x0 y0 x1 y1 _ <<<"$(image_stats "$E2E_TMP/fitted.png")"
((x0 < cw / 2 && x1 > cw / 2 && y0 < ch / 2 && y1 > ch / 2 && lit > cw * ch / 10)) ||
    fail "F: the model covers $lit pixels in $x0,$y0-$x1,$y1, not the middle of the picture"
log "F framed the far model: $lit pixels in $x0,$y0-$x1,$y1"
quit_and_expect_settings "$folder" "0.1\n2\n$far"

# --watch: the file rewritten beside and renamed over, as converters and editors save.
printf '0.1\n2\n%s' "$models" >"$folder/Korvalin.ini"
cp -- "$samples/cube.msh" "$models/watched.msh"
start_app "$folder" --watch "$models/watched.msh"
window="$(wait_for_window Korvalin)"
wait_for_mesh_drawn "$window" "$E2E_TMP/watched.png"
cp -- "$samples/hull.msh" "$models/watched.tmp"
mv -- "$models/watched.tmp" "$models/watched.msh"
expect_change watched-rewritten "$E2E_TMP/watched.png"
expect_same watched-hull "$E2E_TMP/hull.png" 1
quit_and_expect_settings "$folder" "0.1\n2\n$models"
log "PASS"
