#!/usr/bin/env bash
# Installs what the Windows program's build, its installer and its Wine suite need on Debian 12
# (x86-64): the mingw-w64 cross compilers (32-bit for the program users get, 64-bit for the same
# program under wine64), NSIS, 64-bit Wine with winegcc for the test-only DevIL.dll, Wine's
# fonts, zip, and the X tools the suite drives Wine with (xclip pastes text xdotool cannot type).
#
# Where the machine executes 32-bit x86 code (tests/wine/can_run_32bit.sh), it also adds the
# i386 architecture and what the 32-bit program needs under 32-bit Wine, in this order:
#   1. wine32 with the i386 GL drivers;
#   2. the i386 run-time libraries of Debian's DevIL, and libwine-dev:i386 with the 32-bit
#      libgcc (lib32gcc-12-dev) for winegcc -m32;
#   3. libdevil1c2:i386 itself, unpacked with dpkg-deb -x into $KORVALIN_DEVIL_I386 (default
#      /opt/korvalin-wine/i386), not installed: the package is not multi-arch, and installing
#      it would remove the amd64 libdevil-dev the build uses.
# wine32-tools is never installed: it conflicts with wine64-tools, whose winegcc builds the
# 32-bit test DLL as well.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
devil_i386=${KORVALIN_DEVIL_I386:-/opt/korvalin-wine/i386}

packages=(
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools cmake ninja-build zip nsis
  wine64 wine64-tools libwine-dev fonts-wine libdevil-dev
  libgl1-mesa-dri libglx-mesa0
  xvfb xauth xdotool xclip imagemagick x11-utils python3 binutils
)
packages_i386=(
  wine32 libgl1-mesa-dri:i386 libgl1:i386 libglx-mesa0:i386
)
devil_libraries_i386=(
  liballegro4.4:i386 libsdl1.2debian:i386 libmng1:i386 liblcms2-2:i386 libtiff6:i386
  libjpeg62-turbo:i386 libpng16-16:i386 libglu1-mesa:i386 libxext6:i386 libwine-dev:i386
  lib32gcc-12-dev
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
updated=""

# install PACKAGE...: the ones not installed yet, with one package list update a run.
install() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ -z "$updated" ]; then
    $sudo apt-get update -qq
    updated=yes
  fi
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install "${packages[@]}"

if ! "$root/tests/wine/can_run_32bit.sh"; then
  echo "install-windows-deps: this machine does not execute 32-bit x86 code; the 32-bit" \
    "Wine parts are not installed (the Wine suite runs the 64-bit program only)" >&2
  exit 0
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  updated=""
fi
install "${packages_i386[@]}"
install "${devil_libraries_i386[@]}"

if [ ! -e "$devil_i386/usr/lib/i386-linux-gnu/libIL.so.1" ]; then
  download=$(mktemp -d)
  trap 'rm -rf -- "$download"' EXIT
  chmod 755 "$download" # apt fetches as its own user
  (cd "$download" && apt-get download -qq libdevil1c2:i386)
  $sudo mkdir -p "$devil_i386"
  $sudo dpkg-deb -x "$download"/libdevil1c2_*_i386.deb "$devil_i386"
fi
