#!/usr/bin/env bash
# The Windows program and its Wine suite: installs what they need (scripts/install-deps.sh and
# scripts/install-windows-deps.sh), cross-builds korvalin.exe for 32-bit Windows and packs its
# zip, then runs the Wine suite (tests/wine/) under a private Xvfb against the same program built
# for 64-bit Windows, with a test-only DevIL.dll that forwards to Debian's DevIL, comparing its
# frame with korvalin-render's. Exit 0 only when the builds and every test pass.
#
# The suite runs the 64-bit build because Wine runs 32-bit programs only where the machine can
# execute 32-bit x86 code natively, which many virtual machines (this project's CI among them)
# cannot; the source, the backend and the resources are the same.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/install-windows-deps.sh"

"$root/scripts/build-windows.sh" >/dev/null
"$root/tests/wine/check_program_file.sh" "$root/build-win32/korvalin.exe"
zip=$("$root/scripts/package-windows.sh")
echo "windows: $(stat -c %s "$root/build-win32/korvalin.exe") bytes korvalin.exe (32-bit), $(basename "$zip")"

exe=$("$root/scripts/build-windows.sh" --64)
devil=$("$root/tests/wine/devil_forward/build.sh")
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" --target korvalin-render >/dev/null
"$root/tests/wine/run.sh" "$exe" "$devil" "$root/build/tools/korvalin-render"
