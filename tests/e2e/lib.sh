# Shared helpers for the end-to-end tests: a private Xvfb, the viewer started in a temporary
# folder, menus clicked with xdotool, screenshots read pixel by pixel.
#
# A test script starts with:
#     set -euo pipefail
#     source "$(dirname "$0")/lib.sh"
#     e2e_init "$@"          # $1: the korvalin binary
#
# Every wait below has a timeout, and the EXIT trap stops only the processes started here (by
# their own process id) and removes the temporary folder, whether the test passes or fails.
# Set KORVALIN_E2E_KEEP=1 to keep the temporary folder (screenshots, logs) for a look.

KORVALIN=""
E2E_TMP=""
XVFB_PID=""
APP_PID=""
APP_STATUS=""
# One more background process of the script's own (e.g. a screen poller), stopped at exit.
HELPER_PID=""

# Geometry of the main window, in window coordinates (the sizes are used by the tests).
# shellcheck disable=SC2034
readonly MENU_BAR_HEIGHT=25
# shellcheck disable=SC2034
readonly WINDOW_WIDTH=640
# shellcheck disable=SC2034
readonly WINDOW_HEIGHT=480
# A menu item row in a drop-down menu is 21 px tall; the drop-down has a 2 px border on top.
readonly MENU_ITEM_PITCH=21
readonly MENU_ITEM_FIRST_CENTRE=12

log() {
    echo "[e2e] $*" >&2
}

fail() {
    echo "[e2e] FAIL: $*" >&2
    if [[ -n "$E2E_TMP" && -f "$E2E_TMP/app.log" && -s "$E2E_TMP/app.log" ]]; then
        echo "[e2e] korvalin output:" >&2
        sed 's/^/    /' "$E2E_TMP/app.log" >&2
    fi
    exit 1
}

e2e_init() {
    KORVALIN="${1:-}"
    [[ -n "$KORVALIN" ]] || fail "usage: $0 <path-to-korvalin-binary>"
    KORVALIN="$(realpath "$KORVALIN")"
    [[ -x "$KORVALIN" ]] || fail "not an executable: $KORVALIN"
    local tool
    for tool in Xvfb xdpyinfo xdotool xwininfo import convert; do
        command -v "$tool" >/dev/null || fail "missing tool: $tool"
    done
    E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/korvalin-e2e.XXXXXX")"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
}

# Stops one process this script started: TERM, then KILL after two seconds; reaps it.
stop_process() {
    local pid="$1"
    [[ -n "$pid" ]] || return 0
    if kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        local i
        for ((i = 0; i < 20; i++)); do
            process_has_ended "$pid" && break
            sleep 0.1
        done
        process_has_ended "$pid" || kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}

e2e_cleanup() {
    local status=$?
    stop_process "$HELPER_PID"
    stop_process "$APP_PID"
    stop_process "$XVFB_PID"
    if [[ "${KORVALIN_E2E_KEEP:-0}" == 1 ]]; then
        log "kept $E2E_TMP"
    elif [[ -n "$E2E_TMP" ]]; then
        rm -rf -- "$E2E_TMP"
    fi
    exit "$status"
}

# True once the process is gone or only a zombie waiting to be reaped.
process_has_ended() {
    local pid="$1" state
    [[ -r "/proc/$pid/stat" ]] || return 0
    state="$(sed 's/^.*) //' "/proc/$pid/stat" 2>/dev/null | cut -d' ' -f1)" || return 0
    [[ -z "$state" || "$state" == Z || "$state" == X ]]
}

# ---------------------------------------------------------------------------------------------
# The X server

# Starts a private Xvfb on a display it chooses itself; extra arguments go to Xvfb
# (e.g. -extension GLX); E2E_SCREEN sets another screen size. The root is white (-wr), so anything the viewer paints black shows;
# -noreset keeps the server from resetting, and refusing connections for a moment, each time
# its last client leaves.
# shellcheck disable=SC2120 # the extra arguments are optional
start_xvfb() {
    local display_file="$E2E_TMP/xvfb.display"
    : >"$display_file"
    Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp -wr -noreset "$@" \
        3>"$display_file" >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local i number=""
    for ((i = 0; i < 100; i++)); do
        number="$(head -n 1 "$display_file")"
        [[ "$number" =~ ^[0-9]+$ ]] && break
        process_has_ended "$XVFB_PID" && fail "Xvfb exited: $(cat "$E2E_TMP/xvfb.log")"
        sleep 0.1
    done
    [[ "$number" =~ ^[0-9]+$ ]] || fail "Xvfb did not report a display within 10 s"
    export DISPLAY=":$number"
    for ((i = 0; i < 100; i++)); do
        xdpyinfo >/dev/null 2>&1 && {
            log "Xvfb on $DISPLAY (pid $XVFB_PID)"
            return 0
        }
        sleep 0.1
    done
    fail "Xvfb on $DISPLAY does not answer"
}

