#pragma once

#include <assimp/scene.h>

#include <vector>

// Affine transform in double precision: rows of a 3x4 matrix, as aiMatrix4x4 a1..c4.
struct Affine {
    double m[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};

    static Affine of(const aiMatrix4x4& t) {
        Affine a;
        const float* rows[3] = {&t.a1, &t.b1, &t.c1};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                a.m[r][c] = rows[r][c];
        return a;
    }
    Affine operator*(const Affine& b) const {
        Affine p;
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c) {
                double sum = c == 3 ? m[r][3] : 0.0;
                for (int k = 0; k < 3; ++k)
                    sum += m[r][k] * b.m[k][c];
                p.m[r][c] = sum;
            }
        return p;
    }
    bool isIdentity() const {
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 4; ++c)
                if (m[r][c] != (r == c ? 1.0 : 0.0)) return false;
        return true;
    }
    double determinant() const {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    }
};

// A mesh where a node puts it, in the viewer's frame (the source's up axis turned to y).
struct Placement {
    const aiMesh* mesh;
    Affine transform;
    const aiNode* node;
};

// Every mesh each node places, depth first, children in order.
std::vector<Placement> placedMeshes(const aiScene& scene);

// What a .msh group can take: meshes of points or lines only are left out.
bool holdsTriangles(const aiMesh& mesh);
