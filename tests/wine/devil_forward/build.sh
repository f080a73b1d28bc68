#!/usr/bin/env bash
# Builds the test-only DevIL.dll for Wine (a winelib DLL that forwards each call to Debian's
# libIL.so.1) into the folder given (default build-wine/) and prints its path. Never shipped.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
out=${1:-$root/build-wine}
mkdir -p "$out"
if [ ! "$out/DevIL.dll" -nt "$here/devil_forward.c" ] || [ ! "$out/DevIL.dll" -nt "$here/devil_forward.def" ]; then
  /usr/lib/wine/winegcc -m64 -shared -O2 -Wall -Wextra -Werror -o "$out/DevIL.dll" "$here/devil_forward.def" \
    "$here/devil_forward.c" -lIL >&2
  # winegcc names a winelib DLL NAME.so; Wine loads the ELF file under the DLL's own name.
  mv -f "$out/DevIL.dll.so" "$out/DevIL.dll"
fi
echo "$out/DevIL.dll"