# skip_unless_fltk_1_4 WHAT: ends the test as skipped (77) when the viewer is built with an FLTK
# older than 1.4, which does not do WHAT.
skip_unless_fltk_1_4() {
    local version="${KORVALIN_FLTK_VERSION:-}"
    [[ -n "$version" ]] || fail "KORVALIN_FLTK_VERSION is not set (the build sets it for ctest)"
    if [[ "$(printf '%s\n1.4\n' "$version" | sort -V | head -n 1)" != 1.4 ]]; then
        log "SKIPPED: the viewer is built with FLTK $version, which does not do $1"
        exit 77
    fi
}

# ---------------------------------------------------------------------------------------------
# The program

# Makes a fresh folder under the temporary folder and prints its path.
new_folder() {
    local folder="$E2E_TMP/$1"
    mkdir -p -- "$folder"
    echo "$folder"
}

# The viewer's home folder: GTK's recent files and FLTK's preferences go there, not to the user's.
app_home() {
    local home="$E2E_TMP/home"
    mkdir -p -- "$home"
    echo "$home"
}

# Sets the FLTK option that makes its file choosers FLTK's own instead of GTK's (0), as a user
# can in FLTK's preferences: FLTK 1.3 reads them from ~/.fltk, 1.4 from $XDG_CONFIG_HOME.
use_fltk_choosers() {
    local folder
    for folder in "$(app_home)/.fltk/fltk.org" "$(app_home)/.config/fltk.org"; do
        mkdir -p -- "$folder"
        printf '; FLTK preferences file format 1.0\n; vendor: fltk.org\n; application: fltk\n\n' \
            >"$folder/fltk.prefs"
        printf '[.]\n\n[./options]\nFNFCUsesGTK:0\n' >>"$folder/fltk.prefs"
    done
}

# start_app FOLDER [ARGUMENT...]: starts the viewer with FOLDER as its current directory.
start_app() {
    local folder="$1" home
    shift
    [[ -z "$APP_PID" ]] || fail "start_app: the viewer is already running (pid $APP_PID)"
    home="$(app_home)"
    (cd -- "$folder" && HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
        XDG_CACHE_HOME="$home/.cache" exec "$KORVALIN" "$@") >"$E2E_TMP/app.log" 2>&1 &
    APP_PID=$!
    APP_STATUS=""
    log "korvalin started in $folder (pid $APP_PID)"
}

app_is_running() {
    [[ -n "$APP_PID" ]] && ! process_has_ended "$APP_PID"
}

# Waits up to TIMEOUT seconds for the viewer to end; its exit status goes to APP_STATUS.
wait_for_app_exit() {
    local timeout="${1:-10}" i
    for ((i = 0; i < timeout * 10; i++)); do
        process_has_ended "$APP_PID" && break
        sleep 0.1
    done
    process_has_ended "$APP_PID" || fail "korvalin (pid $APP_PID) still runs after ${timeout} s"
    APP_STATUS=0
    wait "$APP_PID" || APP_STATUS=$?
    APP_PID=""
    log "korvalin exited with status $APP_STATUS"
}

expect_exit_status() {
    local expected="$1"
    [[ "$APP_STATUS" == "$expected" ]] ||
        fail "korvalin exit status: expected $expected, got $APP_STATUS"
}

# ---------------------------------------------------------------------------------------------
# Windows

# Prints the id of the visible window whose name is exactly NAME, or nothing. (xdotool's search
# ignores case: GTK's file chooser, named after the program, is "korvalin".)
find_window() {
    local id
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        [[ "$(xdotool getwindowname "$id" 2>/dev/null)" == "$1" ]] && {
            echo "$id"
            return 0
        }
    done
    return 0
}

