#!/usr/bin/env bash
# Cross-builds the Windows program with mingw-w64: build-win32/korvalin.exe (32-bit, what users
# get), or with --64 build-win64/korvalin.exe (the same program for 64-bit x86, which the Wine
# suite runs under wine64 as well). Installs the cross compiler and
# DevIL's headers first when they are missing. Extra arguments go to CMake. Prints the exe's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=i686 folder=$root/build-win32 package_arch=i686
if [ "${1:-}" = "--64" ]; then
  shift
  arch=x86_64 folder=$root/build-win64 package_arch=x86-64
fi

packages=(g++-mingw-w64-$package_arch binutils-mingw-w64-$package_arch mingw-w64-tools cmake
  ninja-build libdevil-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$root" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" "$@" >/dev/null
cmake --build "$folder" -j 2 >&2
echo "$folder/korvalin.exe"
