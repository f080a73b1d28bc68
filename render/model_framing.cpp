#include "render/model_framing.h"

#include "mesh/mesh_scene.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

// Neither a single point nor a box seen exactly end-on gives the eye a distance of its own: the
// nearest corner stays at least this share of the box's radius in front of the eye.
constexpr double nearestShare = 0.01;

bool cornersInside(const MeshTriangle& triangle, int vertexCount) {
    for (int corner : triangle.indices)
        if (corner < 0 || corner >= vertexCount) return false;
    return true;
}

bool fitsAFloat(double value) {
    return std::isfinite(value) && std::abs(value) <= FLT_MAX;
}

} // namespace

void ModelBounds::include(double x, double y, double z) {
    const double point[3] = {x, y, z};
    for (double value : point)
        if (!std::isfinite(value)) return;
    bool first = empty();
    for (int i = 0; i < 3; ++i) {
        min[i] = first ? point[i] : std::min(min[i], point[i]);
        max[i] = first ? point[i] : std::max(max[i], point[i]);
    }
}

ModelBounds meshBounds(const MeshScene& scene, const ViewTurn& turn) {
    ModelBounds bounds;
    for (int g = 0; g < scene.groupCount; ++g) {
        const MeshGroup& group = scene.groups[g];
        if (!group.vertices || !group.triangles) continue;
        for (int t = 0; t < group.triangleCount; ++t) {
            if (!cornersInside(group.triangles[t], group.vertexCount)) continue;
            for (int corner : group.triangles[t].indices) {
                const MeshVertex& v = group.vertices[corner];
                const double p[3] = {v.x, v.z, v.y};
                bounds.include(turn[0][0] * p[0] + turn[0][1] * p[1] + turn[0][2] * p[2],
                               turn[1][0] * p[0] + turn[1][1] * p[1] + turn[1][2] * p[2],
                               turn[2][0] * p[0] + turn[2][1] * p[1] + turn[2][2] * p[2]);
            }
        }
    }
    return bounds;
}

bool frameBounds(const ModelBounds& bounds, double halfFieldTangent, ThumbnailFraming& framing) {
    if (bounds.empty() || !(halfFieldTangent > 0) || !std::isfinite(halfFieldTangent)) return false;
    double centre[3], half[3], farOut = 0;
    for (int i = 0; i < 3; ++i) {
        centre[i] = bounds.min[i] / 2 + bounds.max[i] / 2;
        half[i] = bounds.max[i] / 2 - bounds.min[i] / 2;
        farOut = std::max(farOut, std::abs(centre[i]));
    }
    // A box without extent still gets a size, small beside its distance from the origin.
    const double radius = std::max({std::hypot(half[0], half[1], half[2]), farOut * 1e-6, 1e-30});
    // Square to the view and centred on it, the box is seen centred, and fills its share of the
    // picture when the corners of its near face reach that far out.
    const double distance =
        std::max(half[2] + nearestShare * radius,
                 std::max(half[0], half[1]) / (halfFieldTangent * framedShare) + half[2]);
    for (int i = 0; i < 3; ++i)
        framing.shift[i] = -centre[i];
    framing.shift[2] -= distance;
    framing.distance = distance;
    // Planes with room on both sides of the box: the depth buffer keeps its precision, since
    // the nearest corner is never much nearer than the box's own size.
    framing.nearPlane = (distance - half[2]) / 2;
    framing.farPlane = (distance + half[2]) * 2;
    // The GL keeps matrices in single precision: a view it cannot hold is no view.
    return fitsAFloat(framing.shift[0]) && fitsAFloat(framing.shift[1]) &&
           fitsAFloat(framing.shift[2]) && fitsAFloat(framing.farPlane) && framing.nearPlane > 0;
}
