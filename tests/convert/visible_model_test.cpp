// What the converter does so that a model shows at once in the viewer: materials the viewer's
// ambient-only lighting can show, the start-up view check, and --fit.
#include "tools/convert/startup_view.h"
#include "tools/convert/visible_materials.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

MeshVertex at(double x, double y, double z) {
    MeshVertex v{};
    v.x = static_cast<float>(x), v.y = static_cast<float>(y), v.z = static_cast<float>(z);
    return v;
}

// One group whose one triangle spans the box from low to high.
MshModel boxModel(const double (&low)[3], const double (&high)[3]) {
    MshModel model;
    MshGroup group;
    group.vertices = {at(low[0], low[1], low[2]), at(high[0], high[1], high[2]),
                      at(low[0], high[1], low[2])};
    group.triangles = {MeshTriangle{{0, 1, 2}}};
    model.groups.push_back(group);
    return model;
}

struct ViewCase {
    const char* what;
    double low[3];
    double high[3];
    const char* why; // the start of the reason, or "" when seen
};

TEST(ConvertStartupView, SaysWhenTheModelWouldNotBeSeen) {
    const ViewCase cases[] = {
        {"unit cube at the origin", {-1, -1, -1}, {1, 1, 1}, ""},
        {"small model", {-0.25, -0.25, -0.25}, {0.25, 0.25, 0.25}, ""},
        {"0.02 units across (sphere.dae)",
         {-0.01, -0.01, -0.01},
         {0.01, 0.01, 0.01},
         "the model is too small"},
        {"partly in view at one side", {-1, -1, 5}, {1, 1, 20}, ""},
        {"up to just before the far plane", {980, -50, -50}, {985, 50, 50}, ""},
        {"193 units across about the origin",
         {-96, -40, -96},
         {96, 40, 96},
         "the viewer's "
         "start-up eye"},
        {"cube beside the view at z 58", {-1, -1, 57}, {1, 1, 59}, "the model lies outside"},
        {"far off centre (162, 272, 368)", {160, 270, 366}, {164, 274, 370}, "the model lies"},
        {"behind the eye", {-30, -1, -1}, {-20, 1, 1}, "the model lies outside"},
        {"beyond the far plane", {1000, -1, -1}, {1005, 1, 1}, "the model lies outside"},
        {"above the view", {-5, 8, -1}, {-4, 9, 1}, "the model lies outside"},
    };
    for (const ViewCase& c : cases) {
        const std::string why = whyUnseenAtStartup(boxModel(c.low, c.high));
        if (*c.why == '\0')
            EXPECT_EQ(why, "") << c.what;
        else
            EXPECT_EQ(why.rfind(c.why, 0), 0u) << c.what << ": " << why;
    }
}

TEST(ConvertStartupView, ABoxAcrossTheViewWithEveryTriangleOutsideIsNotSeen) {
    // One triangle beside the view far ahead, one behind the eye: the box between them
    // reaches into the view, nothing drawn does (huesitos.fbx's bones).
    MshModel model = boxModel({400, 5, 420}, {401, 6, 425});
    model.groups.push_back(boxModel({-100, 5, 0}, {-90, 6, 1}).groups[0]);
    EXPECT_EQ(whyUnseenAtStartup(model).rfind("the model lies outside", 0), 0u);
    model.groups.push_back(boxModel({0, 5, 0}, {1, 6, 1}).groups[0]);
    EXPECT_EQ(whyUnseenAtStartup(model), "") << "one triangle in view";
}

TEST(ConvertStartupView, FitCentresAndScalesTheBoundingSphereIntoTheView) {
    // Huge and off centre (spider.fbx is 19,000 units across), and tiny.
    for (double size : {19000.0, 0.01}) {
        MshModel model =
            boxModel({162 * size, 272 * size, 368 * size}, {163 * size, 275 * size, 380 * size});
        model.groups[0].vertices.push_back(at(162.5 * size, 273.5 * size, 374 * size));
        ASSERT_TRUE(fitToStartupView(model));
        const ModelBounds bounds = boundsOf(model);
        double radius = 0;
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(bounds.low[k] + bounds.high[k], 0, 1e-4) << "centred, axis " << k;
            // Uniform: the box keeps its proportions (1 : 3 : 12).
            EXPECT_NEAR((bounds.high[k] - bounds.low[k]) / (bounds.high[2] - bounds.low[2]),
                        (k == 0   ? 1.0
                         : k == 1 ? 3.0
                                  : 12.0) /
                            12.0,
                        1e-5);
        }
        for (const MeshVertex& v : model.groups[0].vertices)
            radius = std::fmax(
                radius, std::sqrt(double{v.x} * v.x + double{v.y} * v.y + double{v.z} * v.z));
        // Inside the 35 degrees above and below the view's axis from 10 units, and filling
        // most of it.
        const double limit = 10 * std::sin(35 * M_PI / 180);
        EXPECT_LT(radius, limit) << size;
        EXPECT_GT(radius, 0.8 * limit) << size;
        EXPECT_EQ(whyUnseenAtStartup(model), "");
    }
    MshModel flat = boxModel({1, 1, 1}, {1, 1, 1});
    EXPECT_FALSE(fitToStartupView(flat)) << "no extent to scale";
}

struct MaterialCase {
    const char* what;
    float diffuse[4];
    float ambient[4];
    float expectedAmbient[4];
};

TEST(ConvertVisibleMaterials, BlackAmbientTakesTheDiffuseColour) {
    const MaterialCase cases[] = {
        {"black ambient", {0.8f, 0.6f, 0.2f, 1}, {0, 0, 0, 1}, {0.8f, 0.6f, 0.2f, 1}},
        {"own ambient kept", {0.8f, 0.6f, 0.2f, 1}, {0.1f, 0, 0, 1}, {0.1f, 0, 0, 1}},
        {"black on black stays", {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}},
        {"alpha kept", {1, 1, 1, 0.5f}, {0, 0, 0, 0.5f}, {1, 1, 1, 0.5f}},
    };
    for (const MaterialCase& c : cases) {
        MshModel model;
        MeshMaterial material{};
        std::copy(c.diffuse, c.diffuse + 4, material.diffuse);
        std::copy(c.ambient, c.ambient + 4, material.ambient);
        model.materials = {material};
        std::FILE* out = std::tmpfile();
        Notes notes(out);
        makeMaterialsVisible(model, notes);
        notes.flush();
        const bool changed = std::ftell(out) > 0;
        std::fclose(out);
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(model.materials[0].ambient[k], c.expectedAmbient[k]) << c.what << " " << k;
        EXPECT_EQ(changed, !std::equal(c.ambient, c.ambient + 4, c.expectedAmbient)) << c.what;
    }
}

TEST(ConvertVisibleMaterials, OpaqueOnlyWhenEveryMaterialIsFullyTransparent) {
    MshModel model;
    MeshMaterial clear{};
    clear.diffuse[0] = clear.ambient[0] = 1;
    MeshMaterial half = clear;
    half.diffuse[3] = half.ambient[3] = 0.5f;
    std::FILE* sink = std::tmpfile();
    Notes quiet(sink);
    model.materials = {clear, half};
    makeMaterialsVisible(model, quiet);
    EXPECT_EQ(model.materials[0].diffuse[3], 0) << "one material is seen: the file is read right";
    model.materials = {clear, clear};
    makeMaterialsVisible(model, quiet);
    for (const MeshMaterial& material : model.materials) {
        EXPECT_EQ(material.diffuse[3], 1);
        EXPECT_EQ(material.ambient[3], 1);
    }
    std::fclose(sink);
}

} // namespace
