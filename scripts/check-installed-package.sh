#!/usr/bin/env bash
# Installs the Debian package with apt on the machine it runs on (a clean root in
# scripts/check-fresh-machine.sh) and tries what it installed, from the installed paths only:
# the viewer's version, korvalin-info and korvalin-render on the installed samples, the
# thumbnailer's Exec line as a file manager runs it, the MIME type registered by the desktop's
# triggers, and the GTK library the file choosers load.
#
#   scripts/check-installed-package.sh ./korvalin_<version>_amd64.deb
set -euo pipefail
package=${1:?usage: check-installed-package.sh ./korvalin_VERSION_amd64.deb}
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
fail() {
  echo "installed package: FAIL: $*" >&2
  exit 1
}

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt install -y -qq "$package" >"$work/apt.log" 2>&1 || {
  cat "$work/apt.log" >&2
  fail "apt install $package failed"
}

samples=/usr/share/korvalin/samples
korvalin --version | grep -q '^korvalin ' || fail "korvalin --version"
korvalin-info --textures "$samples" "$samples/cube.msh" >"$work/info.txt" ||
  fail "korvalin-info on the installed cube sample"
grep -qi "texture" "$work/info.txt" || fail "korvalin-info says nothing of the cube's texture"
korvalin-render --textures "$samples" --size 320x240 "$samples/torus.msh" -o "$work/torus.png" ||
  fail "korvalin-render on the installed torus sample"

# PNG signature, then the IHDR width and height as big-endian words.
png_size() {
  [ "$(od -An -tx1 -N8 "$1" | tr -d ' \n')" = 89504e470d0a1a0a ] || return 1
  echo "$(od -An -tu4 --endian=big -j16 -N4 "$1" | tr -d ' ')x$(od -An -tu4 --endian=big -j20 -N4 "$1" | tr -d ' ')"
}
[ "$(png_size "$work/torus.png")" = 320x240 ] || fail "korvalin-render wrote no 320x240 PNG"

thumbnailer=/usr/share/thumbnailers/korvalin.thumbnailer
[ -f "$thumbnailer" ] || fail "no thumbnailer installed"
exec_line=$(sed -n 's/^Exec=//p' "$thumbnailer")
for sample in cube hull torus; do
  input=$samples/$sample.msh output=$work/$sample-thumbnail.png
  line=${exec_line//%s/128}
  line=${line//%i/$input}
  line=${line//%u/file://$input}
  line=${line//%o/$output}
  # shellcheck disable=SC2086 # split into words as a file manager does
  timeout 60 $line || fail "the thumbnailer's Exec line failed on $sample: $line"
  [ "$(png_size "$output")" = 128x128 ] || fail "no 128x128 thumbnail of $sample"
done

# Dependencies come from the binaries: the FLTK the release offers (1.4 on Debian 13, 1.3 on 12).
ldd /usr/bin/korvalin | grep -q 'not found' && fail "a library of the viewer is not installed"
fltk=$(dpkg-query -W -f='${Depends}' korvalin | grep -oE 'libfltk1\.[0-9]+' | head -n 1)
offered=$(apt-cache pkgnames libfltk1. | grep -oE '^libfltk1\.[0-9]+' | sort -uV | tail -n 1)
[ -n "$fltk" ] && [ "$fltk" = "$offered" ] ||
  fail "the package depends on '${fltk:-no FLTK}', the release's FLTK is $offered"

[ -f /usr/share/mime/model/x-korvalin-mesh.xml ] ||
  fail "the MIME database does not know model/x-korvalin-mesh after installing"
# Recommended, so apt brings it: the viewer's file choosers are GTK's when FLTK can load it.
ldconfig -p | grep -qE 'libgtk-(x11-2\.0|3)\.so\.0 ' ||
  fail "no GTK library for the desktop's file chooser after installing"
if command -v korvalin-convert >/dev/null; then
  korvalin-convert "$samples/cube.msh" "$work/cube.obj" || fail "korvalin-convert to OBJ"
fi
echo "installed package: korvalin $(dpkg-query -W -f='${Version}' korvalin) works from /usr, on $fltk"