# Waits up to TIMEOUT seconds for a visible window named exactly NAME and prints its id.
# Fails at once if the viewer ends meanwhile.
wait_for_window() {
    local name="$1" timeout="${2:-20}" i id
    for ((i = 0; i < timeout * 10; i++)); do
        id="$(find_window "$name")"
        if [[ -n "$id" ]]; then
            echo "$id"
            return 0
        fi
        if [[ -n "$APP_PID" ]] && process_has_ended "$APP_PID"; then
            fail "korvalin ended before a window named \"$name\" appeared"
        fi
        sleep 0.1
    done
    fail "no window named \"$name\" within ${timeout} s"
}

wait_for_window_gone() {
    local name="$1" timeout="${2:-10}" i
    for ((i = 0; i < timeout * 10; i++)); do
        [[ -z "$(find_window "$name")" ]] && return 0
        sleep 0.1
    done
    fail "the window named \"$name\" is still shown after ${timeout} s"
}

# Prints "X Y WIDTH HEIGHT" of a window, X and Y on the screen.
window_geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X:/ { x = $NF }
        /Absolute upper-left Y:/ { y = $NF }
        /^ *Width:/ { w = $NF }
        /^ *Height:/ { h = $NF }
        END { if (x == "" || h == "") exit 1; print x, y, w, h }'
}

# ---------------------------------------------------------------------------------------------
# Screenshots and pixels

screenshot() {
    import -window root "$1" || fail "screenshot $1 failed"
}

# Prints the colour at X,Y of an image as "R,G,B", 0 to 255.
pixel() {
    local file="$1" x="$2" y="$3"
    convert "$file" -format \
        "%[fx:int(255*p{$x,$y}.r+0.5)],%[fx:int(255*p{$x,$y}.g+0.5)],%[fx:int(255*p{$x,$y}.b+0.5)]" \
        info:
}

is_black() {
    [[ "$1" == "0,0,0" ]]
}

# A neutral grey, neither black nor white: FLTK's widget background.
is_grey() {
    local r g b
    IFS=, read -r r g b <<<"$1"
    [[ "$r" == "$g" && "$g" == "$b" ]] && ((r >= 150 && r <= 230))
}

# expect_pixel FILE X Y black|grey|white WHAT: X and Y are screen coordinates.
expect_pixel() {
    local file="$1" x="$2" y="$3" kind="$4" what="$5" colour
    colour="$(pixel "$file" "$x" "$y")"
    case "$kind" in
    black) is_black "$colour" ;;
    grey) is_grey "$colour" ;;
    white) [[ "$colour" == "255,255,255" ]] ;;
    *) fail "expect_pixel: unknown colour kind $kind" ;;
    esac || fail "$what: pixel ($x,$y) of $(basename "$file") is $colour, expected $kind"
}

# Waits up to TIMEOUT seconds until the screen pixel X,Y is black, i.e. the GL area painted.
wait_for_black_pixel() {
    local x="$1" y="$2" timeout="${3:-20}" i shot="$E2E_TMP/poll.png"
    for ((i = 0; i < timeout * 4; i++)); do
        import -window root -crop "1x1+$x+$y" "$shot" 2>/dev/null &&
            is_black "$(pixel "$shot" 0 0)" && return 0
        sleep 0.25
    done
    fail "the screen pixel ($x,$y) did not turn black within ${timeout} s"
}

# ---------------------------------------------------------------------------------------------
# Menus and keys

# A point on each menu title of the bar (window x) and the number of items in each menu.
menu_title_x() {
    case "$1" in
    File) echo 20 ;;
    Options) echo 75 ;;
    Help) echo 135 ;;
    *) fail "unknown menu $1" ;;
    esac
}

menu_item_count() {
    case "$1" in
    File) echo 3 ;;
    Options) echo 1 ;;
    Help) echo 1 ;;
    *) fail "unknown menu $1" ;;
    esac
}

# Prints "X Y WIDTH HEIGHT" of the open drop-down menu (an override-redirect window whose top
# edge is the menu bar's bottom edge), or nothing.
find_dropdown() {
    local bar_bottom="$1" id
    for id in $(xwininfo -root -children | awk '$1 ~ /^0x/ && /\(has no name\)/ { print $1 }'); do
        xwininfo -id "$id" 2>/dev/null | awk -v top="$bar_bottom" '
            /Absolute upper-left X:/ { x = $NF }
            /Absolute upper-left Y:/ { y = $NF }
            /^ *Width:/ { w = $NF }
            /^ *Height:/ { h = $NF }
            /Map State: IsViewable/ { viewable = 1 }
            /Override Redirect State: yes/ { override = 1 }
            END { if (viewable && override && y == top) print x, y, w, h }'
    done | head -n 1
}

