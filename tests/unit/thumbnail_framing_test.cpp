// The thumbnail's framing: a model's bounds as the draw pass sends its corners, and the view that
// fits them to a square picture, whatever their size and distance from the origin.
#include "mesh/mesh_scene.h"
#include "render/model_framing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();
const double tangent = std::tan(15.0 * std::acos(-1.0) / 180); // a 30-degree field of view

ModelBounds box(double x0, double y0, double z0, double x1, double y1, double z1) {
    ModelBounds bounds;
    bounds.include(x0, y0, z0);
    bounds.include(x1, y1, z1);
    return bounds;
}

TEST(ThumbnailFraming, EveryBoxFillsThePictureCentredInFrontOfTheEye) {
    struct Case {
        std::string what;
        ModelBounds bounds;
        bool fills = true; // false: no extent across the view, nothing to fill with
    };
    const std::vector<Case> cases = {
        {"a cube about the origin", box(-1, -1, -1, 1, 1, 1)},
        {"a cube far from the origin", box(3999, -2501, 6999, 4001, -2499, 7001)},
        {"a cube far behind the eye", box(-1, -1, 5e4, 1, 1, 5e4 + 2)},
        {"much larger than the default view", box(-2000, -1500, -1800, 2000, 1500, 1800)},
        {"far and huge", box(1e20, -3e20, 2e20, 1.5e20, -2e20, 4e20)},
        {"tiny", box(1e-20, 1e-20, 1e-20, 3e-20, 2e-20, 2e-20)},
        {"long and thin across", box(-50, -0.5, -0.5, 50, 0.5, 0.5)},
        {"long and thin along the view", box(-0.5, -0.5, -50, 0.5, 0.5, 50)},
        {"flat, facing the eye", box(-2, -1, 7, 2, 1, 7)},
        {"flat, edge on", box(-2, 4, -3, 2, 4, 3)},
        {"a line across", box(-10, 2, 0, 10, 2, 0)},
        {"a line along the view", box(5, 5, -10, 5, 5, 10), false},
        {"a point", box(5, -7, 3, 5, -7, 3), false},
        {"a point far out", box(1e30, -1e30, 1e29, 1e30, -1e30, 1e29), false},
    };
    for (const auto& [what, bounds, fills] : cases) {
        SCOPED_TRACE(what);
        ThumbnailFraming framing;
        ASSERT_TRUE(frameBounds(bounds, tangent, framing));
        // Each corner as the eye sees it: across and up as shares of the half picture.
        double low[2] = {inf, inf}, high[2] = {-inf, -inf};
        for (int k = 0; k < 8; ++k) {
            double eye[3];
            for (int i = 0; i < 3; ++i)
                eye[i] = ((k >> i) & 1 ? bounds.max[i] : bounds.min[i]) + framing.shift[i];
            EXPECT_TRUE(-eye[2] > framing.nearPlane && -eye[2] < framing.farPlane) << -eye[2];
            for (int axis = 0; axis < 2; ++axis) {
                low[axis] = std::min(low[axis], eye[axis] / -eye[2] / tangent);
                high[axis] = std::max(high[axis], eye[axis] / -eye[2] / tangent);
            }
        }
        // 24 depth bits keep apart what lies a thousandth of the depth range apart.
        EXPECT_LT(framing.farPlane / framing.nearPlane, 1e4);
        for (int axis = 0; axis < 2; ++axis) {
            EXPECT_NEAR(high[axis] + low[axis], 0, 0.01 * (high[axis] - low[axis]) + 1e-9)
                << "off centre along " << axis << ": " << low[axis] << " to " << high[axis];
            EXPECT_TRUE(low[axis] >= -framedShare - 1e-9 && high[axis] <= framedShare + 1e-9)
                << "past the margin along " << axis << ": " << low[axis] << " to " << high[axis];
        }
        const double widest = std::max(high[0], high[1]);
        EXPECT_TRUE(!fills || widest > framedShare * 0.98) << "fills only " << widest;
    }
}

