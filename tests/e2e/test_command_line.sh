#!/usr/bin/env bash
# The command line: korvalin [--textures DIR] [FILE.msh], --help, --version.
# - --help and --version answer on stdout with status 0; a bad option or a second file gives the
#   usage on stderr and status 2, with no window and the settings file untouched.
# - A file given opens right after start-up: with --textures the cube shows textured at once,
#   and Quit leaves the folder the settings file held; without a folder the viewer asks for one
#   while it reads, as File > Open... does.
# - A file that is not a mesh gives the "Error" box, then status 1, the settings untouched.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

readonly SETTINGS='0.35\n3.5\n/stored/textures'
samples="$(samples_folder)"

# An empty pattern asks for no output at all.
output_matches() {
    if [[ -z "$2" ]]; then [[ ! -s "$1" ]]; else grep -q -- "$2" "$1"; fi
}

expect_answer() {
    local want_status="$1" want_out="$2" want_err="$3" status=0
    shift 3
    (cd -- "$folder" && exec "$KORVALIN" "$@") >"$E2E_TMP/out" 2>"$E2E_TMP/err" || status=$?
    ((status == want_status)) || fail "korvalin $*: status $status, expected $want_status"
    output_matches "$E2E_TMP/out" "$want_out" || fail "korvalin $*: stdout is '$(cat "$E2E_TMP/out")'"
    output_matches "$E2E_TMP/err" "$want_err" || fail "korvalin $*: stderr is '$(cat "$E2E_TMP/err")'"
    expect_file_bytes "$folder/Korvalin.ini" "$SETTINGS"
}

start_xvfb
folder="$(new_folder cli)"
# shellcheck disable=SC2059 # the format is the file's content
printf "$SETTINGS" >"$folder/Korvalin.ini"
expect_answer 0 "^korvalin 1\.[0-9]" "" --version
expect_answer 0 "^images: DevIL 1\.[0-9]" "" --version
expect_answer 0 "^usage: korvalin \[--textures DIR\] \[--shaded\] \[--watch\] \[FILE.msh\]" "" --help
expect_answer 2 "" "^usage: korvalin" --size 3
expect_answer 2 "" "^usage: korvalin" "$samples/cube.msh" "$samples/torus.msh"
expect_answer 2 "" "^usage: korvalin" --textures
[[ -z "$(find_window Korvalin)" ]] || fail "a window was shown for bad usage"

start_app "$folder" --textures "$samples" "$samples/cube.msh"
window="$(wait_for_window Korvalin)"
icons="$(xprop -id "$window" _NET_WM_ICON)"
[[ "$icons" == *"Icon (48 x 48)"* ]] || fail "the window has no 48 px icon"
wait_for_mesh_drawn "$window" "$E2E_TMP/cube.png"
read -r lit brown _ <<<"$(image_stats "$E2E_TMP/cube.png")"
((brown >= 2000)) || fail "only $brown brown pixels of $lit lit: the cube is not textured"
quit_and_expect_settings "$folder" "$SETTINGS"

fresh="$(new_folder fresh)"
start_app "$fresh" "$samples/cube.msh"
chooser="$(wait_for_window "$FOLDER_CHOOSER_NAME")"
chooser_cancel "$FOLDER_CHOOSER_NAME" "$chooser"
window="$(wait_for_window Korvalin)"
ALLOW_FOLDER_CHOOSER=1 wait_for_mesh_drawn "$window" "$E2E_TMP/untextured.png"
choose_menu_item "$window" File 2 # Quit
wait_for_app_exit 10
expect_exit_status 0

printf 'hello\n' >"$folder/notes.msh"
start_app "$folder" notes.msh
box="$(wait_for_window Error 10)"
expect_box_drawn "$box" Error
press_key_over "$box" Return
wait_for_app_exit 10
expect_exit_status 1
expect_file_bytes "$folder/Korvalin.ini" "$SETTINGS"
log "PASS"