# choose_menu_item WINDOW MENU INDEX: opens MENU ("File", "Options", "Help") on the window's menu
# bar, waits for its drop-down and clicks item INDEX (0 = first).
choose_menu_item() {
    local window="$1" menu="$2" index="$3"
    local geometry wx wy title_x count dropdown dx dy dh i
    geometry="$(window_geometry "$window")"
    read -r wx wy _ <<<"$geometry"
    title_x="$(menu_title_x "$menu")"
    count="$(menu_item_count "$menu")"
    ((index >= 0 && index < count)) || fail "$menu has no item $index"
    xdotool mousemove "$((wx + title_x))" "$((wy + MENU_BAR_HEIGHT / 2))" click 1
    dropdown=""
    for ((i = 0; i < 50; i++)); do
        dropdown="$(find_dropdown "$((wy + MENU_BAR_HEIGHT))")"
        [[ -n "$dropdown" ]] && break
        sleep 0.1
    done
    [[ -n "$dropdown" ]] || fail "the $menu menu did not open within 5 s"
    read -r dx dy _ dh <<<"$dropdown"
    ((dh >= count * MENU_ITEM_PITCH)) ||
        fail "the $menu drop-down is $dh px tall, too short for $count items"
    xdotool mousemove "$((dx + 20))" "$((dy + MENU_ITEM_FIRST_CENTRE + index * MENU_ITEM_PITCH))" \
        click 1
}

# Presses KEY with the pointer over WINDOW: under a bare X server the keyboard follows the
# pointer. The pointer rests near the top-left corner, away from any button.
press_key_over() {
    local window="$1" key="$2" geometry wx wy
    geometry="$(window_geometry "$window")"
    read -r wx wy _ <<<"$geometry"
    xdotool mousemove "$((wx + 4))" "$((wy + 4))"
    xdotool key "$key"
}

# Sends the window manager's close request (ICCCM WM_PROTOCOLS / WM_DELETE_WINDOW client
# message) to a window, as a window manager does when its close box is clicked. No window
# manager runs and xdotool's windowclose destroys the window instead, so the message is sent
# through Xlib directly.
send_close_request() {
    local window="$1"
    command -v python3 >/dev/null || fail "python3 is needed to send the close request"
    python3 - "$window" <<'PYTHON' || fail "could not send WM_DELETE_WINDOW to $window"
import ctypes
import ctypes.util
import sys

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

CLIENT_MESSAGE = 33
NO_EVENT_MASK = 0

x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                           ctypes.POINTER(Event)]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
window = int(sys.argv[1], 0)
event = Event()
event.xclient.type = CLIENT_MESSAGE
event.xclient.window = window
event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
event.xclient.data[1] = 0  # CurrentTime
if not x11.XSendEvent(display, window, 0, NO_EVENT_MASK, ctypes.byref(event)):
    sys.exit("XSendEvent failed")
x11.XSync(display, 0)
x11.XCloseDisplay(display)
PYTHON
}

# ---------------------------------------------------------------------------------------------
# Files

# expect_file_bytes FILE PRINTF_FORMAT: FILE holds exactly the bytes printf makes of the format.
expect_file_bytes() {
    local file="$1" format="$2"
    [[ -f "$file" ]] || fail "$file was not written"
    # shellcheck disable=SC2059 # the format is the expected content, escapes and all
    printf "$format" >"$E2E_TMP/expected.bin"
    cmp -s "$file" "$E2E_TMP/expected.bin" ||
        fail "$(basename "$file") holds $(od -c "$file" | head -n 5 | tr -s ' ') instead of" \
            "$(od -c "$E2E_TMP/expected.bin" | head -n 5 | tr -s ' ')"
}

# Fails unless FOLDER holds exactly the named files (nothing left over, such as temporaries).
expect_folder_holds() {
    local folder="$1"
    shift
    local actual expected
    actual="$(cd -- "$folder" && find . -mindepth 1 -printf '%P\n' | sort)"
    expected="$(printf '%s\n' "$@" | sed '/^$/d' | sort)"
    [[ "$actual" == "$expected" ]] ||
        fail "$folder holds [$(tr '\n' ' ' <<<"$actual")], expected [$(tr '\n' ' ' <<<"$expected")]"
}

# ---------------------------------------------------------------------------------------------
# Samples, file choosers, the client area's picture

# The repository this file belongs to; its sample meshes and textures lie in samples/.
E2E_REPO="$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")/../.." && pwd)"

