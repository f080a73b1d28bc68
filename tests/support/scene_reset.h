#pragma once

#include "mesh/mesh_scene.h"

// Puts the one scene back into its starting state between tests.
inline void resetMeshScene() {
    meshScene.releaseMesh();
    meshScene.texturesDir[0] = '\0';
    meshScene.texturesDirSet = false;
    meshScene.rotationY = 0;
    meshScene.rotationZ = 0;
    meshScene.cameraDistance = 10.0f;
}
