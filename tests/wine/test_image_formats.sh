#!/usr/bin/env bash
# Each image format, decoded by korvalin.exe under Wine with DevIL.dll and then without it (the
# system's codecs): a square textured with one picture, stored as PNG, BMP (bottom row first, and
# top row first), GIF, TIFF, ICO, uncompressed DDS, JPEG and TGA, drawn once each way. The frames are the same pixel for
# pixel, for JPEG within its decoders' rounding; TGA, which the system cannot read, is drawn
# untextured without DevIL.dll, as a missing image is.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

folder="$(new_folder formats)"
devil="$E2E_TMP/devil.dll"
mv "$APP_FOLDER/DevIL.dll" "$devil"
# top_down_bmp PICTURE BMP: PICTURE as an uncompressed BMP with its rows stored top first, as a
# negative height says.
top_down_bmp() {
    convert "$1" -type TrueColor -compress none "bmp3:$2" || fail "could not write $2"
    python3 - "$2" <<'PYTHON' || fail "could not turn $2 top down"
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
start, = struct.unpack("<I", data[10:14])
width, height = struct.unpack("<ii", data[18:26])
bits, compression = struct.unpack("<HI", data[28:34])
if compression != 0:
    sys.exit("compressed")
stride = (width * bits // 8 + 3) & ~3
rows = [data[start + i * stride:start + (i + 1) * stride] for i in range(height)]
data[22:26] = struct.pack("<i", -height)
data[start:start + stride * height] = b"".join(reversed(rows))
open(sys.argv[1], "wb").write(data)
PYTHON
}

# The crate, marked in two corners, so that rows or columns in the wrong order show.
picture="$folder/picture.png"
convert "$(samples_folder)/crate.png" -resize 64x64 -fill blue -draw 'rectangle 0,0 20,8' \
    -fill yellow -draw 'rectangle 44,50 63,63' -type TrueColor "$picture"
formats=(png bmp top-down.bmp gif tif ico dds jpg tga)
images=()
for format in "${formats[@]}"; do
    image="$folder/picture.$format"
    case "$format" in
    bmp) convert "$picture" "bmp3:$image" ;;
    top-down.bmp) top_down_bmp "$picture" "$image" ;;
    dds) convert "$picture" -define dds:compression=none "$image" ;;
    jpg) convert "$picture" -quality 92 "$image" ;;
    png) ;;
    *) convert "$picture" "$image" ;;
    esac
    images+=("picture.$format")
done
squares_mesh "$folder/formats.msh" "${images[@]}"
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
