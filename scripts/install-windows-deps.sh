#!/usr/bin/env bash
# Installs what the Windows program's build and its Wine suite need on Debian 12 (x86-64): the
# mingw-w64 cross compilers (32-bit for the program users get, 64-bit for the build Wine runs
# here), 64-bit Wine with winegcc for the test-only DevIL.dll, Wine's fonts, zip, and the X
# tools the suite drives Wine with. No foreign architecture is added.
set -euo pipefail

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools cmake ninja-build zip
  wine64 wine64-tools libwine-dev fonts-wine libdevil-dev
  libgl1-mesa-dri libglx-mesa0
  xvfb xauth xdotool imagemagick x11-utils python3
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