samples_folder() {
    echo "$E2E_REPO/samples"
}

# The window names of FLTK's own file chooser (File > Open...) and of the folder chooser the
# viewer shows for the textures directory, GTK's or FLTK's. GTK's file chooser has no name of ours
# and is known by its window role.
readonly FILE_CHOOSER_NAME="Choose File"
readonly FOLDER_CHOOSER_NAME="Please select the textures directory."
readonly GTK_CHOOSER_ROLE="GtkFileChooserDialog"

is_gtk_chooser() {
    xprop -id "$1" WM_WINDOW_ROLE 2>/dev/null | grep -q "= \"$GTK_CHOOSER_ROLE\"\$"
}

# Prints the id of the shown file chooser of File > Open..., GTK's or FLTK's, or nothing.
find_file_chooser() {
    local id
    for id in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        is_gtk_chooser "$id" && [[ "$(xdotool getwindowname "$id")" != "$FOLDER_CHOOSER_NAME" ]] && {
            echo "$id"
            return 0
        }
    done
    find_window "$FILE_CHOOSER_NAME"
}

# shellcheck disable=SC2120 # the timeout is optional
wait_for_file_chooser() {
    local timeout="${1:-20}" i id
    for ((i = 0; i < timeout * 10; i++)); do
        id="$(find_file_chooser)"
        [[ -n "$id" ]] && {
            echo "$id"
            return 0
        }
        app_is_running || fail "korvalin ended before its file chooser appeared"
        sleep 0.1
    done
    fail "no file chooser within ${timeout} s"
}

# True while the window is mapped.
window_is_shown() {
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'
}

# Prints "X Y WIDTH HEIGHT" of the GL client area (the window below its menu bar) on the screen.
client_area_geometry() {
    local geometry x y w h
    geometry="$(window_geometry "$1")" || fail "no geometry for window $1"
    read -r x y w h <<<"$geometry"
    echo "$x" "$((y + MENU_BAR_HEIGHT))" "$w" "$((h - MENU_BAR_HEIGHT))"
}

# client_shot WINDOW FILE: a screenshot of the client area alone, its top left corner at 0,0.
client_shot() {
    local geometry x y w h
    geometry="$(client_area_geometry "$1")"
    read -r x y w h <<<"$geometry"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2" ||
        fail "screenshot of the client area into $2 failed"
}

# window_shot WINDOW FILE: a screenshot of the whole window (menu bar and client area).
window_shot() {
    local geometry x y w h
    geometry="$(window_geometry "$1")" || fail "no geometry for window $1"
    read -r x y w h <<<"$geometry"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2" || fail "screenshot into $2 failed"
}

# Writes the small image tool the helpers below run (Python reading ImageMagick's PPM output).
write_image_tool() {
    [[ -f "$E2E_TMP/image_tool.py" ]] && return 0
    command -v python3 >/dev/null || fail "python3 is needed to read screenshots"
    cat >"$E2E_TMP/image_tool.py" <<'PYTHON'
import subprocess
import sys

def read_ppm(path):
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True,
                          stdout=subprocess.PIPE).stdout
    fields, position = [], 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    position += 1
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit("unexpected PPM header from convert: %r" % fields)
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[position:position + 3 * width * height]

