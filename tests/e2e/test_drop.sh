#!/usr/bin/env bash
# A file dropped on the window from a file manager (XDND, text/uri-list) opens as File > Open...
# would: the textured cube from a folder whose name needs %-escapes in a URI shows at once, and
# of two files dropped together the first opens. A dropped file that is not a mesh gives the
# "Error" box, and after OK the viewer ends with status 1, its settings untouched.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"

start_xvfb
start_on_samples drop
models="$(new_folder "my models #1")"
cp "$(samples_folder)/cube.msh" "$models/cube.msh"
printf 'hello\n' >"$models/notes.txt"
settings_before="$(cat "$folder/Korvalin.ini")"

drop_on_window "$window" "file://$(printf '%s' "$models" | sed 's/ /%20/g; s/#/%23/g')/cube.msh" \
    "file://$models/notes.txt"
wait_for_mesh_drawn "$window" "$E2E_TMP/dropped.png"
read -r lit brown _ <<<"$(image_stats "$E2E_TMP/dropped.png")"
((brown >= 2000)) || fail "only $brown brown pixels of $lit lit: the dropped cube is not shown textured"

drop_on_window "$window" "file://localhost$(printf '%s' "$models" | sed 's/ /%20/g; s/#/%23/g')/notes.txt"
box="$(wait_for_window Error 10)"
expect_box_drawn "$box" Error
press_key_over "$box" Return
wait_for_app_exit 10
expect_exit_status 1
[[ "$(cat "$folder/Korvalin.ini")" == "$settings_before" ]] ||
    fail "the settings file changed after the failed drop"
log "PASS"
