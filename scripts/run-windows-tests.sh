#!/usr/bin/env bash
# The Windows program and its Wine suite: installs what they need (scripts/install-deps.sh and
# scripts/install-windows-deps.sh), cross-builds korvalin.exe for 32-bit Windows and packs its
# zip and installer, then runs the Wine suite (tests/wine/) under a private Xvfb twice: the
# 32-bit program under 32-bit Wine, with a 32-bit test-only DevIL.dll, and the same source built
# for 64-bit Windows under wine64. Each DevIL.dll forwards to Debian's DevIL; frames are compared
# with korvalin-render's.
#
# Where the machine does not execute 32-bit x86 code (tests/wine/can_run_32bit.sh) the 32-bit
# run cannot happen: this says so, reports it as not run, and still runs the 64-bit program,
# with the installer's round trip on a test-only 64-bit installer made from the same script.
# Exit 0 only when the builds and every test that ran pass.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/install-windows-deps.sh"

"$root/scripts/build-windows.sh" -DKORVALIN_WARNINGS_AS_ERRORS=ON >/dev/null
"$root/tests/wine/check_program_file.sh" "$root/build-win32/korvalin.exe"
packages=$("$root/scripts/package-windows.sh")
for file in "$root/build-win32/korvalin.exe" $packages; do
    echo "windows: $(basename "$file"): $(stat -c %s "$file") bytes"
done

cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" --target korvalin-render >/dev/null
render=$root/build/tools/korvalin-render

status32="NOT RUN (this machine does not execute 32-bit x86 code)"
failed=0 setup64=""
if "$root/tests/wine/can_run_32bit.sh"; then
    devil32=$("$root/tests/wine/devil_forward/build.sh" --32)
    status32=passed
    KORVALIN_SETUP=$(grep -- '-setup\.exe$' <<<"$packages") \
        "$root/tests/wine/run.sh" --32 "$root/build-win32/korvalin.exe" "$devil32" "$render" ||
        { status32=FAILED; failed=1; }
else
    echo "windows: this machine does not execute 32-bit x86 code: the 32-bit program and its" \
        "installer cannot run under Wine here and are NOT tested; the 64-bit build runs instead," \
        "and its test-only installer"
    setup64=$("$root/scripts/package-windows.sh" --64)
fi

exe64=$("$root/scripts/build-windows.sh" --64 -DKORVALIN_WARNINGS_AS_ERRORS=ON)
"$root/tests/wine/check_program_file.sh" --64 "$exe64"
devil64=$("$root/tests/wine/devil_forward/build.sh")
status64=passed
KORVALIN_SETUP=$setup64 "$root/tests/wine/run.sh" "$exe64" "$devil64" "$render" ||
    { status64=FAILED; failed=1; }

echo "windows: 32-bit program under 32-bit Wine: $status32; 64-bit program under wine64: $status64"
[ "$failed" -eq 0 ]
