#pragma once

#include "bench/mesh_generator.h"

// A torus around the file's y axis, or an arc of one. Positions are offset; u runs along the
// ring, v around the tube.
struct TorusShape {
    float majorRadius = 2.0f;
    float minorRadius = 0.6f;
    int ringSegments = 64;    // around the y axis, over the whole ring
    int tubeSegments = 32;    // around the tube
    int firstRingSegment = 0; // an arc covers segments [first, first + count)
    int ringSegmentCount = 64;
    float offset[3] = {};
    // Closed surface without a texture seam: the last row and column join the first ones, so
    // V = rings * tubes and T = 2 * V exactly. Needs the whole ring.
    bool shareSeams = false;
};

int torusVertexCount(const TorusShape& shape);
int torusTriangleCount(const TorusShape& shape);
// False when the segment counts do not describe a torus or an arc of one.
bool isValidTorus(const TorusShape& shape);
// Appends the torus's vertices and triangles to group; false (group untouched) when invalid.
bool appendTorus(GenGroup& group, const TorusShape& shape);

// Appends one face of an axis-aligned cube centred at centre: a square of side 2 * halfSize
// whose outward normal is one of the six axis directions (axis 0..2, sign +1 or -1). On the
// side faces the image stands upright (its first row at +y) and reads unmirrored in the viewer.
void appendCubeFace(GenGroup& group, const float centre[3], float halfSize, int axis, int sign);
