#!/usr/bin/env bash
# Packs the Windows program into build-win32/korvalin-<version>-win32.zip (korvalin.exe, the
# samples and README-Windows.txt) and build-win32/korvalin-<version>-setup.exe, its NSIS
# installer (packaging/windows/korvalin.nsi); DevIL.dll is the user's own. Brings korvalin.exe
# up to date with scripts/build-windows.sh first, and installs zip and nsis when missing. Prints
# the two files' paths.
#
# With --64: only the installer, for the 64-bit build (build-win64/korvalin-<version>-setup.exe),
# from the same script. Users never get it; the Wine suite installs it where the machine cannot
# run 32-bit code, so that the installer's round trip is still tested there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$root/build-win32 bits=32 build_options=()
if [ "${1:-}" = "--64" ]; then
  folder=$root/build-win64 bits=64 build_options=(--64)
fi
"$root/scripts/build-windows.sh" "${build_options[@]}" >/dev/null

# shellcheck source=scripts/apt-packages.sh
source "$root/scripts/apt-packages.sh"
install_packages zip nsis

version=$(sed -n 's/^project(Korvalin VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=korvalin-$version-win32
staging=$(mktemp -d "$folder/package.XXXXXX")
trap 'rm -rf -- "$staging"' EXIT
mkdir -p "$staging/$name/samples"
cp "$folder/korvalin.exe" "$staging/$name/"
# Windows users read it with Notepad: CR LF line ends.
sed 's/$/\r/' "$root/platform/win32/README-Windows.txt" >"$staging/$name/README-Windows.txt"
cp "$root"/samples/*.msh "$root"/samples/*.png "$root"/samples/*.tga "$root"/samples/*.dds \
  "$staging/$name/samples/"
if [ "$bits" = 32 ]; then
  rm -f "$folder/$name.zip"
  (cd "$staging" && zip -q -X -r "$folder/$name.zip" "$name")
  echo "$folder/$name.zip"
fi

setup=$folder/korvalin-$version-setup.exe
cp "$root/resources/icons/korvalin.ico" "$staging/$name/"
rm -f "$setup"
makensis -V2 -NOCD -DVERSION="$version" -DSTAGING="$staging/$name" -DOUTFILE="$setup" -DBITS="$bits" \
  "$root/packaging/windows/korvalin.nsi" >&2
echo "$setup"
