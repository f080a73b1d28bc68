#!/usr/bin/env bash
# Korvalin.ini in the folder the viewer starts in is read at start and written back at Quit:
# other numbers and a textures directory come back byte for byte, and a file with CR LF line
# ends comes back with LF line ends, the values kept.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

# round_trip NAME WRITTEN_FORMAT EXPECTED_FORMAT: both are printf formats.
round_trip() {
    local name="$1" written="$2" expected="$3" folder window
    folder="$(new_folder "$name")"
    # shellcheck disable=SC2059 # the format is the file's content, escapes and all
    printf "$written" >"$folder/Korvalin.ini"
    start_app "$folder"
    window="$(wait_for_window Korvalin)"
    choose_menu_item "$window" File 2 # Quit
    wait_for_app_exit 10
    expect_exit_status 0
    expect_file_bytes "$folder/Korvalin.ini" "$expected"
    expect_folder_holds "$folder" Korvalin.ini
    wait_for_window_gone Korvalin
    log "$name: ok"
}

start_xvfb

round_trip other-values '0.25\n4.5\n/srv/mesh textures/set 1' '0.25\n4.5\n/srv/mesh textures/set 1'
round_trip crlf-line-ends '0.25\r\n4.5\r\n/srv/mesh textures/set 1\r\n' \
    '0.25\n4.5\n/srv/mesh textures/set 1'
round_trip crlf-no-directory '0.5\r\n3\r\n' '0.5\n3\n'
# An empty file leaves the defaults.
round_trip empty-file '' '0.1\n2\n'
log "PASS"
