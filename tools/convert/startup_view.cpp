#include "tools/convert/startup_view.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double eyeDistance = 10.0;
constexpr double halfFieldOfView = 35.0 * 3.14159265358979323846 / 180.0;
constexpr double aspect = 4.0 / 3.0;
constexpr double nearPlane = static_cast<double>(0.1f);
constexpr double farPlane = 1000.0;
// Smaller than this many pixels of the start-up picture's 480 rows, a model is not seen.
constexpr double smallestSeen = 4;
// The share of the view's height the bounding sphere fills after --fit.
constexpr double fitShare = 0.9;

void include(ModelBounds& bounds, const MeshVertex& vertex) {
    const double position[3] = {vertex.x, vertex.y, vertex.z};
    for (int k = 0; k < 3; ++k) {
        bounds.low[k] = bounds.empty ? position[k] : std::min(bounds.low[k], position[k]);
        bounds.high[k] = bounds.empty ? position[k] : std::max(bounds.high[k], position[k]);
    }
    bounds.empty = false;
}

template <typename Model, typename Visit> void forEachDrawnVertex(Model& model, Visit visit) {
    for (auto& group : model.groups)
        for (const MeshTriangle& triangle : group.triangles)
            for (int corner : triangle.indices)
                if (corner >= 0 && static_cast<std::size_t>(corner) < group.vertices.size())
                    visit(group.vertices[static_cast<std::size_t>(corner)]);
}

// The distance from the centre to the farthest drawn vertex.
double sphereRadius(const MshModel& model, const double (&centre)[3]) {
    double square = 0;
    forEachDrawnVertex(model, [&](const MeshVertex& v) {
        const double d[3] = {v.x - centre[0], v.y - centre[1], v.z - centre[2]};
        square = std::max(square, d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    });
    return std::sqrt(square);
}

struct ViewPoint {
    double depth, up, side; // along the view from the eye, then y and z
};

ViewPoint seen(double x, double y, double z) {
    return {x + eyeDistance, y, z};
}

// How far a point lies beyond one of the view's six planes (> 0: outside).
double beyond(int plane, const ViewPoint& p) {
    const double tanUp = std::tan(halfFieldOfView), tanSide = tanUp * aspect;
    switch (plane) {
    case 0:
        return nearPlane - p.depth;
    case 1:
        return p.depth - farPlane;
    case 2:
        return p.up - p.depth * tanUp;
    case 3:
        return -p.up - p.depth * tanUp;
    case 4:
        return p.side - p.depth * tanSide;
    default:
        return -p.side - p.depth * tanSide;
    }
}

// Whether all the points lie beyond one and the same plane: then none of what they span is
// drawn. (Points beyond different planes may still span something in view.)
template <std::size_t N> bool allBeyondOnePlane(const ViewPoint (&points)[N]) {
    for (int plane = 0; plane < 6; ++plane) {
        bool all = true;
        for (const ViewPoint& p : points)
            all = all && beyond(plane, p) > 0;
        if (all) return true;
    }
    return false;
}

bool boxOutsideView(const ModelBounds& b) {
    ViewPoint corners[8];
    for (int c = 0; c < 8; ++c)
        corners[c] = seen((c & 1) ? b.high[0] : b.low[0], (c & 2) ? b.high[1] : b.low[1],
                          (c & 4) ? b.high[2] : b.low[2]);
    return allBeyondOnePlane(corners);
}

bool everyTriangleOutsideView(const MshModel& model) {
    for (const MshGroup& group : model.groups)
        for (const MeshTriangle& triangle : group.triangles) {
            ViewPoint corners[3];
            bool inside = true;
            for (int k = 0; k < 3; ++k) {
                const int corner = triangle.indices[k];
                inside = inside && corner >= 0 &&
                         static_cast<std::size_t>(corner) < group.vertices.size();
                if (!inside) break;
                const MeshVertex& v = group.vertices[static_cast<std::size_t>(corner)];
                corners[k] = seen(v.x, v.y, v.z);
            }
            if (inside && !allBeyondOnePlane(corners)) return false;
        }
    return true;
}

// How many of the 480 rows the box's diagonal would cover at its nearest depth, at most.
double pixelsAcross(const ModelBounds& b) {
    double square = 0;
    for (int k = 0; k < 3; ++k)
        square += (b.high[k] - b.low[k]) * (b.high[k] - b.low[k]);
    const double depth = std::max(nearPlane, b.low[0] + eyeDistance);
    return std::sqrt(square) / depth * 240 / std::tan(halfFieldOfView);
}

} // namespace

ModelBounds boundsOf(const MshModel& model) {
    ModelBounds bounds;
    forEachDrawnVertex(model, [&](const MeshVertex& vertex) { include(bounds, vertex); });
    return bounds;
}

bool fitToStartupView(MshModel& model) {
    const ModelBounds bounds = boundsOf(model);
    if (bounds.empty) return false;
    double centre[3];
    for (int k = 0; k < 3; ++k)
        centre[k] = (bounds.low[k] + bounds.high[k]) / 2;
    const double radius = sphereRadius(model, centre);
    if (!(radius > 0) || !std::isfinite(radius)) return false;
    // A sphere at the eye's distance touches the view's top and bottom at this radius.
    const double scale = fitShare * eyeDistance * std::sin(halfFieldOfView) / radius;
    for (MshGroup& group : model.groups)
        for (MeshVertex& v : group.vertices) {
            v.x = static_cast<float>((v.x - centre[0]) * scale);
            v.y = static_cast<float>((v.y - centre[1]) * scale);
            v.z = static_cast<float>((v.z - centre[2]) * scale);
        }
    return true;
}

std::string whyUnseenAtStartup(const MshModel& model) {
    const ModelBounds bounds = boundsOf(model);
    if (bounds.empty) return {};
    const double eye[3] = {-eyeDistance, 0, 0};
    bool eyeInside = true;
    for (int k = 0; k < 3; ++k)
        eyeInside = eyeInside && bounds.low[k] <= eye[k] && eye[k] <= bounds.high[k];
    if (eyeInside) return "the viewer's start-up eye is inside the model";
    if (boxOutsideView(bounds) || everyTriangleOutsideView(model))
        return "the model lies outside the viewer's start-up view";
    if (pixelsAcross(bounds) < smallestSeen)
        return "the model is too small to be seen at the viewer's start-up view";
    return {};
}

void placeForStartupView(MshModel& model, bool fit, Notes& notes) {
    if (fit) {
        fitToStartupView(model);
        return;
    }
    const std::string why = whyUnseenAtStartup(model);
    if (!why.empty()) notes.say(why + ": --fit centres and scales it into view");
}
