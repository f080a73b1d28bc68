#!/usr/bin/env bash
# korvalin.exe under Wine: File > Open... on a file that is not a mesh shows the "Error" box;
# after OK the program ends with status 1 and the settings file stays as it was.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

readonly SETTINGS='0.35\r\n3.5\r\nC:\\textures'
start_xvfb
folder="$(new_folder failure)"
# shellcheck disable=SC2059 # the format is the file's content
printf "$SETTINGS" >"$folder/Korvalin.ini"
printf 'hello\r\n' >"$folder/notes.msh"
start_wine_app "$folder"
open_through_dialog "$folder/notes.msh"
box="$(wait_for_window Error 20)"
sleep 0.5
app_is_running || fail "korvalin.exe ended without waiting for OK on the Error box"
press_return_in "$box"
wait_for_app_exit 20
expect_exit_status 1
expect_file_bytes "$folder/Korvalin.ini" "$SETTINGS"
log "PASS"
