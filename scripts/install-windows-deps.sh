#!/usr/bin/env bash
# Installs what the Windows program's build, its installer and its Wine suite need on Debian 13
# or 12 (x86-64), under the names the running release gives them (scripts/apt-packages.sh): the
# posix flavour of the mingw-w64 cross compilers (32-bit for the program users get, 64-bit for
# the same program under wine64), NSIS, 64-bit Wine with winegcc for the test-only DevIL.dll,
# Wine's fonts, zip, and the X tools the suite drives Wine with (xclip pastes text xdotool cannot
# type).
#
# Where the machine executes 32-bit x86 code (tests/wine/can_run_32bit.sh), it also adds the
# i386 architecture and what the 32-bit program needs under 32-bit Wine, in this order:
#   1. wine32 with the i386 GL drivers;
#   2. the i386 run-time libraries Debian's DevIL depends on, as this release's archive lists
#      them (they differ between releases), and libwine-dev:i386 with the 32-bit libgcc of the
#      gcc winegcc -m32 runs;
#   3. libdevil1c2:i386 itself, unpacked with dpkg-deb -x into $KORVALIN_DEVIL_I386 (default
#      /opt/korvalin-wine/i386), not installed: the package is not multi-arch, and installing
#      it would remove the amd64 libdevil-dev the build uses.
# wine32-tools is never installed: it conflicts with wine64-tools, whose winegcc builds the
# 32-bit test DLL as well.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
devil_i386=${KORVALIN_DEVIL_I386:-/opt/korvalin-wine/i386}
# shellcheck source=scripts/apt-packages.sh
source "$root/scripts/apt-packages.sh"
warn_unknown_release install-windows-deps

install_packages \
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 \
  binutils-mingw-w64-x86-64 mingw-w64-tools cmake ninja-build zip nsis \
  wine64 wine64-tools libwine-dev fonts-wine libdevil-dev \
  libgl1-mesa-dri libglx-mesa0 \
  xvfb xauth xdotool xclip imagemagick x11-utils python3 binutils

if ! "$root/tests/wine/can_run_32bit.sh"; then
  echo "install-windows-deps: this machine does not execute 32-bit x86 code; the 32-bit" \
    "Wine parts are not installed (the Wine suite runs the 64-bit program only)" >&2
  exit 0
fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $apt_sudo dpkg --add-architecture i386
  forget_package_lists # the lists have no i386 packages yet
fi
install_packages wine32:i386 libgl1-mesa-dri:i386 libgl1:i386 libglx-mesa0:i386

# libdevil1c2:i386's Depends, each "a (>= v) | b" as the entry "a:i386|b:i386".
devil_depends() {
  apt-cache show --no-all-versions libdevil1c2:i386 2>/dev/null | sed -n 's/^Depends: //p'
}
depends=$(devil_depends)
if [ -z "$depends" ]; then
  apt_update_once
  depends=$(devil_depends)
fi
[ -n "$depends" ] || {
  echo "install-windows-deps: this release's archive offers no libdevil1c2:i386" >&2
  exit 1
}
devil_entries=()
IFS=',' read -ra items <<<"$depends"
for item in "${items[@]}"; do
  entry=""
  IFS='|' read -ra names <<<"$item"
  for name in "${names[@]}"; do
    name=${name%%(*}
    name=${name// /}
    entry+="${entry:+|}${name%%:*}:i386"
  done
  devil_entries+=("$entry")
done
install_packages "${devil_entries[@]}" libwine-dev:i386 \
  "lib32gcc-$(gcc -dumpversion | cut -d. -f1)-dev"

if [ ! -e "$devil_i386/usr/lib/i386-linux-gnu/libIL.so.1" ]; then
  download=$(mktemp -d)
  trap 'rm -rf -- "$download"' EXIT
  chmod 755 "$download" # apt fetches as its own user
  (cd "$download" && apt-get download -qq libdevil1c2:i386)
  $apt_sudo mkdir -p "$devil_i386"
  $apt_sudo dpkg-deb -x "$download"/libdevil1c2_*_i386.deb "$devil_i386"
fi
