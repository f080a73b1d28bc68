#include "render/draw_pass.h"

#include "mesh/mesh_scene.h"
#include "render/shading.h"
#include "render/view_fit.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

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

bool hasNoNormal(const MeshVertex& p) {
    return p.nx == 0 && p.ny == 0 && p.nz == 0;
}

// The unit normal of the triangle's front side in the GL's axes. The front is clockwise there,
// so it is (c - a) x (b - a). Worked out in double, so that tiny and huge triangles keep their
// direction; a triangle without area keeps the zero normal.
void frontNormal(const MeshVertex* vertices, const MeshTriangle& triangle, GLfloat normal[3]) {
    const MeshVertex& a = vertices[triangle.indices[0]];
    const MeshVertex& b = vertices[triangle.indices[1]];
    const MeshVertex& c = vertices[triangle.indices[2]];
    const double ab[3] = {static_cast<double>(b.x) - a.x, static_cast<double>(b.z) - a.z,
                          static_cast<double>(b.y) - a.y};
    const double ac[3] = {static_cast<double>(c.x) - a.x, static_cast<double>(c.z) - a.z,
                          static_cast<double>(c.y) - a.y};
    const double n[3] = {ac[1] * ab[2] - ac[2] * ab[1], ac[2] * ab[0] - ac[0] * ab[2],
                         ac[0] * ab[1] - ac[1] * ab[0]};
    const double length = std::hypot(n[0], n[1], n[2]);
    for (int i = 0; i < 3; ++i)
        normal[i] = length > 0 && std::isfinite(length) ? static_cast<GLfloat>(n[i] / length) : 0;
}

// The file's second and third axes are exchanged for positions and normals alike. Shaded, a
// corner stored without a normal takes its triangle's, so that the headlight lights it.
template <bool textured, bool shaded> void sendTriangles(const MeshGroup& group) {
    const MeshVertex* vertices = group.vertices.get();
    for (int t = 0; t < group.triangleCount; ++t) {
        const MeshTriangle& triangle = group.triangles[t];
        if (!cornersInside(triangle, group.vertexCount)) continue;
        GLfloat face[3] = {0, 0, 0};
        bool faceKnown = false;
        for (int corner : triangle.indices) {
            const MeshVertex& p = vertices[corner];
            if constexpr (textured) glTexCoord2f(p.u, p.v);
            if (shaded && hasNoNormal(p)) {
                if (!faceKnown) frontNormal(vertices, triangle, face);
                faceKnown = true;
                glNormal3fv(face);
            } else {
                glNormal3f(p.nx, p.nz, p.ny);
            }
            glVertex3f(p.x, p.z, p.y);
        }
    }
}

template <bool textured> void sendTriangles(const MeshGroup& group, bool shaded) {
    if (shaded)
        sendTriangles<textured, true>(group);
    else
        sendTriangles<textured, false>(group);
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
        sendTriangles<true>(group, shadingOn());
    else
        sendTriangles<false>(group, shadingOn());
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

} // namespace

void applyCamera() {
    gluLookAt(-static_cast<double>(meshScene.cameraDistance), 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0,
              1.0);
    glRotated(meshScene.rotationY, 0.0, 1.0, 0.0);
    glRotated(meshScene.rotationZ, 0.0, 0.0, 1.0);
    double centre[3];
    if (fittedCentre(centre)) glTranslated(-centre[0], -centre[1], -centre[2]);
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
