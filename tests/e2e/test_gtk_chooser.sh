#!/usr/bin/env bash
# The desktop's choosers: with GTK on the machine, File > Open... and the textures folder
# chooser are GTK's file chooser dialogs, over the viewer's window. A path typed slowly into the
# file chooser's location entry, to a mesh some folders down, opens that mesh; the folder typed
# into the folder chooser that the load then shows gives it its textures; a path to no file
# brings the file chooser back. With FLTK's option for its own choosers set in the user's FLTK
# preferences, File > Open... is FLTK's chooser instead.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

samples="$(samples_folder)"
[[ -f "$samples/cube.msh" && -f "$samples/crate.png" ]] || fail "no cube sample in $samples"
mesh_folder="$(new_folder conv/haus)"
cp "$samples/cube.msh" "$mesh_folder/haus.msh"

# expect_gtk_chooser CHOOSER WHAT: CHOOSER is GTK's dialog, a dialog of the viewer's window.
expect_gtk_chooser() {
    local chooser="$1" what="$2" owner i
    is_gtk_chooser "$chooser" ||
        fail "$what is not GTK's chooser: $(xprop -id "$chooser" WM_CLASS WM_WINDOW_ROLE 2>&1 | tr '\n' ' ')"
    # The owner may be set just after the dialog shows (FLTK 1.4 leaves that to the viewer).
    for ((i = 0; i < 50; i++)); do
        owner="$(xprop -id "$chooser" WM_TRANSIENT_FOR | sed -n 's/.*# //p')"
        [[ -n "$owner" ]] && break
        sleep 0.1
    done
    if [[ -z "$owner" ]] || ((owner != window)); then
        fail "$what belongs to window '$owner', not to the viewer's $(printf '0x%x' "$window")"
    fi
    screenshot "$E2E_TMP/$(tr ' ' - <<<"$what").png"
    log "$what: GTK's chooser, for window $owner"
}

start_xvfb

# GTK's choosers, no textures folder set yet: the file, then the folder the load asks for.
folder="$(new_folder gtk)"
start_app "$folder"
window="$(wait_for_window Korvalin)"
wait_for_black_client "$window"
choose_menu_item "$window" File 0 # Open...
chooser="$(wait_for_file_chooser)"
expect_gtk_chooser "$chooser" "file chooser"
# GTK's dialog gives back a name that names no file; the viewer asks again.
chooser_type_path "$chooser" "$mesh_folder/missing.msh"
chooser_accept file "$chooser" return
chooser="$(wait_for_file_chooser 10)"
app_is_running || fail "korvalin ended after a missing file was typed in"
chooser_type_path "$chooser" "$mesh_folder/haus.msh"
chooser_accept file "$chooser" return
chooser="$(wait_for_window "$FOLDER_CHOOSER_NAME" 10)"
expect_gtk_chooser "$chooser" "folder chooser"
chooser_type_path "$chooser" "$samples"
chooser_accept "$FOLDER_CHOOSER_NAME" "$chooser" return
ALLOW_FOLDER_CHOOSER=1 wait_for_mesh_drawn "$window" "$E2E_TMP/haus.png"
read -r lit brown red _ <<<"$(image_stats "$E2E_TMP/haus.png")"
log "haus.msh drawn: $lit lit pixels, $brown brown, $red red"
((brown >= 2000 && red > 0)) ||
    fail "only $brown brown and $red red pixels: the mesh typed in is not drawn with its textures"
quit_and_expect_settings "$folder" "0.1\n2\n$samples"

# The user's FLTK preferences ask for FLTK's own chooser: that one shows.
use_fltk_choosers
folder="$(new_folder fltk)"
start_app "$folder"
window="$(wait_for_window Korvalin)"
wait_for_black_client "$window"
choose_menu_item "$window" File 0 # Open...
chooser="$(wait_for_file_chooser)"
! is_gtk_chooser "$chooser" || fail "GTK's chooser shows though FLTK's preferences ask for FLTK's"
[[ "$(xdotool getwindowname "$chooser")" == "$FILE_CHOOSER_NAME" ]] ||
    fail "the chooser shown is \"$(xdotool getwindowname "$chooser")\", not FLTK's"
chooser_cancel file "$chooser"
quit_and_expect_settings "$folder" '0.1\n2\n'
log "PASS"
