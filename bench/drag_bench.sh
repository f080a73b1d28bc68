#!/usr/bin/env bash
# Drag latency of the viewer under Xvfb on the large sample (samples/torus.msh, 50,000
# triangles): the time from a pointer motion sent during a right-button drag to the changed
# frame seen on the screen.
#
#     bench/drag_bench.sh [KORVALIN_BINARY] [STEPS]
#
# Defaults: build/app/korvalin, 200 steps. The viewer is started in a fresh folder with the
# samples folder as its textures folder and the torus opened through File > Open...; then a
# small Xlib program (Python ctypes) holds the right button down through the XTest extension and,
# step after step, moves the pointer 5 px (half a degree of turn at the default sensitivity;
# 100 steps to the right, 100 back, and so on), flushes the request to the server, and reads the picture back from the screen
# (XGetImage on the root window) until its pixels differ from the frame before. What is read is
# the box around the torus in its first frame, 40 px wider on every side (clipped to the client
# area): the spin keeps the model within it and a smaller read keeps the probe fine-grained.
# One step is the time from the flush to that read. It therefore covers the server delivering the motion,
# FLTK's event handling, the frame drawn and swapped by the viewer (Mesa, in software), and
# part of one read-back (the read-back time is printed too); the next motion is sent only once
# the frame of the one before has been seen, so no motion waits behind another.
# Prints the median and spread; asserts nothing.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=tests/e2e/lib.sh
source "$repo/tests/e2e/lib.sh"
e2e_init "${1:-$repo/build/app/korvalin}"
steps="${2:-200}"
[[ "$steps" =~ ^[1-9][0-9]*$ ]] || fail "STEPS must be a positive number, not $steps"
command -v python3 >/dev/null || fail "python3 is needed for the drag prober"
samples="$(samples_folder)"
[[ -f "$samples/torus.msh" ]] || fail "no torus sample in $samples"

write_prober() {
    cat >"$E2E_TMP/drag_prober.py" <<'PYTHON'
import ctypes
import ctypes.util
import sys
import time

# The box read back (screen coordinates), where the drag starts, the number of steps.
x, y, width, height, start_x, start_y, steps = (int(a) for a in sys.argv[1:8])
STEP_PX = 5
# Steps one way before the drag turns back.
LEG = 100
TIMEOUT_S = 5.0
Z_PIXMAP = 2
ALL_PLANES = ctypes.c_ulong(-1).value
RIGHT_BUTTON = 3

class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int)]

x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.POINTER(XImage)
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XDestroyImage.argtypes = [ctypes.c_void_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
xtst.XTestQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 4
xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                      ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                      ctypes.c_ulong]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
ints = [ctypes.c_int() for _ in range(4)]
if not xtst.XTestQueryExtension(display, *(ctypes.byref(i) for i in ints)):
    sys.exit("the X server has no XTest extension")
root = x11.XDefaultRootWindow(display)

def client_pixels():
    image = x11.XGetImage(display, root, x, y, width, height, ALL_PLANES, Z_PIXMAP)
    if not image:
        sys.exit("XGetImage failed")
    data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)
    x11.XDestroyImage(image)
    return data

def move(to_x, to_y):
    xtst.XTestFakeMotionEvent(display, -1, to_x, to_y, 0)
    x11.XFlush(display)

def settle():
    """Waits until two reads 100 ms apart are the same and returns the pixels."""
    before = client_pixels()
    while True:
        time.sleep(0.1)
        now = client_pixels()
        if now == before:
            return now
        before = now

move(start_x, start_y)
time.sleep(0.2)
xtst.XTestFakeButtonEvent(display, RIGHT_BUTTON, 1, 0)
x11.XSync(display, 0)
time.sleep(0.2)
frame = settle()

