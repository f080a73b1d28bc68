#!/usr/bin/env bash
# With no GL visual to be had (an X server without GLX) the viewer shows a modal "ERROR" box
# (icon, text, OK button) instead of its window; after OK (Return) it exits with
# status 1 and writes no settings.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

start_xvfb -extension GLX
xdpyinfo | grep -q '^ *GLX$' && fail "Xvfb still offers GLX; the test needs a server without it"
folder="$(new_folder no-gl)"
start_app "$folder"

box="$(wait_for_window ERROR)"
expect_box_drawn "$box" ERROR
[[ -z "$(find_window Korvalin)" ]] || fail "the main window is shown beside the ERROR box"
app_is_running || fail "korvalin ended without waiting for OK"

press_key_over "$box" Return
wait_for_app_exit 10
expect_exit_status 1
[[ ! -e "$folder/Korvalin.ini" ]] || fail "Korvalin.ini was written although the window never opened"
expect_folder_holds "$folder"
log "PASS"
