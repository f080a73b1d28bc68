# Shared helpers of the Wine suite: the Windows program (korvalin.exe) run by Wine on a private
# Xvfb, driven with xdotool through its native menus and the system's own common dialogs. Built
# on the Linux end-to-end helpers (tests/e2e/lib.sh): the same Xvfb, waits, screenshots and
# pixel statistics, and the same clean-up by process id.
#
# A test script starts with:
#     set -euo pipefail
#     source "$(dirname "$0")/lib.sh"
#     wine_init "$@"      # korvalin.exe, DevIL.dll, the Linux korvalin-render
#
# The Wine prefix is made once by the runner (tests/wine/run.sh) and named in WINEPREFIX; each
# test stops the prefix's wineserver at exit, so nothing of Wine outlives it.

# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

# shellcheck source=tests/wine/wine_tools.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine_tools.sh"
KORVALIN_RENDER=""
APP_FOLDER=""
MENU_HEIGHT=""

wine_cleanup() {
    local status=$?
    # Every step runs, also after a failing test: under set -e the status handed on below
    # would otherwise end the script before Xvfb and the program are stopped.
    set +e
    "$WINE_SERVER" -k 2>/dev/null
    # A prefix of the test's own goes with its server's folder; the run's is the runner's.
    [[ "$WINEPREFIX" != "$E2E_TMP"/* ]] || remove_wine_server_folder "$WINEPREFIX"
    (exit "$status")
    e2e_cleanup
}

wine_init() {
    local exe="$1" devil="${2:-}"
    KORVALIN_RENDER="${3:-}"
    e2e_init "$exe"
    trap wine_cleanup EXIT
    [[ -f "$devil" ]] || fail "no DevIL.dll for the program: '$devil'"
    [[ -x "$KORVALIN_RENDER" ]] || fail "no korvalin-render to compare with: '$KORVALIN_RENDER'"
    [[ -d "${WINEPREFIX:-}" ]] || fail "no Wine prefix in WINEPREFIX"
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    # The program as users install it: DevIL.dll beside korvalin.exe.
    APP_FOLDER="$(new_folder app)"
    cp "$exe" "$APP_FOLDER/korvalin.exe"
    cp "$devil" "$APP_FOLDER/DevIL.dll"
}

# The Windows name of a Unix path, through Wine's Z: drive.
windows_path() {
    printf 'Z:%s' "${1//\//\\}"
}

# start_wine_app FOLDER [ARGUMENT...]: korvalin.exe with FOLDER as its current directory.
start_wine_app() {
    local folder="$1" started=$SECONDS
    shift
    (cd -- "$folder" && exec "$WINE_LOADER" "$APP_FOLDER/korvalin.exe" "$@") \
        >"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
    APP_STATUS=""
    window="$(wait_for_window Korvalin 60)"
    log "korvalin.exe started in $folder (pid $APP_PID), window shown after $((SECONDS - started)) s"
    MENU_HEIGHT="$(menu_bar_height)"
}

# Prints the menu bar's height: the rows above the window's first row that is black from edge to
# edge (the client area's top; the menu titles' text is black too, and where it starts depends on
# Wine's menu layout), polled until the bar (its top row not black) and the client area are first
# painted.
menu_bar_height() {
    local x y w h shot="$E2E_TMP/menu-poll.png" row i
    read -r x y w h <<<"$(window_geometry "$window")"
    for ((i = 0; i < 80; i++)); do
        screenshot "$shot"
        row="$(convert "$shot" -crop "${w}x60+${x}+${y}" +repage -depth 8 txt:- | awk -F '[,:]' '
            NR > 1 && !/#000000/ { lit[$2] = 1 }
            END { if (0 in lit) for (r = 1; r < 60; r++) if (!(r in lit)) { print r; exit } }')"
        [[ -n "$row" ]] && {
            echo "$row"
            return 0
        }
        sleep 0.25
    done
    fail "no black client area below the menu bar within 20 s"
}

# Clicks a point of the window, in window coordinates.
click_window() {
    local x y w h
    read -r x y w h <<<"$(window_geometry "$window")"
    xdotool mousemove $((x + $1)) $((y + $2)) click 1
}

# wine_menu TITLE_X ITEM_Y: opens the menu whose title is at TITLE_X on the bar and clicks the
# item ITEM_Y pixels below the bar's top (the drop-down's rows are 17 px, the first at 30).
wine_menu() {
    click_window "$1" 10
    sleep 0.5
    click_window $(($1 + 30)) "$2"
}
readonly FILE_MENU=16 OPTIONS_MENU=60
readonly OPEN_ITEM=30 TEXTURES_ITEM=47 QUIT_ITEM=64 SENSITIVITY_ITEM=30

# press_return_in WINDOW: Return, sent to a dialog or message box. Wine may close the box on the
# key's press already, so a release that finds no window is no fault; the caller checks what the
# key did.
press_return_in() {
    xdotool keydown --window "$1" Return
    xdotool keyup --window "$1" Return 2>/dev/null || true
}

# enter_text TEXT: into the control with the focus. xdotool's typing reaches Wine with the
# keyboard's own letters only, so other text is pasted from the X clipboard, which an xclip of
# the test's own offers until the paste is done.
enter_text() {
    if LC_ALL=C grep -q '^[ -~]*$' <<<"$1"; then
        xdotool type --delay 5 "$1"
        return 0
    fi
    printf '%s' "$1" | xclip -selection clipboard -quiet >"$E2E_TMP/xclip.log" 2>&1 &
    HELPER_PID=$!
    sleep 0.5
    xdotool key ctrl+v
    sleep 0.5
    stop_process "$HELPER_PID"
    HELPER_PID=""
}

# Enters a path into the common file dialog's name box (which has the focus) and opens it.
open_through_dialog() {
    local dialog
    wine_menu $FILE_MENU $OPEN_ITEM
    dialog="$(wait_for_window Open 20)"
    sleep 0.5
    enter_text "$(windows_path "$1")"
    xdotool key Return
    wait_for_window_gone Open 20
}

# wine_client_shot FILE: the client area below the menu bar.
wine_client_shot() {
    local x y w h
    read -r x y w h <<<"$(window_geometry "$window")"
    import -window root -crop "${w}x$((h - MENU_HEIGHT))+${x}+$((y + MENU_HEIGHT))" +repage "$1" ||
        fail "screenshot of the client area failed"
}

# Waits until the client area shows something lit and saves it, settled, to FILE.
wait_for_wine_mesh() {
    local file="$1" i lit previous=""
    for ((i = 0; i < 80; i++)); do
        app_is_running || fail "korvalin.exe ended while the mesh was loading"
        wine_client_shot "$file"
        read -r lit _ <<<"$(image_stats "$file")"
        if ((lit > 0)) && [[ "$lit" == "$previous" ]]; then return 0; fi
        previous=$lit
        sleep 0.25
    done
    fail "no mesh drawn within 20 s"
}

quit_wine_app() {
    wine_menu $FILE_MENU $QUIT_ITEM
    wait_for_app_exit 20
}

# expect_wine_cube FILE: the client-area shot FILE shows the sample cube with its crate texture
# where korvalin-render draws it at start-up (cut by the menu bar), within 3 px, with as many
# crate pixels within a tenth, and the texture's red corner mark.
expect_wine_cube() {
    local reference="$E2E_TMP/cube-reference.png" samples lit brown red x0 y0 x1 y1 rb rx0 ry0 rx1 ry1 d
    samples="$(samples_folder)"
    if [[ ! -f "$reference" ]]; then
        "$KORVALIN_RENDER" --textures "$samples" --size 640x480 "$samples/cube.msh" \
            -o "$E2E_TMP/cube-frame.png" || fail "korvalin-render could not draw the cube"
        convert "$E2E_TMP/cube-frame.png" -crop "640x$((480 - MENU_HEIGHT))+0+$MENU_HEIGHT" +repage \
            "$reference"
    fi
    read -r lit brown red x0 y0 x1 y1 _ <<<"$(image_stats "$1")"
    read -r _ rb _ rx0 ry0 rx1 ry1 _ <<<"$(image_stats "$reference")"
    log "cube drawn: $lit lit, $brown brown, $red red, box $x0,$y0-$x1,$y1 (menu bar $MENU_HEIGHT px)"
    ((red > 0)) || fail "the red corner mark of the texture is not shown"
    for d in $((x0 - rx0)) $((y0 - ry0)) $((x1 - rx1)) $((y1 - ry1)); do
        ((d >= -3 && d <= 3)) ||
            fail "the cube covers $x0,$y0-$x1,$y1; in korvalin-render's frame $rx0,$ry0-$rx1,$ry1"
    done
    ((brown * 10 >= rb * 9 && brown * 10 <= rb * 11)) ||
        fail "$brown crate pixels under Wine, $rb in korvalin-render's frame"
}

# squares_mesh FILE IMAGE...: a mesh of up to twelve squares in rows of four, each textured
# with the next image, with black between them. The viewer looks along x, with y up on the
# screen and z to the left.
squares_mesh() {
    local file="$1" i left top right bottom
    shift
    {
        printf 'MSHX1\nGROUPS %d\n' $#
        for ((i = 0; i < $#; i++)); do
            left=$((i % 4 * 3 - 6)) top=$((4 - i / 4 * 3))
            right=$((left + 2)) bottom=$((top - 2))
            printf 'LABEL square%d\nMATERIAL 1\nTEXTURE %d\nGEOM 4 2\n' $i $((i + 1))
            printf '0 %d %d -1 0 0 %s\n' $bottom $((-left)) "0 1" $bottom $((-right)) "1 1" \
                $top $((-right)) "1 0" $top $((-left)) "0 0"
            printf '0 2 1\n0 3 2\n'
        done
        printf 'MATERIALS 1\nwhite\nMATERIAL white\n1 1 1 1\n1 1 1 1\n0 0 0 1 1\n0 0 0 1\n'
        printf 'TEXTURES %d\n' $#
        printf '%s\n' "$@"
    } >"$file"
}

# square_stats FIRST SECOND: a line for each square, in the order drawn (the cells of lit columns
# and lit rows that FIRST shows anything in): its wood pixels in FIRST, in SECOND, and the pixels that differ between them,
# at all and by more than 3 in a channel.
square_stats() {
    write_image_tool
    python3 - "$E2E_TMP" "$1" "$2" <<'PYTHON' || fail "could not compare the squares"
import sys
sys.path.insert(0, sys.argv[1])
from image_tool import read_ppm
width, height, first = read_ppm(sys.argv[2])
_, _, second = read_ppm(sys.argv[3])
lit = lambda x, y: max(first[3 * (y * width + x):3 * (y * width + x) + 3]) > 24
def runs(flags):
    found, start = [], None
    for i, flag in enumerate(flags + [False]):
        if flag and start is None: start = i
        if not flag and start is not None: found.append((start, i)); start = None
    return found
columns = runs([any(lit(x, y) for y in range(0, height, 2)) for x in range(width)])
rows = runs([any(lit(x, y) for x in range(0, width, 2)) for y in range(height)])
def wood(pixels, at):
    r, g, b = pixels[at:at + 3]
    return r > g + 20 and g > b + 10
for top, bottom in rows:
    for left, right in columns:
        counts, shown = [0, 0, 0, 0], False
        for y in range(top, bottom):
            for x in range(left, right):
                at = 3 * (y * width + x)
                a, b = first[at:at + 3], second[at:at + 3]
                shown = shown or lit(x, y)
                counts[0] += wood(first, at)
                counts[1] += wood(second, at)
                counts[2] += a != b
                counts[3] += max(abs(p - q) for p, q in zip(a, b)) > 3
        if shown:
            print(*counts)
PYTHON
}

