#!/usr/bin/env bash
# Each image format, decoded by korvalin.exe under Wine with DevIL.dll and then without it (the
# system's codecs): a square textured with one picture, stored as PNG, BMP (bottom row first), GIF,
# TIFF, ICO, uncompressed DDS, JPEG and TGA, drawn once each way. The frames are the same pixel for
# pixel, for JPEG within its decoders' rounding; TGA, which the system cannot read, is drawn
# untextured without DevIL.dll, as a missing image is.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

folder="$(new_folder formats)"
devil="$E2E_TMP/devil.dll"
mv "$APP_FOLDER/DevIL.dll" "$devil"
# The crate, marked in two corners, so that rows or columns in the wrong order show.
picture="$folder/picture.png"
convert "$(samples_folder)/crate.png" -resize 64x64 -fill blue -draw 'rectangle 0,0 20,8' \
    -fill yellow -draw 'rectangle 44,50 63,63' -type TrueColor "$picture"
formats=(png bmp gif tif ico dds jpg tga)
squares_mesh "$folder/formats.msh" "${formats[@]/#/picture.}"
for format in "${formats[@]}"; do
    case "$format" in
    bmp) convert "$picture" "bmp3:$folder/picture.bmp" ;;
    dds) convert "$picture" -define dds:compression=none "$folder/picture.dds" ;;
    jpg) convert "$picture" -quality 92 "$folder/picture.jpg" ;;
    png) ;;
    *) convert "$picture" "$folder/picture.$format" ;;
    esac
done
start_xvfb

# shot DECODER: the squares drawn, saved as DECODER.png.
shot() {
    start_wine_app "$folder" --textures "$(windows_path "$folder")" \
        "$(windows_path "$folder/formats.msh")"
    wait_for_wine_mesh "$E2E_TMP/$1.png"
    settled_shot "$E2E_TMP/$1.png" 10 wine_client_shot
    quit_wine_app
    expect_exit_status 0
}

cp "$devil" "$APP_FOLDER/DevIL.dll"
shot devil
rm -f "$APP_FOLDER/DevIL.dll"
shot system
mapfile -t squares < <(square_stats "$E2E_TMP/devil.png" "$E2E_TMP/system.png")
((${#squares[@]} == ${#formats[@]})) || fail "${#squares[@]} squares drawn, not ${#formats[@]}"
differing="$(differing_pixels "$E2E_TMP/devil.png" "$E2E_TMP/system.png")"
for i in "${!formats[@]}"; do
    format=${formats[i]}
    read -r devil_wood system_wood exact rounded <<<"${squares[i]}"
    log "$format: $devil_wood wood pixels through DevIL.dll, $system_wood without;" \
        "$exact pixels differ, $rounded by more than 3"
    ((devil_wood > 500)) || fail "$format: DevIL.dll did not texture the square"
    case "$format" in
    tga) ((system_wood == 0)) || fail "tga: textured without DevIL.dll" ;;
    jpg) ((system_wood > 500 && rounded == 0)) || fail "jpg: differs beyond rounding" ;;
    *) ((exact == 0)) || fail "$format: the squares differ" ;;
    esac
    differing=$((differing - exact))
done
((differing == 0)) || fail "$differing pixels differ outside the squares"
log "PASS"
