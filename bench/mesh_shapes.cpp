#include "bench/mesh_shapes.h"

#include <cmath>
#include <numbers>

namespace {

int torusRows(const TorusShape& shape) {
    return shape.shareSeams ? shape.ringSegments : shape.ringSegmentCount + 1;
}

int torusColumns(const TorusShape& shape) {
    return shape.shareSeams ? shape.tubeSegments : shape.tubeSegments + 1;
}

GenVertex torusVertex(const TorusShape& shape, int ringIndex, int tubeIndex) {
    const double theta = 2 * std::numbers::pi * ringIndex / shape.ringSegments;
    const double phi = 2 * std::numbers::pi * tubeIndex / shape.tubeSegments;
    const double normal[3] = {std::cos(phi) * std::cos(theta), std::sin(phi),
                              std::cos(phi) * std::sin(theta)};
    const double ringRadius = shape.majorRadius + shape.minorRadius * std::cos(phi);
    const double position[3] = {ringRadius * std::cos(theta), shape.minorRadius * normal[1],
                                ringRadius * std::sin(theta)};
    GenVertex vertex;
    for (int k = 0; k < 3; ++k) {
        vertex.position[k] = static_cast<float>(position[k] + shape.offset[k]);
        vertex.normal[k] = static_cast<float>(normal[k]);
    }
    vertex.uv[0] = static_cast<float>(ringIndex) / shape.ringSegments;
    vertex.uv[1] = static_cast<float>(tubeIndex) / shape.tubeSegments;
    return vertex;
}

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

int torusVertexCount(const TorusShape& shape) {
    return torusRows(shape) * torusColumns(shape);
}

int torusTriangleCount(const TorusShape& shape) {
    return 2 * shape.ringSegmentCount * shape.tubeSegments;
}

bool isValidTorus(const TorusShape& shape) {
    if (!(shape.minorRadius > 0 && shape.majorRadius > shape.minorRadius)) return false;
    if (shape.ringSegments < 3 || shape.tubeSegments < 3 || shape.tubeSegments > 1 << 15)
        return false;
    if (shape.firstRingSegment < 0 || shape.ringSegmentCount < 1 ||
        shape.ringSegmentCount > shape.ringSegments - shape.firstRingSegment)
        return false;
    if (shape.shareSeams &&
        (shape.firstRingSegment != 0 || shape.ringSegmentCount != shape.ringSegments))
        return false;
    // Indices are ints in the file and in the viewer.
    return 2LL * (shape.ringSegmentCount + 1) * (shape.tubeSegments + 1) < (1LL << 31);
}

bool appendTorus(GenGroup& group, const TorusShape& shape) {
    if (!isValidTorus(shape)) return false;
    const int rows = torusRows(shape);
    const int columns = torusColumns(shape);
    const int base = static_cast<int>(group.vertices.size());
    group.vertices.reserve(group.vertices.size() + torusVertexCount(shape));
    group.triangles.reserve(group.triangles.size() + torusTriangleCount(shape));
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column)
            group.vertices.push_back(torusVertex(shape, shape.firstRingSegment + row, column));
    auto index = [&](int row, int column) {
        return base + (row % rows) * columns + column % columns;
    };
    // Stepping around the tube, then along the ring, turns counter-clockwise seen from outside.
    for (int row = 0; row < shape.ringSegmentCount; ++row) {
        for (int column = 0; column < shape.tubeSegments; ++column) {
            const int a = index(row, column), b = index(row, column + 1);
            const int c = index(row + 1, column + 1), d = index(row + 1, column);
            group.triangles.push_back({a, b, c});
            group.triangles.push_back({a, c, d});
        }
    }
    return true;
}

void appendCubeFace(GenGroup& group, const float centre[3], float halfSize, int axis, int sign) {
    float normal[3] = {};
    normal[axis] = static_cast<float>(sign);
    // v runs up the side faces, towards -z on the top and towards +z on the bottom.
    const float up[3] = {0, axis == 1 ? 0.0f : 1.0f, axis == 1 ? -normal[1] : 0.0f};
    float right[3];
    cross(up, normal, right);
    // Corners in the order (-right,-up), (+right,-up), (+right,+up), (-right,+up).
    const float cornerSigns[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const int base = static_cast<int>(group.vertices.size());
    for (const auto& signs : cornerSigns) {
        GenVertex vertex;
        for (int k = 0; k < 3; ++k) {
            const float offset = normal[k] + signs[0] * right[k] + signs[1] * up[k];
            vertex.position[k] = centre[k] + halfSize * offset;
            vertex.normal[k] = normal[k];
        }
        // The image's top-left corner goes to the face's top-left as the viewer shows it.
        vertex.uv[0] = signs[0] > 0 ? 0.0f : 1.0f;
        vertex.uv[1] = signs[1] > 0 ? 0.0f : 1.0f;
        group.vertices.push_back(vertex);
    }
    group.triangles.push_back({base, base + 1, base + 2});
    group.triangles.push_back({base, base + 2, base + 3});
}
