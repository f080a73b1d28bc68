#!/usr/bin/env bash
# korvalin.exe under Wine answers --help, --version and bad usage (two files, as when two are
# dropped onto the exe) where a Windows user sees them, with the exit statuses of the Linux
# program: through its standard handles when they lead somewhere (a redirection), with CR LF;
# with none, as a program started by Explorer has (here through "start", which launches it by
# the shell with no handles and waits for its status), in a message box captioned "Korvalin"
# and no main window.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/lib.sh"
wine_init "$@"

readonly USAGE='usage: korvalin [--textures DIR] [--shaded] [--watch] [FILE.msh]\r\n       korvalin --help | --version\r\n'
# One display for the whole run: the prefix's Wine processes keep the display they started with.
start_xvfb
folder="$(new_folder answers)"
exe="$APP_FOLDER/korvalin.exe"

# answer CASE STATUS OUT ERR ARGUMENT...: the run's exit status and its two streams' bytes.
answer() {
    local case="$1" status="$2" out="$3" err="$4" got=0
    shift 4
    (cd -- "$folder" && "$WINE_LOADER" "$exe" "$@") >"$folder/$case.out" 2>"$folder/$case.err" ||
        got=$?
    ((got == status)) || fail "$case: exit status $got, not $status"
    expect_file_bytes "$folder/$case.out" "$out"
    expect_file_bytes "$folder/$case.err" "$err"
    log "$case: status $got, the text on its stream"
}
answer version 0 'korvalin 1.1\r\nimages: DevIL.dll 1.7.8\r\n' '' --version
answer help 0 "$USAGE" '' --help
answer two-files 2 '' "$USAGE" "$(windows_path "$folder/a.msh")" "$(windows_path "$folder/b.msh")"

for case in "--version 0" "--help 0" "--textures 2"; do
    read -r argument status <<<"$case"
    (cd -- "$folder" && exec "$WINE_LOADER" start /wait /unix "$exe" "$argument") \
        >"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
    box="$(wait_for_window Korvalin 30)"
    read -r _ _ w h <<<"$(window_geometry "$box")"
    ((w < 600)) || fail "$argument: a window ${w}x$h, not a message box"
    sleep 0.5
    press_return_in "$box"
    wait_for_app_exit 20
    expect_exit_status "$status"
    log "$argument: a ${w}x$h box captioned Korvalin, status $status"
done
[[ ! -e "$folder/Korvalin.ini" ]] || fail "a settings file was written"
log "PASS"
