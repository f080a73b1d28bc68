#!/usr/bin/env bash
# Builds the test-only DevIL.dll for Wine (a winelib DLL that forwards each call to Debian's
# libIL.so.1) and prints its path. Never shipped.
#
#   tests/wine/devil_forward/build.sh [--32] [--unicode | --hostile] [FOLDER]
#
# The 64-bit DLL (default, into build-wine/) forwards to the installed libIL.so.1; the 32-bit one
# (--32, into build-wine32/) to the i386 libIL.so.1 that scripts/install-windows-deps.sh unpacks
# into $KORVALIN_DEVIL_I386, found there at run time through the DLL's run path. --unicode makes
# one that answers ilGetString with wide text, as DevIL's Unicode build does; --hostile one that
# crashes or loops on images marked for it (devil_forward.c).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
bits=64 out_default=$root/build-wine
if [ "${1:-}" = "--32" ]; then
  shift
  bits=32 out_default=$root/build-wine32
fi
defines=()
if [ "${1:-}" = "--unicode" ]; then
  shift
  defines=(-DKORVALIN_UNICODE_STRINGS)
  out_default=$out_default-unicode
elif [ "${1:-}" = "--hostile" ]; then
  shift
  defines=(-DKORVALIN_HOSTILE_MARKS)
  out_default=$out_default-hostile
fi
out=${1:-$out_default}
link=(-lIL)
if [ "$bits" = 32 ]; then
  libraries=${KORVALIN_DEVIL_I386:-/opt/korvalin-wine/i386}/usr/lib/i386-linux-gnu
  [ -e "$libraries/libIL.so.1" ] ||
    { echo "no i386 libIL.so.1 in $libraries: run scripts/install-windows-deps.sh" >&2; exit 1; }
  link=("$libraries/libIL.so.1" "-Wl,-rpath,$libraries")
fi
mkdir -p "$out"
if [ ! "$out/DevIL.dll" -nt "$here/devil_forward.c" ] || [ ! "$out/DevIL.dll" -nt "$here/devil_forward.def" ]; then
  /usr/lib/wine/winegcc -m$bits -shared -O2 -Wall -Wextra -Werror -o "$out/DevIL.dll" \
    "${defines[@]}" "$here/devil_forward.def" "$here/devil_forward.c" "${link[@]}" >&2
  # winegcc names a winelib DLL NAME.so; Wine loads the ELF file under the DLL's own name.
  mv -f "$out/DevIL.dll.so" "$out/DevIL.dll"
fi
echo "$out/DevIL.dll"
