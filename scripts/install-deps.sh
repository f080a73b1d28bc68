#!/usr/bin/env bash
# Installs what Korvalin needs to build, run and test on Debian 13 or Debian 12, each package
# under the name the running release gives it (scripts/apt-packages.sh).
set -euo pipefail
source "$(dirname "$0")/apt-packages.sh"
warn_unknown_release install-deps

packages=(
  g++ cmake ninja-build pkg-config clang-format clang "libclang-rt-dev|libclang-rt-14-dev"
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libdevil-dev "libfltk1.4-dev|libfltk1.3-dev" "libgtk2.0-0t64|libgtk2.0-0" libgtest-dev
  libseccomp-dev libassimp-dev assimp-testmodels libtinyobjloader-dev
  xvfb xauth xdotool imagemagick x11-utils python3 valgrind sway grim
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl libglib2.0-bin
  dpkg-dev fakeroot file lintian
)

install_packages "${packages[@]}"
