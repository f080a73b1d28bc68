#!/usr/bin/env bash
# Installs what Korvalin needs to build, run and test on Debian 12.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config clang-format clang libclang-rt-14-dev
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libdevil-dev libfltk1.3-dev libgtk2.0-0 libgtest-dev libseccomp-dev
  libassimp-dev assimp-testmodels libtinyobjloader-dev
  xvfb xauth xdotool imagemagick x11-utils python3 valgrind
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl libglib2.0-bin
  dpkg-dev fakeroot file lintian
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