# Pixel classes: "lit" is anything but the black background; "brown" the crate texture's wood
# (red over green over blue, well apart: the untextured cube's beige 242,217,179 is not);
# "red" the red square in the corner of every sample texture.
def stats(path):
    width, height, pixels = read_ppm(path)
    lit = brown = 0
    x0, y0, x1, y1 = width, height, -1, -1
    reds = set()
    for y in range(height):
        row = pixels[3 * width * y:3 * width * (y + 1)]
        for x in range(width):
            r, g, b = row[3 * x], row[3 * x + 1], row[3 * x + 2]
            if max(r, g, b) <= 24:
                continue
            lit += 1
            x0, y0, x1, y1 = min(x0, x), min(y0, y), max(x1, x), max(y1, y)
            if r >= 60 and r - g >= 30 and g - b >= 15:
                brown += 1
            if r >= 150 and g <= 80 and b <= 80:
                reds.add((x, y))
    if lit == 0:
        x0 = y0 = x1 = y1 = -1
    # The centre of the largest patch of touching red pixels: the mark on the face seen most
    # squarely when more than one face shows its mark.
    largest, left = [], set(reds)
    while left:
        patch, todo = [], [left.pop()]
        while todo:
            x, y = todo.pop()
            patch.append((x, y))
            for dx in (-1, 0, 1):
                for dy in (-1, 0, 1):
                    if (x + dx, y + dy) in left:
                        left.discard((x + dx, y + dy))
                        todo.append((x + dx, y + dy))
        if len(patch) > len(largest):
            largest = patch
    if largest:
        centre = (sum(x for x, _ in largest) // len(largest),
                  sum(y for _, y in largest) // len(largest))
    else:
        centre = (-1, -1)
    print(lit, brown, len(reds), x0, y0, x1, y1, centre[0], centre[1])

# Pixels whose channels differ by more than TOLERANCE (0: any difference).
def diff(first, second, tolerance):
    w1, h1, p1 = read_ppm(first)
    w2, h2, p2 = read_ppm(second)
    if (w1, h1) != (w2, h2):
        sys.exit("the images differ in size: %dx%d and %dx%d" % (w1, h1, w2, h2))
    if p1 == p2:
        print(0)
    else:
        print(sum(1 for i in range(0, len(p1), 3)
                  if p1[i:i + 3] != p2[i:i + 3] and
                  max(abs(a - b) for a, b in zip(p1[i:i + 3], p2[i:i + 3])) > tolerance))

# Other test scripts import read_ppm from it.
if __name__ != "__main__":
    pass
elif sys.argv[1] == "stats":
    stats(sys.argv[2])
elif sys.argv[1] == "diff":
    diff(sys.argv[2], sys.argv[3], int(sys.argv[4]) if len(sys.argv) > 4 else 0)
else:
    sys.exit("unknown command " + sys.argv[1])
PYTHON
}

# image_stats FILE: prints "LIT BROWN RED X0 Y0 X1 Y1 RED_X RED_Y": the number of lit (not black),
# brown (crate wood) and red (texture corner mark) pixels, the box around the lit pixels
# (-1 when none) and the centre of the largest patch of red ones (-1 when none).
image_stats() {
    write_image_tool
    python3 "$E2E_TMP/image_tool.py" stats "$1" || fail "could not read $1"
}

# differing_pixels FIRST SECOND [TOLERANCE]: prints how many pixels of two images of one size
# differ, in a channel by more than TOLERANCE when given.
differing_pixels() {
    write_image_tool
    python3 "$E2E_TMP/image_tool.py" diff "$1" "$2" "${3:-0}" || fail "could not compare $1 and $2"
}

# settled_shot FILE TIMEOUT SHOOT...: the screenshot that the command SHOOT... FILE takes, once
# the picture has stopped changing (two shots 0.3 s apart are the same), so that every event
# already sent has been drawn.
settled_shot() {
    local file="$1" timeout="$2" i previous="$E2E_TMP/settle-a.png" current="$E2E_TMP/settle-b.png"
    shift 2
    sleep 0.3
    "$@" "$previous"
    for ((i = 0; i < timeout * 10 / 3; i++)); do
        sleep 0.3
        "$@" "$current"
        if [[ "$(differing_pixels "$previous" "$current")" == 0 ]]; then
            mv -- "$current" "$file"
            return 0
        fi
        mv -- "$current" "$previous"
    done
    fail "the picture kept changing for ${timeout} s"
}

# settled_client_shot WINDOW FILE [TIMEOUT]: a client area screenshot, settled.
settled_client_shot() {
    settled_shot "$2" "${3:-10}" client_shot "$1"
}

# wait_for_client_change WINDOW REFERENCE FILE [TIMEOUT]: waits until the client area differs from
# the REFERENCE screenshot, then saves it, settled, to FILE.
wait_for_client_change() {
    local window="$1" reference="$2" file="$3" timeout="${4:-10}" i shot="$E2E_TMP/change.png"
    for ((i = 0; i < timeout * 4; i++)); do
        client_shot "$window" "$shot"
        if [[ "$(differing_pixels "$reference" "$shot")" != 0 ]]; then
            settled_client_shot "$window" "$file" "$timeout"
            return 0
        fi
        sleep 0.25
    done
    return 1
}

