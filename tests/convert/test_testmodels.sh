#!/usr/bin/env bash
# Models from Debian's assimp-testmodels, converted with --fit and drawn by korvalin-render at
# the viewer's start-up view, textures from the .msh file's folder: each picture has a sensible
# share of lit pixels, and a textured model shows its textures' colours (picture_check.py).
# usage: test_testmodels.sh KORVALIN-CONVERT KORVALIN-RENDER [MODELS-DIR]
set -uo pipefail
convert_tool=$1
render_tool=$2
models=${3:-/usr/share/assimp/models}
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -d "$models" ]; then
  echo "no $models (scripts/install-deps.sh installs assimp-testmodels)"
  exit 77
fi

# model (under MODELS-DIR) and whether it is drawn textured
table=(
  "OBJ/spider.obj textured"
  "OBJ/WusonOBJ.obj plain"
  "glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb plain"
  "glTF2/BoxTextured-glTF/BoxTextured.gltf textured"
  "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb textured"
  "glTF/CesiumMilkTruck/CesiumMilkTruck.gltf textured"
  "FBX/spider.fbx plain"
  "FBX/huesitos.fbx plain"
  "FBX/phong_cube.fbx plain"
  "3DS/cube_with_diffuse_texture.3DS textured"
  "3DS/fels.3ds plain"
  "3DS/test1.3ds textured"
  "Collada/duck.dae textured"
  "Collada/teapots.DAE textured"
  "Collada/sphere.dae plain"
  "PLY/Wuson.ply plain"
  "PLY/cube.ply plain"
  "STL/Spider_binary.stl plain"
  "STL/sphereWithHole.stl plain"
  "MS3D/jeep1.ms3d textured"
  "X/test.x textured"
)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
number=0
for row in "${table[@]}"; do
  read -r model kind <<<"$row"
  number=$((number + 1))
  folder="$work/$number"
  mkdir -p "$folder/bare"
  msh="$folder/model.msh"
  problem=""
  if ! timeout 120 "$convert_tool" --fit "$models/$model" "$msh" 2>"$folder/convert.log"; then
    problem="not converted: $(tail -n 1 "$folder/convert.log")"
  elif grep -q -- "--fit" "$folder/convert.log"; then
    problem="said to be out of view after --fit"
  elif ! timeout 60 "$render_tool" --textures "$folder" "$msh" -o "$folder/picture.png"; then
    problem="not drawn"
  elif [ "$kind" = plain ]; then
    result=$(python3 "$here/picture_check.py" "$folder/picture.png") || problem="picture: $result"
  else
    # The same model without its texture list, and the images the list names.
    sed 's/^TEXTURES .*/TEXTURES 0/' "$msh" >"$folder/bare/model.msh"
    images=()
    while read -r name; do
      [ -n "$name" ] && images+=("$folder/$name")
    done < <(sed -n '/^TEXTURES/,$p' "$msh" | tail -n +2)
    if [ ${#images[@]} -eq 0 ]; then
      problem="no texture list"
    elif ! timeout 60 "$render_tool" --textures "$work/none" "$folder/bare/model.msh" \
      -o "$folder/bare.png"; then
      problem="not drawn without textures"
    else
      result=$(python3 "$here/picture_check.py" "$folder/picture.png" "$folder/bare.png" \
        "${images[@]}") || problem="picture: $result"
    fi
  fi
  if [ -n "$problem" ]; then
    echo "FAIL $model: $problem"
    failed=$((failed + 1))
  else
    echo "ok   $model: ${result:-}"
  fi
  result=""
done
echo "$failed of ${#table[@]} models failed"
[ "$failed" -eq 0 ]
