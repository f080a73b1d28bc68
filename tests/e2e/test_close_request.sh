#!/usr/bin/env bash
# The window's own close request (WM_DELETE_WINDOW, what a window manager sends for its close
# box) ends the viewer as File > Quit does: status 0 and the settings written back.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

start_xvfb
folder="$(new_folder close)"
printf '0.3\n1.5\n/opt/textures' >"$folder/Korvalin.ini"
start_app "$folder"
window="$(wait_for_window Korvalin)"

send_close_request "$window"
wait_for_app_exit 10
expect_exit_status 0
[[ -z "$(find_window Korvalin)" ]] || fail "the main window is still shown after the close request"
expect_file_bytes "$folder/Korvalin.ini" '0.3\n1.5\n/opt/textures'
expect_folder_holds "$folder" Korvalin.ini
log "PASS"
