#!/usr/bin/env bash
# File > Open... on a file that is not a mesh (its first line is not "MSHX1") shows a modal box
# named "Error" (text and an OK button on grey); after OK (Return) the viewer exits with
# status 1 and leaves a Korvalin.ini that was there before byte for byte as it was (here one
# with other values and CR LF line ends, which a Quit would rewrite).
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

readonly SETTINGS='0.35\r\n3.5\r\n/opt/textures\r\n'

start_xvfb
folder="$(new_folder failure)"
# shellcheck disable=SC2059 # the format is the file's content, escapes and all
printf "$SETTINGS" >"$folder/Korvalin.ini"
printf 'hello\n' >"$folder/x.msh"
start_app "$folder"
window="$(wait_for_window Korvalin)"
wait_for_black_client "$window"

open_mesh "$window" "$folder/x.msh"
box="$(wait_for_window Error 10)"
expect_box_drawn "$box" Error
sleep 0.5
app_is_running || fail "korvalin ended without waiting for OK on the Error box"
expect_file_bytes "$folder/Korvalin.ini" "$SETTINGS"

press_key_over "$box" Return
wait_for_app_exit 10
expect_exit_status 1
[[ -z "$(find_window Korvalin)" ]] || fail "the main window is still shown after the failed load"
expect_file_bytes "$folder/Korvalin.ini" "$SETTINGS"
expect_folder_holds "$folder" Korvalin.ini x.msh
log "PASS"
