#!/usr/bin/env bash
# Runs a command that starts the viewer (the README's run command) under a private Xvfb, from
# the repository root, and checks that the viewer comes up showing the textured cube sample: a
# "Korvalin" window with its menu bar drawn and the crate's wood in its GL area. File > Quit
# must then end it with status 0.
#
#   scripts/check-run-command.sh COMMAND [SECONDS]
#
# SECONDS (default 600) bounds the wait for the window, since the command may install and
# build first. Everything started here is stopped by its own process id at exit.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
command=${1:?usage: check-run-command.sh COMMAND [SECONDS]}
window_wait=${2:-600}

# shellcheck source=tests/e2e/lib.sh
source "$repo/tests/e2e/lib.sh"
E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/korvalin-run-command.XXXXXX")
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

# The GL area is painted once its first frame is swapped; until then the white root shows.
wait_for_painted_client_area() {
    local x=$1 y=$2 i shot=$E2E_TMP/poll.png
    for ((i = 0; i < 80; i++)); do
        import -window root -crop "1x1+$x+$y" "$shot" 2>/dev/null &&
            [[ "$(pixel "$shot" 0 0)" != "255,255,255" ]] && return 0
        sleep 0.25
    done
    fail "the GL area at ($x,$y) was not painted within 20 s"
}

start_xvfb
# exec all the way down, so that APP_PID is the viewer's own process id.
(cd "$repo" && exec bash -c "exec $command") >"$E2E_TMP/app.log" 2>&1 &
APP_PID=$!
log "started \"$command\" (pid $APP_PID)"
window=$(wait_for_window Korvalin "$window_wait")
read -r x y w h <<<"$(window_geometry "$window")"
wait_for_painted_client_area $((x + w / 2)) $((y + MENU_BAR_HEIGHT + (h - MENU_BAR_HEIGHT) / 2))
screenshot "$E2E_TMP/first-frame.png"
expect_pixel "$E2E_TMP/first-frame.png" $((x + w - 10)) $((y + 10)) grey "menu bar"
wait_for_mesh_drawn "$window" "$E2E_TMP/sample.png"
read -r lit brown _ <<<"$(image_stats "$E2E_TMP/sample.png")"
((brown >= 2000)) || fail "the sample is not drawn textured: $brown crate pixels of $lit lit"
log "the sample is drawn: $lit lit pixels, $brown of the crate's wood"
choose_menu_item "$window" File 2 # Quit
wait_for_app_exit 10
expect_exit_status 0
log "PASS: \"$command\" showed the textured sample and quit cleanly"
