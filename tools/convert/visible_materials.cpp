#include "tools/convert/visible_materials.h"

namespace {

bool isBlack(const float (&colour)[4]) {
    return colour[0] <= 0 && colour[1] <= 0 && colour[2] <= 0;
}

bool ambientFromDiffuse(MeshMaterial& material) {
    if (!isBlack(material.ambient) || isBlack(material.diffuse)) return false;
    for (int k = 0; k < 3; ++k)
        material.ambient[k] = material.diffuse[k];
    return true;
}

bool everyMaterialTransparent(const MshModel& model) {
    for (const MeshMaterial& material : model.materials)
        if (material.diffuse[3] > 0) return false;
    return !model.materials.empty();
}

} // namespace

void makeMaterialsVisible(MshModel& model, Notes& notes) {
    bool changed = false;
    for (MeshMaterial& material : model.materials)
        changed = ambientFromDiffuse(material) || changed;
    if (changed)
        notes.say("black ambient colours taken from the diffuse colours (the viewer shows a "
                  "surface's ambient colour)");
    if (!everyMaterialTransparent(model)) return;
    for (MeshMaterial& material : model.materials)
        material.diffuse[3] = material.ambient[3] = 1.0f;
    notes.say("every material was fully transparent: taken as opaque");
}
