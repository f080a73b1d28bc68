#!/usr/bin/env bash
# Cross-builds the Windows program, build-win32/korvalin.exe (32-bit), with mingw-w64; installs
# the cross compiler and DevIL's headers first when they are missing. Extra arguments go to CMake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$root/build-win32

packages=(g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools cmake ninja-build
  libdevil-dev)
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
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" "$@" >/dev/null
cmake --build "$folder" -j 2
echo "$folder/korvalin.exe"
