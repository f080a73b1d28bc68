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
wine_client_shot "$E2E_TMP/empty.png"
read -r lit _ <<<"$(image_stats "$E2E_TMP/empty.png")"
((lit == 0)) || fail "the client area shows $lit lit pixels before any mesh was opened"

open_through_dialog "$samples/cube.msh"
wait_for_wine_mesh "$E2E_TMP/cube.png"
expect_wine_cube "$E2E_TMP/cube.png"

quit_wine_app
expect_exit_status 0
expect_file_bytes "$folder/Korvalin.ini" "0.1\r\n2\r\n$(windows_path "$samples" | sed 's/\\/\\\\/g')"
log "PASS"
