#!/usr/bin/env bash
# Makes docs/testmodels.png, the README's picture of what converted models look like: models
# from Debian's assimp-testmodels converted with `korvalin-convert --fit` and drawn by
# korvalin-render as the viewer shows them right after start-up.
#
#     docs/make-testmodels-montage.sh [BUILD_FOLDER]
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$repo/build}"
models=/usr/share/assimp/models
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

list=(
  OBJ/spider.obj OBJ/WusonOBJ.obj OBJ/regr01.obj
  glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb glTF2/BoxTextured-glTF/BoxTextured.gltf
  glTF/CesiumMilkTruck/CesiumMilkTruck.gltf glTF/TwoBoxes/TwoBoxes.gltf
  FBX/spider.fbx FBX/huesitos.fbx FBX/cubes_with_names.fbx FBX/maxPbrMaterial_metalRough.fbx
  3DS/cube_with_diffuse_texture.3DS 3DS/fels.3ds 3DS/test1.3ds 3DS/cubes_with_alpha.3DS
  Collada/duck.dae Collada/teapots.DAE Collada/sphere.dae Collada/human.zae
  Collada/teapot_instancenodes.DAE
  PLY/Wuson.ply PLY/cube_uv.ply STL/Spider_binary.stl STL/sphereWithHole.stl
  X/test.x MS3D/jeep1.ms3d MD2/faerie.md2 ASE/ThreeCubesGreen.ASE B3D/WusonBlitz.b3d
  IFC/AC14-FZK-Haus.ifc
)
pictures=()
for model in "${list[@]}"; do
  name=$(basename "$model")
  folder="$work/${#pictures[@]}"
  mkdir -p "$folder"
  "$build/tools/convert/korvalin-convert" --fit "$models/$model" "$folder/model.msh" 2>/dev/null
  "$build/tools/korvalin-render" --textures "$folder" "$folder/model.msh" -o "$folder/$name.png"
  pictures+=("$folder/$name.png")
done
montage -font DejaVu-Sans -pointsize 11 -fill white -background '#202020' -label '%t' \
  "${pictures[@]}" -tile 6x -geometry 160x120+3+3 -depth 8 -colors 256 \
  "$repo/docs/testmodels.png"
