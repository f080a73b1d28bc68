#!/usr/bin/env bash
# Renders the icon's committed PNG sizes from korvalin.svg (needs rsvg-convert, Debian
# librsvg2-bin). Run it after changing the SVG; the build itself never renders SVG.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert --width "$size" --height "$size" "$here/korvalin.svg" -o "$here/korvalin-$size.png"
done
