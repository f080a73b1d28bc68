#include "render/draw_pass.h"

#include "mesh/mesh_scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {

constexpr MeshMaterial defaultMaterial = {
    {},   {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f},
    0.0f, {0.0f, 0.0f, 0.0f, 0.0f}};

// A group without a number takes the previous group's; the first group, having none before
// it, takes the default material. The resolved number is stored for later frames.
void resolveMaterial(int groupIndex) {
    MeshGroup& group = meshScene.groups[groupIndex];
    if (group.material != -1) return;
    group.material = groupIndex > 0 ? meshScene.groups[groupIndex - 1].material : 0;
}

const MeshMaterial& materialOf(const MeshGroup& group) {
    if (group.material >= 1 && group.material <= meshScene.materialCount)
        return meshScene.materials[group.material - 1];
    return defaultMaterial;
}

void applyMaterial(const MeshMaterial& material) {
    glMaterialfv(GL_FRONT, GL_DIFFUSE, material.diffuse);
    glMaterialfv(GL_FRONT, GL_AMBIENT, material.ambient);
    glMaterialfv(GL_FRONT, GL_SPECULAR, material.specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, &material.power);
    glMaterialfv(GL_FRONT, GL_EMISSION, material.emissive);
}

bool hasTexture(const MeshGroup& group) {
    return group.texture >= 1 && group.texture <= meshScene.textureCount;
}

bool cornersInside(const MeshTriangle& triangle, int vertexCount) {
    for (int corner : triangle.indices)
        if (corner < 0 || corner >= vertexCount) return false;
    return true;
}

// The file's second and third axes are exchanged for positions and normals alike.
template <bool textured> void sendTriangles(const MeshGroup& group) {
    const MeshVertex* vertices = group.vertices.get();
    for (int t = 0; t < group.triangleCount; ++t) {
        const MeshTriangle& triangle = group.triangles[t];
        if (!cornersInside(triangle, group.vertexCount)) continue;
        for (int corner : triangle.indices) {
            const MeshVertex& p = vertices[corner];
            if constexpr (textured) glTexCoord2f(p.u, p.v);
            glNormal3f(p.nx, p.nz, p.ny);
            glVertex3f(p.x, p.z, p.y);
        }
    }
}

void drawGroup(int groupIndex) {
    const MeshGroup& group = meshScene.groups[groupIndex];
    bool textured = hasTexture(group);
    if (textured) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(group.texture));
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    }
    resolveMaterial(groupIndex);
    applyMaterial(materialOf(group));
    glBegin(GL_TRIANGLES);
    if (textured)
        sendTriangles<true>(group);
    else
        sendTriangles<false>(group);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

} // namespace

void applyCamera() {
    gluLookAt(-static_cast<double>(meshScene.cameraDistance), 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0,
              1.0);
    glRotated(meshScene.rotationY, 0.0, 1.0, 0.0);
    glRotated(meshScene.rotationZ, 0.0, 0.0, 1.0);
}

void renderScene() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    applyCamera();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (int i = 0; i < meshScene.groupCount; ++i)
        drawGroup(i);
    glFlush();
}
