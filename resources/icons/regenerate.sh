#!/usr/bin/env bash
# Renders the icon's committed PNG sizes from korvalin.svg (needs rsvg-convert, Debian
# librsvg2-bin), then the Windows icon from four of them (ImageMagick's convert). Run it after
# changing the SVG; the build itself never renders SVG.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" "$here/korvalin.svg" -o "$here/korvalin-$size.png"
done
# The Windows program's icon (resources/korvalin.rc): the sizes Windows shows most.
convert "$here/korvalin-16.png" "$here/korvalin-32.png" "$here/korvalin-48.png" \
    "$here/korvalin-256.png" "$here/korvalin.ico"
