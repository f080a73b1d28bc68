#!/usr/bin/env bash
# Makes docs/shading-montage.png, the README's picture of what shading (key L) shows: three
# models from Debian's assimp-testmodels converted with `korvalin-convert --fit`, drawn by
# korvalin-render as the viewer shows them at start-up, unshaded above and shaded below.
#
#     docs/make-shading-montage.sh [BUILD_FOLDER]
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$repo/build}"
models=/usr/share/assimp/models
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

list=(OBJ/WusonOBJ.obj MD2/faerie.md2 OBJ/spider.obj)
unshaded=()
shaded=()
for model in "${list[@]}"; do
  name=$(basename "$model")
  folder="$work/${#unshaded[@]}"
  mkdir -p "$folder"
  "$build/tools/convert/korvalin-convert" --fit "$models/$model" "$folder/model.msh" 2>/dev/null
  "$build/tools/korvalin-render" --textures "$folder" "$folder/model.msh" -o "$folder/flat.png"
  "$build/tools/korvalin-render" --textures "$folder" --shaded "$folder/model.msh" \
    -o "$folder/shaded.png"
  convert "$folder/flat.png" -set label "$name" "$folder/$name.flat.png"
  convert "$folder/shaded.png" -set label "$name, L" "$folder/$name.shaded.png"
  unshaded+=("$folder/$name.flat.png")
  shaded+=("$folder/$name.shaded.png")
done
montage -font DejaVu-Sans -pointsize 12 -fill white -background '#202020' -label '%l' \
  "${unshaded[@]}" "${shaded[@]}" -tile 3x -geometry 320x240+3+3 -depth 8 \
  "$repo/docs/shading-montage.png"
