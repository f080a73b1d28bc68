#include "mesh/mesh_scene.h"

#include "platform/platform_services.h"

#include <GL/gl.h>
#include <cstring>

constinit MeshScene meshScene;

void MeshScene::releaseMesh() {
    groups.reset();
    materials.reset();
    textureNames.reset();
    // Entry k of the texture list is GL name k, loaded or not; names without a texture are
    // ignored by the GL, and so is every call once the context is gone.
    for (int name = 1; name <= textureCount; ++name) {
        GLuint textureName = static_cast<GLuint>(name);
        glDeleteTextures(1, &textureName);
    }
    groupCount = 0;
    materialCount = 0;
    textureCount = 0;
}

void MeshScene::chooseTexturesDirectory() {
    platformServices().browseForFolder("Please select the textures directory.", texturesDir,
                                       sizeof texturesDir);
    texturesDirSet = true;
}

void MeshScene::setTexturesDirectory(const char* text) {
    // Like a bounded string copy that refuses text which does not fit: never a cut path.
    if (std::strlen(text) < sizeof texturesDir)
        std::strcpy(texturesDir, text);
    else
        texturesDir[0] = '\0';
    texturesDirSet = true;
}

const char* MeshScene::texturesDirectory() const {
    return texturesDirSet ? texturesDir : "";
}

void MeshScene::setDistance(float value) {
    constexpr float nearest = 0.1f;
    cameraDistance = value;
    if (value < nearest) cameraDistance = nearest;
}
