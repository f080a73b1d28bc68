#!/usr/bin/env bash
# The textures folder chosen through File > "Change textures directory" (the folder chooser,
# the path typed in) is the one a mesh opened afterwards takes its textures from: no folder
# chooser during the load, the crate's wood on the cube, and File > Quit writes the folder as
# Korvalin.ini's third line. Against that: with no folder set, opening the cube asks for one
# during the load, and when that chooser is cancelled a cube with no images beside it shows
# without its textures and the third line stays empty.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

samples="$(samples_folder)"
[[ -f "$samples/cube.msh" && -f "$samples/crate.png" ]] || fail "no cube sample in $samples"

start_fresh() {
    local folder="$1"
    start_app "$folder"
    window="$(wait_for_window Korvalin)"
    wait_for_black_client "$window"
}

start_xvfb

# The folder chosen first, then the mesh.
folder="$(new_folder chosen)"
start_fresh "$folder"
choose_menu_item "$window" File 1 # Change textures directory
chooser="$(wait_for_window "$FOLDER_CHOOSER_NAME")"
chooser_type_path "$chooser" "$samples"
chooser_accept "$FOLDER_CHOOSER_NAME" "$chooser" ok
app_is_running || fail "korvalin ended after the textures folder was chosen"
[[ ! -e "$folder/Korvalin.ini" ]] || fail "Korvalin.ini was written before Quit"

open_mesh "$window" "$samples/cube.msh"
wait_for_mesh_drawn "$window" "$E2E_TMP/chosen.png"
sleep 1
[[ -z "$(find_window "$FOLDER_CHOOSER_NAME")" ]] ||
    fail "the textures folder chooser appeared after the mesh was drawn"
read -r lit brown red _ <<<"$(image_stats "$E2E_TMP/chosen.png")"
log "folder chosen first: $lit lit pixels, $brown brown, $red red"
((brown >= 2000)) || fail "only $brown brown pixels: the crate texture from $samples is not shown"
quit_and_expect_settings "$folder" "0.1\n2\n$samples"
expect_folder_holds "$folder" Korvalin.ini
log "folder chosen through the menu: ok"

# No folder at all: the load asks for one; cancelled, a cube without its images beside it
# shows bare.
lone="$(new_folder lone)"
cp -- "$samples/cube.msh" "$lone/cube.msh"
folder="$(new_folder unset)"
start_fresh "$folder"
open_mesh "$window" "$lone/cube.msh"
chooser="$(wait_for_window "$FOLDER_CHOOSER_NAME" 10)"
log "the load asks for the textures folder"
chooser_cancel "$FOLDER_CHOOSER_NAME" "$chooser"
wait_for_mesh_drawn "$window" "$E2E_TMP/bare.png"
read -r lit brown red _ <<<"$(image_stats "$E2E_TMP/bare.png")"
log "folder chooser cancelled: $lit lit pixels, $brown brown, $red red"
((lit >= 2000)) || fail "only $lit lit pixels: the cube is not drawn without its textures"
((brown == 0 && red == 0)) ||
    fail "$brown brown and $red red pixels: texture colours without a textures folder"
quit_and_expect_settings "$folder" '0.1\n2\n'
expect_folder_holds "$folder" Korvalin.ini
log "PASS"
