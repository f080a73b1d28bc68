#!/usr/bin/env bash
# Makes docs/viewer.png, the picture in the README: the viewer under its own Xvfb with the
# textured cube sample open, turned with a right-button drag and brought nearer with the wheel.
#
#     docs/make-screenshot.sh [KORVALIN_BINARY]
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=tests/e2e/lib.sh
source "$repo/tests/e2e/lib.sh"
e2e_init "${1:-$repo/build/app/korvalin}"
samples="$(samples_folder)"

start_xvfb
start_on_samples screenshot
read -r cx cy _ <<<"$(client_area_geometry "$window")"
open_mesh "$window" "$samples/cube.msh"
wait_for_mesh_drawn "$window" "$E2E_TMP/open.png"

xdotool mousemove $((cx + 200)) $((cy + 150))
xdotool mousedown 3
for ((i = 1; i <= 10; i++)); do
    xdotool mousemove $((cx + 200 + 25 * i)) $((cy + 150 + 20 * i))
    sleep 0.03
done
xdotool mouseup 3
xdotool click --repeat 2 --delay 100 4
settled_client_shot "$window" "$E2E_TMP/settled.png"
window_shot "$window" "$repo/docs/viewer.png"
log "wrote $repo/docs/viewer.png"

choose_menu_item "$window" File 2 # Quit
wait_for_app_exit 10
