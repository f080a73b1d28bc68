#include "render/view_fit.h"

#include "mesh/mesh_scene.h"
#include "render/model_framing.h"
#include "render/viewport.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {

constexpr float startDistance = 10.0f;
// Room left between the near plane and the model's nearest side, as a share of the plane's
// distance.
constexpr double nearRoom = 0.01;

bool fitted = false;
double lookAt[3] = {0, 0, 0};

double radians(float degrees) {
    return static_cast<double>(degrees) * std::acos(-1.0) / 180.0;
}

void multiply(const double (&a)[3][3], const double (&b)[3][3], double (&product)[3][3]) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            product[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
}

// The turn of applyCamera's view: gluLookAt from the negative x axis with z up (eye x = -y,
// eye y = z, eye z = -x), then the turns about y and about z.
void viewTurn(ViewTurn& turn) {
    const double cy = std::cos(radians(meshScene.rotationY)),
                 sy = std::sin(radians(meshScene.rotationY));
    const double cz = std::cos(radians(meshScene.rotationZ)),
                 sz = std::sin(radians(meshScene.rotationZ));
    const double aboutY[3][3] = {{cy, 0, sy}, {0, 1, 0}, {-sy, 0, cy}};
    const double aboutZ[3][3] = {{cz, -sz, 0}, {sz, cz, 0}, {0, 0, 1}};
    const double lookAlongX[3][3] = {{0, -1, 0}, {0, 0, 1}, {-1, 0, 0}};
    double turned[3][3];
    multiply(aboutY, aboutZ, turned);
    multiply(lookAlongX, turned, turn);
}

bool fitsAFloat(double value) {
    return std::isfinite(value) && std::abs(value) <= FLT_MAX;
}

} // namespace

void resetView() {
    meshScene.rotationY = 0;
    meshScene.rotationZ = 0;
    meshScene.setDistance(startDistance);
    fitted = false;
    for (double& coordinate : lookAt)
        coordinate = 0;
}

bool fitView(int width, int height) {
    if (width <= 0) return false;
    if (height <= 0) height = 1;
    ViewTurn turn;
    viewTurn(turn);
    ModelBounds bounds = meshBounds(meshScene, turn);
    // The framing is for a square picture: with the box squeezed across by the window's aspect,
    // filling the square is filling the window.
    const double aspect = static_cast<double>(width) / height;
    bounds.min[0] /= aspect;
    bounds.max[0] /= aspect;
    ThumbnailFraming framing;
    const double halfFieldTangent = std::tan(viewFieldOfView / 2 * std::acos(-1.0) / 180);
    if (!frameBounds(bounds, halfFieldTangent, framing)) return false;
    // The box's centre in the eye's axes, then turned back into the model's.
    const double centre[3] = {-framing.shift[0] * aspect, -framing.shift[1],
                              -framing.shift[2] - framing.distance};
    double model[3];
    for (int i = 0; i < 3; ++i) {
        model[i] = turn[0][i] * centre[0] + turn[1][i] * centre[1] + turn[2][i] * centre[2];
        if (!fitsAFloat(model[i])) return false;
    }
    const double halfDepth = bounds.max[2] / 2 - bounds.min[2] / 2;
    const double distance = std::max(framing.distance, halfDepth + viewNearPlane * (1 + nearRoom));
    if (!fitsAFloat(distance)) return false;
    meshScene.setDistance(static_cast<float>(distance));
    std::copy(model, model + 3, lookAt);
    fitted = true;
    return true;
}

bool fittedCentre(double centre[3]) {
    if (!fitted) return false;
    std::copy(lookAt, lookAt + 3, centre);
    return true;
}