# chooser_type_path CHOOSER PATH: types PATH into the "Filename:" field of an FLTK file or folder
# chooser, replacing what it holds, and keeps a picture of the field as
# $E2E_TMP/chooser-field.png. The chooser acts on every key (it changes folder at each "/" and
# completes names, selecting the completed tail), so the text is typed one key at a time: first
# a "/" over the whole field, selected with Ctrl+A, which takes the chooser to the top of the file
# system with an empty field; then the absolute path, which it follows folder by folder.
#
# GTK's chooser takes the path in its location entry (Ctrl+L), typed slowly, as a user would.
chooser_type_path() {
    local chooser="$1" path="$2" geometry x y w h
    [[ "$path" == /* ]] || fail "chooser_type_path: $path is not an absolute path"
    geometry="$(window_geometry "$chooser")" || fail "the chooser window $chooser is gone"
    read -r x y w h <<<"$geometry"
    if is_gtk_chooser "$chooser"; then
        gtk_chooser_type_path "$x" "$y" "$w" "$path"
        return 0
    fi
    # The field lies along the bottom, 57 px above the chooser's lower edge, from x = 116 to
    # 26 px short of its right edge. Under a bare X server the keys go where the pointer is.
    xdotool mousemove "$((x + w - 100))" "$((y + h - 57))" click 1
    sleep 0.2
    xdotool key ctrl+a
    xdotool type --delay 60 "/"
    sleep 0.3
    xdotool type --delay 60 -- "$path"
    sleep 0.3
    import -window root -crop "$((w - 116))x30+$((x + 112))+$((y + h - 72))" +repage \
        "$E2E_TMP/chooser-field.png" || true
}

gtk_chooser_type_path() {
    local x="$1" y="$2" w="$3" path="$4"
    # Under a bare X server the keys go where the pointer is: over the dialog's title area.
    xdotool mousemove "$((x + w / 2))" "$((y + 20))"
    sleep 0.2
    xdotool key ctrl+l
    sleep 0.3
    xdotool key ctrl+a
    xdotool type --delay 100 -- "$path"
    sleep 0.5
    # The location entry runs along the top, below the path buttons.
    import -window root -crop "$((w - 100))x30+$((x + 88))+$((y + 54))" +repage \
        "$E2E_TMP/chooser-field.png" || true
}

# chooser_accept CHOOSER_NAME CHOOSER return|ok: confirms the chooser with the Return key or its OK
# (GTK: Open) button and waits for it to close; fails, naming the picture of the field, if it stays.
chooser_accept() {
    local name="$1" chooser="$2" how="$3" geometry x y w h gtk=0
    geometry="$(window_geometry "$chooser")" || fail "the chooser window $chooser is gone"
    read -r x y w h <<<"$geometry"
    is_gtk_chooser "$chooser" && gtk=1
    case "$how:$gtk" in
    return:0) xdotool mousemove "$((x + w - 100))" "$((y + h - 57))" key Return ;;
    return:1) xdotool mousemove "$((x + w / 2))" "$((y + 20))" key Return ;;
    # OK sits left of Cancel in the bottom right corner; GTK's Open is the corner button.
    ok:0) xdotool mousemove "$((x + w - 135))" "$((y + h - 23))" click 1 ;;
    ok:1) xdotool mousemove "$((x + w - 58))" "$((y + h - 29))" click 1 ;;
    *) fail "chooser_accept: unknown way $how" ;;
    esac
    local i
    for ((i = 0; i < 50; i++)); do
        window_is_shown "$chooser" || return 0
        sleep 0.1
    done
    fail "the \"$name\" chooser did not take the path typed (see chooser-field.png in $E2E_TMP," \
        "kept with KORVALIN_E2E_KEEP=1)"
}

# chooser_cancel CHOOSER_NAME CHOOSER: clicks Cancel (bottom right corner) and waits for it to close.
# GTK's Cancel is left of Open.
chooser_cancel() {
    local name="$1" chooser="$2" geometry x y w h i
    geometry="$(window_geometry "$chooser")" || fail "the chooser window $chooser is gone"
    read -r x y w h <<<"$geometry"
    if is_gtk_chooser "$chooser"; then
        xdotool mousemove "$((x + w - 155))" "$((y + h - 29))" click 1
    else
        xdotool mousemove "$((x + w - 47))" "$((y + h - 23))" click 1
    fi
    for ((i = 0; i < 50; i++)); do
        window_is_shown "$chooser" || return 0
        sleep 0.1
    done
    fail "the \"$name\" chooser is still shown 5 s after Cancel"
}

# open_mesh WINDOW PATH: File > Open..., PATH typed into the file chooser, Return.
open_mesh() {
    local window="$1" path="$2" chooser
    choose_menu_item "$window" File 0 # Open...
    chooser="$(wait_for_file_chooser)"
    chooser_type_path "$chooser" "$path"
    chooser_accept "file" "$chooser" return
}

# wait_for_mesh_drawn WINDOW FILE [TIMEOUT]: waits until the client area shows something other than
# black and saves it, settled, to FILE. Fails if the textures folder chooser shows up meanwhile
# unless ALLOW_FOLDER_CHOOSER=1.
wait_for_mesh_drawn() {
    local window="$1" file="$2" timeout="${3:-20}" i shot="$E2E_TMP/mesh-poll.png" lit
    for ((i = 0; i < timeout * 4; i++)); do
        if [[ "${ALLOW_FOLDER_CHOOSER:-0}" != 1 && -n "$(find_window "$FOLDER_CHOOSER_NAME")" ]]; then
            fail "the textures folder chooser appeared while the mesh was loading"
        fi
        app_is_running || fail "korvalin ended while the mesh was loading"
        client_shot "$window" "$shot"
        read -r lit _ <<<"$(image_stats "$shot")"
        if ((lit > 0)); then
            settled_client_shot "$window" "$file"
            return 0
        fi
        sleep 0.25
    done
    fail "the client area stayed black for ${timeout} s after the mesh was opened"
}

# wait_for_black_client WINDOW: waits until the client area's centre shows the viewer's black.
wait_for_black_client() {
    local cx cy cw ch
    read -r cx cy cw ch <<<"$(client_area_geometry "$1")"
    wait_for_black_pixel $((cx + cw / 2)) $((cy + ch / 2))
}

# start_on_samples NAME: starts the viewer in a new folder NAME whose Korvalin.ini holds the
# default sensitivities and the samples folder as textures folder; sets `folder` and `window`
# and returns once the client area is drawn black.
start_on_samples() {
    folder="$(new_folder "$1")"
    printf '0.1\n2\n%s' "$(samples_folder)" >"$folder/Korvalin.ini"
    start_app "$folder"
    window="$(wait_for_window Korvalin)"
    wait_for_black_client "$window"
}

# quit_and_expect_settings FOLDER BYTES: File > Quit on `window`; the viewer ends with status 0,
# leaving FOLDER/Korvalin.ini holding BYTES (printf escapes) and no window.
quit_and_expect_settings() {
    choose_menu_item "$window" File 2 # Quit
    wait_for_app_exit 10
    expect_exit_status 0
    expect_file_bytes "$1/Korvalin.ini" "$2"
    wait_for_window_gone Korvalin
}

# expect_box_drawn WINDOW NAME: the message box WINDOW is drawn: larger than a bare frame, its
# four corners grey, and text, icon or button on the grey (more than two colours in it).
expect_box_drawn() {
    local box="$1" name="$2" shot="$E2E_TMP/box.png" geometry x y w h i colours
    geometry="$(window_geometry "$box")"
    read -r x y w h <<<"$geometry"
    ((w > 100 && h > 60)) || fail "the $name box is only ${w}x${h}"
    # FLTK draws the box once it is mapped; give it a moment to show its background.
    for ((i = 0; i < 40; i++)); do
        screenshot "$shot"
        is_grey "$(pixel "$shot" $((x + 4)) $((y + h - 4)))" && break
        sleep 0.25
    done
    expect_pixel "$shot" $((x + 4)) $((y + 4)) grey "$name box, top left"
    expect_pixel "$shot" $((x + w - 4)) $((y + 4)) grey "$name box, top right"
    expect_pixel "$shot" $((x + 4)) $((y + h - 4)) grey "$name box, bottom left"
    expect_pixel "$shot" $((x + w - 4)) $((y + h - 4)) grey "$name box, bottom right"
    colours="$(convert "$shot" -crop "${w}x${h}+${x}+${y}" +repage -unique-colors \
        -format '%w' info:)"
    ((colours > 2)) || fail "the $name box shows only $colours colour(s): nothing drawn on it"
}

# drop_on_window WINDOW URI...: drops the URIs on the middle of the window's client area as a
# file manager does (XDND, text/uri-list), with the drag source built beside the tests.
drop_on_window() {
    local window="$1" x y w h source="${KORVALIN_DRAG_SOURCE:-}"
    shift
    [[ -x "$source" ]] || fail "no drag source (KORVALIN_DRAG_SOURCE=$source)"
    read -r x y w h <<<"$(client_area_geometry "$window")"
    timeout 20 "$source" "$window" $((x + w / 2)) $((y + h / 2)) "$@" ||
        fail "the drop of $* on the viewer did not complete"
}