TEST(ThumbnailFraming, NoViewOfNothingOrOfWhatAFloatCannotHold) {
    ThumbnailFraming framing;
    ModelBounds unseen;
    unseen.include(nan, 0, 0);
    unseen.include(0, -inf, 0);
    EXPECT_FALSE(frameBounds(unseen, tangent, framing)) << "no finite point";
    EXPECT_FALSE(frameBounds(box(-1e38, -1e38, -1e38, 1e38, 1e38, 1e38), tangent, framing))
        << "the eye would stand farther out than a float reaches";
    EXPECT_FALSE(frameBounds(box(-1, -1, -1, 1, 1, 1), 0, framing)) << "no field of view";
}

MeshVertex at(float x, float y, float z) {
    return {x, y, z, 0, 1, 0, 0, 0};
}

TEST(ThumbnailFraming, MeshBoundsTakeTheCornersTheDrawPassSends) {
    const float fnan = std::numeric_limits<float>::quiet_NaN();
    struct Group {
        std::vector<MeshVertex> vertices;
        std::vector<MeshTriangle> triangles;
    };
    struct Case {
        std::string what;
        std::vector<Group> groups;
        const ViewTurn* turn;
        double min[3], max[3]; // min > max: empty
    };
    const ViewTurn unturned = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const ViewTurn quarterAboutUp = {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}};
    const std::vector<Case> cases = {
        {"second and third coordinates exchanged",
         {{{at(1, 2, 3), at(-1, -5, 4), at(0, 0, 9)}, {{{0, 1, 2}}}}},
         &unturned,
         {-1, 3, -5},
         {1, 9, 2}},
        {"only corners of triangles inside their group, and only finite ones",
         {{{at(0, 0, 0), at(1, 1, 1), at(50, 50, 50), at(fnan, 0, 0), at(-9, -9, -9)},
           {{{0, 1, 3}}, {{2, 1, 5}}, {{2, -1, 0}}}}},
         &unturned,
         {0, 0, 0},
         {1, 1, 1}},
        {"every group",
         {{{at(-1, 0, 0)}, {{{0, 0, 0}}}}, {{}, {}}, {{at(0, 3, -2)}, {{{0, 0, 0}}}}},
         &unturned,
         {-1, -2, 0},
         {0, 0, 3}},
        {"turned as the eye is: a quarter turn about the up axis",
         {{{at(1, 0, 0), at(0, 0, 2), at(0, 3, 0)}, {{{0, 1, 2}}}}},
         &quarterAboutUp,
         {-2, 0, 0},
         {0, 1, 3}},
        {"no triangles", {{{at(1, 1, 1)}, {}}}, &unturned, {1}, {0}},
        {"no finite corner", {{{at(fnan, 0, 0)}, {{{0, 0, 0}}}}}, &unturned, {1}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MeshScene scene;
        scene.groupCount = static_cast<int>(c.groups.size());
        scene.groups.reset(new MeshGroup[c.groups.size()]());
        for (std::size_t g = 0; g < c.groups.size(); ++g) {
            MeshGroup& group = scene.groups[g];
            group.vertexCount = static_cast<int>(c.groups[g].vertices.size());
            group.triangleCount = static_cast<int>(c.groups[g].triangles.size());
            ASSERT_TRUE(group.vertices.allocate(group.vertexCount + 1));
            ASSERT_TRUE(group.triangles.allocate(group.triangleCount + 1));
            std::copy(c.groups[g].vertices.begin(), c.groups[g].vertices.end(), &group.vertices[0]);
            std::copy(c.groups[g].triangles.begin(), c.groups[g].triangles.end(),
                      &group.triangles[0]);
        }
        ModelBounds bounds = meshBounds(scene, *c.turn);
        ASSERT_EQ(bounds.empty(), c.min[0] > c.max[0]);
        for (int i = 0; i < 3 && !bounds.empty(); ++i) {
            EXPECT_EQ(bounds.min[i], c.min[i]) << "min " << i;
            EXPECT_EQ(bounds.max[i], c.max[i]) << "max " << i;
        }
    }
}

} // namespace
