#!/usr/bin/env bash
# `cmake --install` into a temporary prefix, then the desktop's own tools on what it put there:
# the desktop entry and the AppStream metainfo validate without errors; once the MIME database
# is updated, xdg-mime names the mesh type for a .msh file and for a mesh file without the
# extension (by its MSHX1 magic), as a bare session and as GNOME find it; the icon is there in
# every hicolor size, as the application's and as the file type's; the installed programs run.
set -euo pipefail
build=${1:?usage: test_desktop_integration.sh BUILD_FOLDER}
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/korvalin-desktop.XXXXXX")
trap 'rm -rf -- "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"
share=$prefix/share
desktop=$share/applications/org.korvalin.Korvalin.desktop

desktop-file-validate "$desktop" || fail "desktop-file-validate reports errors"
grep -qx 'Exec=korvalin %f' "$desktop" || fail "the entry does not open a file: $(grep Exec "$desktop")"
grep -qx 'MimeType=model/x-korvalin-mesh;' "$desktop" || fail "the entry names no mesh type"
appstreamcli validate --no-net "$share/metainfo/org.korvalin.Korvalin.metainfo.xml" ||
    fail "appstreamcli reports errors"

update-mime-database "$share/mime"
cp "$repo/samples/cube.msh" "$work/cube.msh"
cp "$repo/samples/cube.msh" "$work/no-extension"
for session in "" GNOME; do
    for file in cube.msh no-extension; do
        type=$(XDG_CURRENT_DESKTOP=$session XDG_DATA_DIRS="$share:/usr/share" \
            xdg-mime query filetype "$work/$file")
        [[ "$type" == model/x-korvalin-mesh ]] ||
            fail "xdg-mime (session '${session:-bare}') calls $file '$type'"
    done
done

for size in 16 22 24 32 48 64 128 256; do
    for icon in apps/korvalin mimetypes/model-x-korvalin-mesh; do
        png=$share/icons/hicolor/${size}x$size/$icon.png
        [[ "$(identify -format '%m %wx%h' "$png" 2>/dev/null)" == "PNG ${size}x$size" ]] ||
            fail "no ${size}x$size PNG at $png"
    done
done
[[ -f $share/icons/hicolor/scalable/apps/korvalin.svg ]] || fail "no scalable icon"

"$prefix/bin/korvalin" --version | grep -q '^korvalin ' || fail "the installed viewer does not run"
for tool in korvalin-info korvalin-render; do
    "$prefix/bin/$tool" --help >/dev/null || fail "the installed $tool does not run"
done
echo "PASS: desktop entry, metainfo, MIME type, icons and programs as installed"
