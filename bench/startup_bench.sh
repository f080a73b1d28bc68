#!/usr/bin/env bash
# Startup time of the viewer under Xvfb: from the moment the process is started to its first
# frame on screen, i.e. the window is mapped and its GL client area has been painted: the
# client area's centre pixel turns black (before that it shows the X server's white root, then
# the grey of the window's own background).
#
#     bench/startup_bench.sh [KORVALIN_BINARY] [RUNS]
#
# Defaults: build/app/korvalin, 9 runs. Each run starts the viewer in a fresh folder and quits
# it through File > Quit. Prints every run and the median; asserts nothing.
#
# The screen is watched by a small Xlib poller (Python ctypes, about one probe a millisecond)
# started before the viewer, so the figure is not coarsened by starting a screenshot tool per
# probe.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=tests/e2e/lib.sh
source "$repo/tests/e2e/lib.sh"
e2e_init "${1:-$repo/build/app/korvalin}"
runs="${2:-9}"
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || fail "RUNS must be a positive number, not $runs"
command -v python3 >/dev/null || fail "python3 is needed for the screen poller"

# Writes "ready" once connected, then, when the first frame shows, one line:
# "<ns when first viewable> <ns when painted> <pixel seen when first viewable, hex>".
write_poller() {
    cat >"$E2E_TMP/first_frame.py" <<'PYTHON'
import ctypes
import ctypes.util
import sys
import time

NAME = b"Korvalin"
MENU_BAR_HEIGHT = 25
IS_VIEWABLE = 2
Z_PIXMAP = 2
ALL_PLANES = ctypes.c_ulong(-1).value
TIMEOUT_S = float(sys.argv[1])

class WindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int),
                ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]

x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                           ctypes.POINTER(ctypes.c_uint)]
x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                     ctypes.POINTER(WindowAttributes)]
x11.XTranslateCoordinates.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                      ctypes.c_int, ctypes.c_int,
                                      ctypes.POINTER(ctypes.c_int),
                                      ctypes.POINTER(ctypes.c_int),
                                      ctypes.POINTER(ctypes.c_ulong)]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x11.XDestroyImage.argtypes = [ctypes.c_void_p]
x11.XSetErrorHandler.argtypes = [ctypes.c_void_p]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
# A window can vanish between two requests; such errors are not fatal here.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
x11.XSetErrorHandler(ctypes.cast(ERROR_HANDLER, ctypes.c_void_p))
root = x11.XDefaultRootWindow(display)

def viewer_window():
    parent, root_out = ctypes.c_ulong(), ctypes.c_ulong()
    children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
    if not x11.XQueryTree(display, root, ctypes.byref(root_out), ctypes.byref(parent),
                          ctypes.byref(children), ctypes.byref(count)):
        return None
    found = None
    for i in range(count.value):
        name = ctypes.c_char_p()
        if x11.XFetchName(display, children[i], ctypes.byref(name)) and name.value:
            if name.value == NAME:
                found = children[i]
            x11.XFree(name)
        if found:
            break
    if children:
        x11.XFree(children)
    return found

def viewable_origin(window):
    attributes = WindowAttributes()
    if not x11.XGetWindowAttributes(display, window, ctypes.byref(attributes)):
        return None
    if attributes.map_state != IS_VIEWABLE:
        return None
    x, y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
    x11.XTranslateCoordinates(display, window, root, 0, 0, ctypes.byref(x), ctypes.byref(y),
                              ctypes.byref(child))
    return x.value + attributes.width // 2, y.value + (attributes.height + MENU_BAR_HEIGHT) // 2

def screen_pixel(x, y):
    image = x11.XGetImage(display, root, x, y, 1, 1, ALL_PLANES, Z_PIXMAP)
    if not image:
        return None
    value = x11.XGetPixel(image, 0, 0)
    x11.XDestroyImage(image)
    return value

print("ready", flush=True)
deadline = time.monotonic() + TIMEOUT_S
window = None
viewable_at = None
first_pixel = None
while time.monotonic() < deadline:
    if window is None:
        window = viewer_window()
    if window is not None:
        point = viewable_origin(window)
        if point is not None:
            pixel = screen_pixel(*point)
            if viewable_at is None:
                viewable_at, first_pixel = time.time_ns(), pixel
            if pixel == 0:
                print(viewable_at, time.time_ns(), "%06x" % first_pixel, flush=True)
                sys.exit(0)
    time.sleep(0.001)
sys.exit("no painted viewer window within %g s" % TIMEOUT_S)
PYTHON
}

start_poller() {
    python3 "$E2E_TMP/first_frame.py" 20 >"$E2E_TMP/poller.out" 2>"$E2E_TMP/poller.err" &
    HELPER_PID=$!
    local i
    for ((i = 0; i < 100; i++)); do
        grep -q '^ready$' "$E2E_TMP/poller.out" && return 0
        process_has_ended "$HELPER_PID" && fail "the poller ended: $(cat "$E2E_TMP/poller.err")"
        sleep 0.05
    done
    fail "the poller did not start"
}

wait_for_poller() {
    local i
    for ((i = 0; i < 250; i++)); do
        process_has_ended "$HELPER_PID" && break
        sleep 0.1
    done
    process_has_ended "$HELPER_PID" || fail "the poller still runs after 25 s"
    wait "$HELPER_PID" || fail "poller: $(cat "$E2E_TMP/poller.err")"
    HELPER_PID=""
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2];
                                       else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

start_xvfb
write_poller

frames=()
mapped=()
for ((run = 1; run <= runs; run++)); do
    folder="$(new_folder "run-$run")"
    start_poller
    started_at="$(date +%s%N)"
    start_app "$folder"
    wait_for_poller
    read -r viewable_at painted_at first_pixel <<<"$(sed -n 2p "$E2E_TMP/poller.out")"
    [[ "$painted_at" =~ ^[0-9]+$ ]] || fail "the poller reported nothing usable"
    frame_ms=$(((painted_at - started_at) / 100000))
    mapped_ms=$(((viewable_at - started_at) / 100000))
    frames+=("$(printf '%d.%d' $((frame_ms / 10)) $((frame_ms % 10)))")
    mapped+=("$(printf '%d.%d' $((mapped_ms / 10)) $((mapped_ms % 10)))")
    printf 'run %d: first frame %6s ms (window viewable at %6s ms, its centre then #%s)\n' \
        "$run" "${frames[-1]}" "${mapped[-1]}" "$first_pixel"
    window="$(wait_for_window Korvalin)"
    choose_menu_item "$window" File 2 # Quit
    wait_for_app_exit 10
    wait_for_window_gone Korvalin
done

echo "korvalin: $KORVALIN"
echo "runs: $runs under Xvfb $DISPLAY, 1024x768x24"
echo "first frame, all runs (ms): ${frames[*]}"
echo "first frame, median: $(printf '%s\n' "${frames[@]}" | median) ms"
echo "window viewable, median: $(printf '%s\n' "${mapped[@]}" | median) ms"
