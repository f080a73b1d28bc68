#!/usr/bin/env bash
# A model opened as a file manager opens it: `korvalin /some/folder/model.msh`, started in
# another folder whose Korvalin.ini names a different, existing textures folder. The images lie
# beside the model only, and the cube shows them (the crate's wood and the red corner mark)
# without asking for a folder; Quit leaves the settings as they were. With no settings file the
# viewer still asks for the folder, and when that is cancelled the images beside the model are
# still shown.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

samples="$(samples_folder)"
[[ -f "$samples/cube.msh" && -f "$samples/crate.png" ]] || fail "no cube sample in $samples"

model="$(new_folder some/folder)"
cp -- "$samples/cube.msh" "$model/model.msh"
cp -- "$samples/crate.png" "$samples/stripes.tga" "$model/"
other="$(new_folder other-textures)"
cp -- "$samples/checker.png" "$other/"

expect_textured() {
    local shot="$1" lit brown red
    read -r lit brown red _ <<<"$(image_stats "$shot")"
    log "$(basename "$shot"): $lit lit pixels, $brown brown, $red red"
    ((brown >= 2000)) || fail "only $brown brown pixels: the crate texture beside the model is not shown"
    ((red >= 20)) || fail "only $red red pixels: the textures' corner mark is not shown"
}

start_xvfb

elsewhere="$(new_folder elsewhere)"
printf '0.1\n2\n%s' "$other" >"$elsewhere/Korvalin.ini"
start_app "$elsewhere" "$model/model.msh"
window="$(wait_for_window Korvalin)"
wait_for_mesh_drawn "$window" "$E2E_TMP/from-anywhere.png"
expect_textured "$E2E_TMP/from-anywhere.png"
quit_and_expect_settings "$elsewhere" "0.1\n2\n$other"

fresh="$(new_folder fresh)"
start_app "$fresh" "$model/model.msh"
chooser="$(wait_for_window "$FOLDER_CHOOSER_NAME")"
chooser_cancel "$FOLDER_CHOOSER_NAME" "$chooser"
window="$(wait_for_window Korvalin)"
ALLOW_FOLDER_CHOOSER=1 wait_for_mesh_drawn "$window" "$E2E_TMP/cancelled.png"
expect_textured "$E2E_TMP/cancelled.png"
quit_and_expect_settings "$fresh" '0.1\n2\n'
log "PASS"
