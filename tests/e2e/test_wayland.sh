#!/usr/bin/env bash
# Native Wayland: with WAYLAND_DISPLAY set and no X display, the viewer comes up as a Wayland
# window (xdg-shell, no Xwayland) under a real compositor, sway on its headless backend, and
# Mesa's software GL presents the textured cube there: grim's screenshot of the window is
# korvalin-render's start-up frame. Closing the window (the compositor's close request, what the
# title bar's close box sends) ends the viewer with status 0 and writes its settings back.
set -euo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_init "$@"
skip_unless_fltk_1_4 "native Wayland"
for tool in sway swaymsg grim; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool (scripts/install-deps.sh)"
done

samples="$(samples_folder)"
render="$(dirname "$KORVALIN")/../tools/korvalin-render"
[[ -x "$render" ]] || fail "no korvalin-render beside the viewer"

# A private compositor: its own runtime folder, one 1024x768 output, no Xwayland, and the
# viewer's window floating at the size it asks for (sway tiles windows otherwise).
start_sway() {
    local runtime config i socket
    runtime="$(new_folder runtime)"
    chmod 700 "$runtime"
    config="$E2E_TMP/sway.conf"
    printf '%s\n' 'output HEADLESS-1 resolution 1024x768 position 0 0' 'default_border none' \
        'xwayland disable' 'for_window [app_id="korvalin"] floating enable' >"$config"
    XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 \
        WLR_RENDERER=pixman sway -c "$config" >"$E2E_TMP/sway.log" 2>&1 &
    HELPER_PID=$!
    for ((i = 0; i < 100; i++)); do
        socket="$(find "$runtime" -maxdepth 1 -type s -name 'wayland-*' -printf '%f\n' | head -n 1)"
        [[ -n "$socket" && -n "$(find "$runtime" -maxdepth 1 -name 'sway-ipc.*')" ]] && break
        process_has_ended "$HELPER_PID" && fail "sway exited: $(cat "$E2E_TMP/sway.log")"
        sleep 0.1
    done
    [[ -n "$socket" ]] || fail "sway made no Wayland socket within 10 s"
    unset DISPLAY
    export XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket"
    SWAYSOCK="$(find "$runtime" -maxdepth 1 -name 'sway-ipc.*' | head -n 1)"
    export SWAYSOCK
    log "sway on $WAYLAND_DISPLAY (pid $HELPER_PID)"
}

# Prints "SHELL X Y WIDTH HEIGHT" of the window titled Korvalin in sway's tree, or nothing.
viewer_window() {
    swaymsg -t get_tree | python3 -c '
import json, sys
def walk(node):
    if node.get("name") == "Korvalin" and node.get("pid"):
        r = node["rect"]
        print(node.get("shell"), r["x"], r["y"], r["width"], r["height"])
        sys.exit(0)
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(sys.stdin))'
}

start_sway
folder="$(new_folder wayland)"
printf '0.1\n2\n%s' "$samples" >"$folder/Korvalin.ini"
start_app "$folder" "$samples/cube.msh"
for ((i = 0; i < 100; i++)); do
    read -r shell wx wy ww wh <<<"$(viewer_window)" || true
    [[ -n "${shell:-}" ]] && break
    app_is_running || fail "korvalin ended before its window appeared"
    sleep 0.1
done
[[ -n "${shell:-}" ]] || fail "no Korvalin window in sway's tree within 10 s"
[[ "$shell" == xdg_shell ]] || fail "the window came up through $shell, not as a Wayland window"
[[ "$ww x $wh" == "640 x 480" ]] || fail "the window is ${ww}x${wh}, not 640x480"

# The client area below the menu bar shows the lower rows of the 640x480 start-up frame.
ch=$((wh - MENU_BAR_HEIGHT))
"$render" --textures "$samples" --size 640x480 "$samples/cube.msh" -o "$E2E_TMP/frame.png" ||
    fail "korvalin-render could not draw the cube"
convert "$E2E_TMP/frame.png" -crop "640x${ch}+0+$MENU_BAR_HEIGHT" +repage "$E2E_TMP/reference.png"
for ((i = 0; i < 40; i++)); do
    grim -g "$wx,$((wy + MENU_BAR_HEIGHT)) 640x$ch" "$E2E_TMP/client.png" || fail "grim failed"
    # Presenting through the compositor may round a channel by one.
    differing="$(differing_pixels "$E2E_TMP/reference.png" "$E2E_TMP/client.png" 1)"
    ((differing * 200 <= 640 * ch)) && break
    sleep 0.25
done
((differing * 200 <= 640 * ch)) ||
    fail "$differing pixels of the client area differ from korvalin-render's frame"
read -r _ brown red _ <<<"$(image_stats "$E2E_TMP/client.png")"
((brown >= 2000 && red > 0)) || fail "the crate is not drawn ($brown brown, $red red pixels)"
log "a native Wayland window shows the textured cube ($differing pixels differ from the frame)"

swaymsg -q '[app_id="korvalin"] kill' || fail "swaymsg could not ask the window to close"
wait_for_app_exit 10
expect_exit_status 0
expect_file_bytes "$folder/Korvalin.ini" "0.1\n2\n$samples"
