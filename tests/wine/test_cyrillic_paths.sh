#!/usr/bin/env bash
# korvalin.exe under Wine with Cyrillic folder names under a Western system code page (1252),
# which only the UTF-8 code page of the program's manifest lets the ANSI calls name:
# - the command line: --textures and the mesh in "Текстуры Модели" draw the textured cube, its
#   images decoded by DevIL.dll from that folder;
# - started in a Cyrillic folder whose Korvalin.ini names another Cyrillic textures folder:
#   File > Open... with a Cyrillic path typed into the system's file dialog draws the cube with
#   the images from the remembered folder, and Korvalin.ini is written back with the same UTF-8
#   bytes;
# - with an empty Cyrillic textures folder remembered, the images are found beside the mesh.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"
# Unix names are UTF-8 to Wine, and its system code page stays the Western one.
export LC_ALL=C.UTF-8

samples="$(samples_folder)"
start_xvfb
acp="$("$WINE_LOADER" reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP |
    tr -d '\r' | awk '$1 == "ACP" { print $3 }')"
[[ "$acp" == 1252 ]] || fail "Wine's system code page is '$acp', not the Western 1252"
models="$(new_folder 'Текстуры Модели')"
cp "$samples/cube.msh" "$samples/crate.png" "$samples/stripes.tga" "$models/"
empty="$(new_folder empty)"

start="$(new_folder start)"
printf '0.1\r\n2\r\n%s' "$(windows_path "$empty")" >"$start/Korvalin.ini"
start_wine_app "$start" --textures "$(windows_path "$models")" "$(windows_path "$models/cube.msh")"
wait_for_wine_mesh "$E2E_TMP/command-line.png"
expect_wine_cube "$E2E_TMP/command-line.png"
quit_wine_app
expect_exit_status 0

# The mesh alone in one folder, its images in another: only the remembered folder has them.
meshes="$(new_folder 'Меши')"
cp "$samples/cube.msh" "$meshes/"
start="$(new_folder 'Запуск')"
printf '0.1\r\n2\r\n%s' "$(windows_path "$models")" >"$start/Korvalin.ini"
start_wine_app "$start"
open_through_dialog "$meshes/cube.msh"
wait_for_wine_mesh "$E2E_TMP/dialog.png"
expect_wine_cube "$E2E_TMP/dialog.png"
quit_wine_app
expect_exit_status 0
textures_line="$(windows_path "$models" | sed 's/\\/\\\\/g')"
expect_file_bytes "$start/Korvalin.ini" "0.1\r\n2\r\n$textures_line"

printf '0.1\r\n2\r\n%s' "$(windows_path "$(new_folder 'Пусто')")" >"$start/Korvalin.ini"
start_wine_app "$start" "$(windows_path "$models/cube.msh")"
wait_for_wine_mesh "$E2E_TMP/beside.png"
expect_wine_cube "$E2E_TMP/beside.png"
quit_wine_app
expect_exit_status 0
log "PASS"
