#!/usr/bin/env bash
# Images that take the decoder down, with a test DevIL.dll that crashes on one, never returns from
# another and takes memory without end on a third: korvalin.exe under Wine draws those squares
# untextured, as missing images, and the good images before and after them textured (the looping
# and the greedy one given up within the list's time). The viewer still answers, File > Quit ends
# it with status 0, and no helper process outlives it.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

bits=()
[[ "$KORVALIN_WINE_BITS" == 32 ]] && bits=(--32)
"$(dirname "$0")/devil_forward/build.sh" "${bits[@]}" --hostile "$E2E_TMP/hostile" >/dev/null ||
    fail "the hostile test DevIL.dll could not be built"
cp "$E2E_TMP/hostile/DevIL.dll" "$APP_FOLDER/DevIL.dll"

folder="$(new_folder hostile)"
cp "$(samples_folder)/crate.png" "$folder/good.png"
for mark in CRASH LOOP GREEDY; do
    printf 'KORVALIN %s' "$mark" >"$folder/${mark,,}.png"
done
images=(good.png crash.png good.png loop.png greedy.png good.png)
squares_mesh "$folder/hostile.msh" "${images[@]}"
start_xvfb

start_wine_app "$folder" --textures "$(windows_path "$folder")" \
    "$(windows_path "$folder/hostile.msh")"
wait_for_wine_mesh "$E2E_TMP/hostile.png"
settled_shot "$E2E_TMP/hostile.png" 20 wine_client_shot
mapfile -t squares < <(square_stats "$E2E_TMP/hostile.png" "$E2E_TMP/hostile.png")
((${#squares[@]} == ${#images[@]})) || fail "${#squares[@]} squares drawn, not ${#images[@]}"
for i in "${!images[@]}"; do
    read -r wood _ <<<"${squares[i]}"
    log "square $i, ${images[i]}: $wood wood pixels"
    if [[ "${images[i]}" == good.png ]]; then
        ((wood > 500)) || fail "square $i: the good image is not drawn"
    else
        ((wood == 0)) || fail "square $i: ${images[i]} is drawn textured"
    fi
done

# Still answering: L shades the squares.
read -r x y _ <<<"$(window_geometry "$window")"
xdotool mousemove $((x + 4)) $((y + MENU_HEIGHT + 4)) key l
settled_shot "$E2E_TMP/shaded.png" 10 wine_client_shot
[[ "$(differing_pixels "$E2E_TMP/hostile.png" "$E2E_TMP/shaded.png")" != 0 ]] ||
    fail "the viewer did not answer L"
quit_wine_app
expect_exit_status 0
"$WINE_SERVER" -w
if pgrep -f -- "--image-helper" >/dev/null; then fail "a helper process outlived the viewer"; fi
log "PASS"
