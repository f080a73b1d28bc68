#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64: build-win32/korvalin.exe (32-bit, what users
# get), or with --64 build-win64/korvalin.exe (the same program for 64-bit x86, which the Wine
# suite runs under wine64 as well), with the posix flavour of the cross compiler. Installs it and
# DevIL's headers first when they are missing (scripts/apt-packages.sh). Extra arguments go to
# CMake. Prints the exe's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=i686 folder=$root/build-win32 package_arch=i686
if [ "${1:-}" = "--64" ]; then
  shift
  arch=x86_64 folder=$root/build-win64 package_arch=x86-64
fi

# shellcheck source=scripts/apt-packages.sh
source "$root/scripts/apt-packages.sh"
install_packages "g++-mingw-w64-$package_arch-posix" "binutils-mingw-w64-$package_arch" \
  mingw-w64-tools cmake ninja-build libdevil-dev

cmake -S "$root" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" "$@" >/dev/null
cmake --build "$folder" -j 2 >&2
echo "$folder/korvalin.exe"
