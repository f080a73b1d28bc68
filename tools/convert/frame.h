#pragma once

#include "mesh/mesh_scene.h"

#include <assimp/vector3.h>

// How the two frames meet. assimp hands out right-handed coordinates with y up, front faces
// counter-clockwise, and texture v = 0 at the image's bottom row (OpenGL's reading). The viewer
// reads a .msh file's x, y, z as a left-handed frame with y up, front faces clockwise as seen
// (it exchanges y and z and culls counter-clockwise faces), and v = 0 at the first image row
// that the image library delivers, which is the top row for PNG, JPEG and DDS and the bottom
// row for bottom-up files such as most TGA and BMP. So between the two: z changes sign (for
// normals too), every triangle's corners run the other way, and v becomes 1 - v for images
// delivered top row first (a group without a texture keeps v as it is: there is no image to
// measure it from). Both directions use these same few lines, so a model taken out
// and brought back in gets its numbers back (v only to the rounding of 1 - (1 - v)). A sign
// is changed as 0 - z, so that a zero stays +0 and the files show no "-0".

inline MeshVertex mshVertex(const aiVector3D& position, const aiVector3D& normal,
                            const aiVector3D& uv, bool topRowFirst) {
    return {position.x,
            position.y,
            0.0f - position.z,
            normal.x,
            normal.y,
            0.0f - normal.z,
            uv.x,
            topRowFirst ? 1.0f - uv.y : uv.y};
}

inline void assimpVertex(const MeshVertex& vertex, bool topRowFirst, aiVector3D& position,
                         aiVector3D& normal, aiVector3D& uv) {
    position = aiVector3D(vertex.x, vertex.y, 0.0f - vertex.z);
    normal = aiVector3D(vertex.nx, vertex.ny, 0.0f - vertex.nz);
    uv = aiVector3D(vertex.u, topRowFirst ? 1.0f - vertex.v : vertex.v, 0.0f);
}

// Corners a, b, c in one frame are a, c, b in the other.
inline void reverseCorners(unsigned (&corners)[3]) {
    unsigned second = corners[1];
    corners[1] = corners[2];
    corners[2] = second;
}