reads = 0
read_ns = 0
for step in range(1, steps + 1):
    sent = time.perf_counter_ns()
    leg, within = divmod(step, LEG)
    offset = within if leg % 2 == 0 else LEG - within
    move(start_x + STEP_PX * offset, start_y)
    deadline = sent + int(TIMEOUT_S * 1e9)
    while True:
        before_read = time.perf_counter_ns()
        now = client_pixels()
        seen = time.perf_counter_ns()
        reads += 1
        read_ns += seen - before_read
        if now != frame:
            print("step %d %.3f" % (step, (seen - sent) / 1e6), flush=True)
            frame = now
            break
        if seen > deadline:
            print("step %d none" % step, flush=True)
            break

xtst.XTestFakeButtonEvent(display, RIGHT_BUTTON, 0, 0)
x11.XSync(display, 0)
print("read %.3f" % (read_ns / reads / 1e6), flush=True)
PYTHON
}

start_xvfb
write_prober
start_on_samples drag
read -r cx cy cw ch <<<"$(client_area_geometry "$window")"
open_mesh "$window" "$samples/torus.msh"
wait_for_mesh_drawn "$window" "$E2E_TMP/torus.png" 60

# The drag runs along the client area's middle row, between 60 and 560 px in.
start_x=$((cx + 60))
start_y=$((cy + ch / 2))
read -r _ _ _ x0 y0 x1 y1 _ <<<"$(image_stats "$E2E_TMP/torus.png")"
((x0 >= 0)) || fail "nothing drawn of the torus"
x0=$((x0 > 40 ? x0 - 40 : 0))
y0=$((y0 > 40 ? y0 - 40 : 0))
x1=$((x1 + 40 < cw ? x1 + 40 : cw - 1))
y1=$((y1 + 40 < ch ? y1 + 40 : ch - 1))
probe="$((x1 - x0 + 1))x$((y1 - y0 + 1))+$x0+$y0"
python3 "$E2E_TMP/drag_prober.py" $((cx + x0)) $((cy + y0)) $((x1 - x0 + 1)) $((y1 - y0 + 1)) \
    "$start_x" "$start_y" "$steps" \
    >"$E2E_TMP/prober.out" 2>"$E2E_TMP/prober.err" &
HELPER_PID=$!
for ((i = 0; i < 1200; i++)); do
    process_has_ended "$HELPER_PID" && break
    sleep 0.1
done
process_has_ended "$HELPER_PID" || fail "the drag prober still runs after 120 s"
wait "$HELPER_PID" || fail "drag prober: $(cat "$E2E_TMP/prober.err")"
HELPER_PID=""

app_is_running || fail "korvalin ended during the drag"
choose_menu_item "$window" File 2 # Quit
wait_for_app_exit 10

awk '$1 == "step" && $3 != "none" { print $3 }' "$E2E_TMP/prober.out" | sort -n >"$E2E_TMP/steps.txt"
seen="$(wc -l <"$E2E_TMP/steps.txt")"
missed="$(awk '$1 == "step" && $3 == "none"' "$E2E_TMP/prober.out" | wc -l)"
read_ms="$(awk '$1 == "read" { print $2 }' "$E2E_TMP/prober.out")"
((seen > 0)) || fail "no step showed a changed frame"
# The value at fraction F of the sorted list (nearest rank).
quantile() {
    awk -v f="$1" '{ v[NR] = $1 } END { i = int(f * NR + 0.999999); if (i < 1) i = 1; print v[i] }' \
        "$E2E_TMP/steps.txt"
}
median="$(awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2];
                                    else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }' \
    "$E2E_TMP/steps.txt")"

echo "korvalin: $KORVALIN"
echo "mesh: $samples/torus.msh, client area ${cw}x${ch} under Xvfb $DISPLAY (1024x768x24)"
echo "steps: $steps motions of 5 px (100 right, 100 left, ...) with the right button held; $seen showed a new frame," \
    "$missed none within 5 s"
echo "motion sent -> changed frame seen (ms): median $median, min $(quantile 0)," \
    "10% $(quantile 0.1), 90% $(quantile 0.9), max $(quantile 1)"
echo "one read-back of the box $probe of the client area (XGetImage, ms): $read_ms on average"
