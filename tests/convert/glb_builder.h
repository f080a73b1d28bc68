#pragma once

#include <string>
#include <vector>

// A glTF 2.0 binary file written by hand, as any glTF writer would: one textured square
// mesh, its image (PNG bytes) inside the file, placed by the nodes given.
struct GlbNode {
    float translation[3] = {0, 0, 0};
    float scale[3] = {1, 1, 1};
};

// The square lies in the plane x = 0 (glTF: right-handed, y up), corners at y, z = ±2, facing
// -x (counter-clockwise seen from there). Seen from -x with y up, +z is on the right; the
// image's top-left corner (uv 0, 0) is at y = 2, z = -2.
std::string squareGlb(const std::string& png, const std::vector<GlbNode>& nodes);
