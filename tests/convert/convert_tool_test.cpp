// korvalin-convert run as a process, as users run it, on the samples and on models written
// here; what it writes is read back with the viewer's own reader, and drawn by korvalin-render.
#include "tests/convert/glb_builder.h"
#include "tests/convert/mesh_snapshot.h"
#include "tests/support/devil_image.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tool_process.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

ProcessRun convert(const TempFolder& folder, const std::vector<std::string>& arguments) {
    return runProgram(KORVALIN_CONVERT_PATH, arguments, folder);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> found;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        found.push_back(text.substr(start, end - start));
    return found;
}

// The files of a folder, by name.
std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

void copySamples(const TempFolder& folder) {
    for (const char* name : {"hull.msh", "hull.dds", "cube.msh", "crate.png", "stripes.tga",
                             "torus.msh", "checker.png"})
        fs::copy_file(std::string(KORVALIN_SAMPLES_DIR) + "/" + name, folder.file(name));
}

void expectSameColour(const float* expected, const float* found, int count,
                      const std::string& what) {
    for (int k = 0; k < count; ++k)
        EXPECT_TRUE(nearlyEqual(expected[k], found[k]))
            << what << "[" << k << "]: " << expected[k] << " became " << found[k];
}

// Normals in unit length: glTF holds no others.
void makeNormalsUnit(MeshSnapshot& mesh) {
    for (GroupSnapshot& group : mesh.groups)
        for (MeshVertex& v : group.vertices) {
            const double length =
                std::sqrt(double{v.nx} * v.nx + double{v.ny} * v.ny + double{v.nz} * v.nz);
            if (length == 0) continue;
            v.nx = static_cast<float>(v.nx / length);
            v.ny = static_cast<float>(v.ny / length);
            v.nz = static_cast<float>(v.nz / length);
        }
}

// Same groups, counts, textures and drawn triangles (within the text formats' rounding).
void expectSameGeometry(const MeshSnapshot& before, const MeshSnapshot& after) {
    ASSERT_EQ(before.groups.size(), after.groups.size());
    for (std::size_t g = 0; g < before.groups.size(); ++g) {
        const GroupSnapshot& a = before.groups[g];
        const GroupSnapshot& b = after.groups[g];
        EXPECT_EQ(a.vertices.size(), b.vertices.size()) << "group " << g;
        ASSERT_EQ(a.triangles.size(), b.triangles.size()) << "group " << g;
        EXPECT_EQ(a.texture, b.texture) << "group " << g;
        std::vector<CornerTriangle> drawnA = drawnTriangles(a), drawnB = drawnTriangles(b);
        int differing = 0;
        for (std::size_t t = 0; t < drawnA.size(); ++t)
            for (int c = 0; c < 3; ++c)
                for (int k = 0; k < 8; ++k)
                    if (!nearlyEqual(drawnA[t][c][k], drawnB[t][c][k]) && differing++ < 5)
                        ADD_FAILURE()
                            << "group " << g << " triangle " << t << " corner " << c << " number "
                            << k << ": " << drawnA[t][c][k] << " became " << drawnB[t][c][k];
        EXPECT_EQ(differing, 0) << "group " << g;
    }
}

struct RoundTrip {
    const char* sample;
    const char* format;
};

class SampleRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// Out to OBJ or glTF and back: the same model, material by material as far as the format
// holds materials (glTF has no ambient colour: the diffuse one comes back in its place), the
// alpha and the specular power too.
TEST_P(SampleRoundTrip, GivesTheSameModelBack) {
    TempFolder folder;
    copySamples(folder);
    const std::string sample = folder.file(std::string(GetParam().sample) + ".msh");
    const std::string exported = folder.file(std::string("out.") + GetParam().format);
    const std::string back = folder.file("back.msh");
    ProcessRun out = convert(folder, {sample, exported});
    ASSERT_EQ(out.status, 0) << out.err;
    ProcessRun in = convert(folder, {exported, back});
    ASSERT_EQ(in.status, 0) << in.err;
    EXPECT_EQ(in.err, "") << "nothing the .msh file cannot hold";

    MeshSnapshot before = readMeshFile(sample), after = readMeshFile(back);
    ASSERT_TRUE(before.loaded && after.loaded);
    const bool gltf = std::string(GetParam().format) == "gltf";
    if (gltf) {
        makeNormalsUnit(before);
        makeNormalsUnit(after);
    }
    ASSERT_NO_FATAL_FAILURE(expectSameGeometry(before, after));
    EXPECT_EQ(before.textures, after.textures);
    EXPECT_EQ(before.materials.size(), after.materials.size());
    for (std::size_t g = 0; g < before.groups.size(); ++g) {
        const MeshMaterial a = before.drawnMaterial(before.groups[g]);
        const MeshMaterial b = after.drawnMaterial(after.groups[g]);
        const std::string what = "group " + std::to_string(g) + " ";
        EXPECT_STREQ(a.name, b.name) << what;
        expectSameColour(a.diffuse, b.diffuse, 4, what + "diffuse");
        expectSameColour(gltf ? a.diffuse : a.ambient, b.ambient, gltf ? 3 : 4, what + "ambient");
        expectSameColour(a.specular, b.specular, 4, what + "specular");
        if (gltf) {
            // glTF holds the power as a roughness near 1, to about a millionth of it.
            EXPECT_NEAR(a.power, b.power, 2e-6 * std::max(1.0f, a.power)) << what << "power";
        } else {
            expectSameColour(&a.power, &b.power, 1, what + "power");
        }
        expectSameColour(a.emissive, b.emissive, 4, what + "emissive");
        // A reader other than assimp blends by the alpha only when the material says so.
        if (gltf && a.diffuse[3] < 1) {
            EXPECT_NE(readWholeFile(exported).find("\"alphaMode\": \"BLEND\""), std::string::npos)
                << what;
        }
    }
    if (gltf) {
        EXPECT_NE(out.err.find("ambient colours unlike the diffuse colour (glTF has none)"),
                  std::string::npos)
            << out.err;
    }
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleRoundTrip,
                         ::testing::Values(RoundTrip{"hull", "obj"}, RoundTrip{"hull", "gltf"},
                                           RoundTrip{"cube", "obj"}, RoundTrip{"cube", "gltf"},
                                           RoundTrip{"torus", "obj"}, RoundTrip{"torus", "gltf"}),
                         [](const auto& row) {
                             return std::string(row.param.sample) + "_" + row.param.format;
                         });

// An image with a differently coloured quarter in each corner, top-left red, top-right green,
// bottom-left blue, bottom-right white, saved as PNG.
std::string quadrantsPng(const TempFolder& folder) {
    const int side = 8;
    auto fill = [&](bool topRowFirst) {
        ImagePixels image;
        image.width = image.height = side;
        image.format = IL_RGB;
        for (int row = 0; row < side; ++row)
            for (int x = 0; x < side; ++x) {
                const bool top = (row < side / 2) == topRowFirst, left = x < side / 2;
                static const unsigned char colours[4][3] = {
                    {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
                const unsigned char* colour = colours[(top ? 0 : 2) + (left ? 0 : 1)];
                image.bytes.insert(image.bytes.end(), colour, colour + 3);
            }
        return image;
    };
    const std::string path = folder.file("quadrants.png");
    ILint origin = 0;
    EXPECT_TRUE(writeImageFile(path, fill(true), SaveAs::givenFormat, &origin));
    if (origin == IL_ORIGIN_LOWER_LEFT) {
        EXPECT_TRUE(writeImageFile(path, fill(false)));
    }
    return readWholeFile(path);
}

struct Rgb {
    int r, g, b;
};

// The PNG korvalin-render wrote, top row first: the colour at (x, y) from the top left.
Rgb pixelAt(const std::string& path, int x, int y) {
    ViewedImage viewed = readViewedImage(path, IL_RGB);
    if (x >= viewed.width || y >= viewed.height) return {-1, -1, -1};
    const unsigned char* p = &viewed.bytes[(static_cast<std::size_t>(y) * viewed.width + x) * 3];
    return {p[0], p[1], p[2]};
}

// Where a point of the plane through the origin, `right` and `up` units from the centre, is
// drawn in a 640x480 picture at the start-up camera (eye 10 units away, 70 degrees, 4/3).
std::pair<int, int> spotAt(double right, double up) {
    const double f = 1.0 / std::tan(35.0 * std::acos(-1.0) / 180.0);
    const int x = static_cast<int>(std::floor((right * f / (4.0 / 3.0 * 10) + 1) / 2 * 640));
    const int y = 479 - static_cast<int>(std::floor((up * f / 10 + 1) / 2 * 480));
    return {x, y};
}

TEST(ConvertTool, AGlbWithAnEmbeddedImageIsDrawnTexturedTheRightWayRound) {
    TempFolder folder;
    // The square as placed by the file, lifted by 0.5; and a mirrored copy far above the view.
    GlbNode lifted, mirrored;
    lifted.translation[1] = 0.5f;
    mirrored.translation[1] = 40;
    mirrored.scale[2] = -1;
    const std::string glb =
        folder.write("in/square.glb", squareGlb(quadrantsPng(folder), {lifted, mirrored}));
    const std::string msh = folder.file("out/square.msh");
    fs::create_directories(folder.file("out"));
    ProcessRun run = convert(folder, {glb, msh});
    ASSERT_EQ(run.status, 0) << run.err;

    // The image is written beside the .msh file and named by its texture list.
    MeshSnapshot mesh = readMeshFile(msh);
    ASSERT_EQ(mesh.textures, std::vector<std::string>{"square_quadrants.png"});
    EXPECT_EQ(readWholeFile(folder.file("out/square_quadrants.png")),
              readWholeFile(folder.file("quadrants.png")));
    EXPECT_EQ(filesIn(folder.file("out")),
              (std::vector<std::string>{"square.msh", "square_quadrants.png"}));

    // Both placements, each facing the way its normals point (the mirror kept front faces).
    ASSERT_EQ(mesh.groups.size(), 2u);
    for (const GroupSnapshot& group : mesh.groups) {
        ASSERT_EQ(group.triangles.size(), 2u);
        for (const MeshTriangle& t : group.triangles) {
            const MeshVertex &a = group.vertices[t.indices[0]], &b = group.vertices[t.indices[1]],
                             &c = group.vertices[t.indices[2]];
            const float cross[3] = {(b.y - a.y) * (c.z - a.z) - (b.z - a.z) * (c.y - a.y),
                                    (b.z - a.z) * (c.x - a.x) - (b.x - a.x) * (c.z - a.z),
                                    (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)};
            EXPECT_GT(cross[0] * a.nx + cross[1] * a.ny + cross[2] * a.nz, 0)
                << "(b - a) x (c - a) along the normal, as in the samples";
        }
    }
    float lowest = 100;
    for (const MeshVertex& v : mesh.groups[0].vertices)
        lowest = std::min(lowest, v.y);
    EXPECT_FLOAT_EQ(lowest, -1.5f) << "the node's translation is applied";

    // Drawn as the viewer draws it at start-up: the image upright, not mirrored.
    const std::string picture = folder.file("picture.png");
    ProcessRun render = runProgram(KORVALIN_RENDER_PATH,
                                   {"--textures", folder.file("out"), msh, "-o", picture}, folder);
    ASSERT_EQ(render.status, 0) << render.err;
    const struct {
        double right, up;
        Rgb colour;
        const char* what;
    } quarters[] = {{-1, 1.5, {255, 0, 0}, "top left red"},
                    {1, 1.5, {0, 255, 0}, "top right green"},
                    {-1, -0.5, {0, 0, 255}, "bottom left blue"},
                    {1, -0.5, {255, 255, 255}, "bottom right white"},
                    {3, 0.5, {0, 0, 0}, "background"}};
    for (const auto& quarter : quarters) {
        auto [x, y] = spotAt(quarter.right, quarter.up);
        Rgb found = pixelAt(picture, x, y);
        EXPECT_TRUE(std::abs(found.r - quarter.colour.r) <= 3 &&
                    std::abs(found.g - quarter.colour.g) <= 3 &&
                    std::abs(found.b - quarter.colour.b) <= 3)
            << quarter.what << ": (" << found.r << ", " << found.g << ", " << found.b << ") at "
            << x << ", " << y;
    }
}

TEST(ConvertTool, AnObjWithItsMaterialLibraryGivesTheMaterialsOneByOne) {
    TempFolder folder;
    fs::create_directories(folder.file("src/tex"));
    fs::copy_file(std::string(KORVALIN_SAMPLES_DIR) + "/crate.png",
                  folder.file("src/tex/wood.png"));
    folder.write("src/model.mtl", "newmtl red paint\nKd 0.8 0.1 0.1\nKa 0.4 0.05 0.05\n"
                                  "Ks 0.5 0.5 0.5\nKe 0 0 0.25\nNs 32\nd 0.5\n\n"
                                  "newmtl wood\nKd 1 1 1\nKa 0.9 0.8 0.7\nKs 0 0 0\n"
                                  "map_Kd tex\\wood.png\n");
    const std::string obj = folder.write(
        "src/model.obj", "mtllib model.mtl\n"
                         "v 0 0 0 1 0 0\nv 1 0 0 0 1 0\nv 1 1 0 0 0 1\nv 0 1 0 1 1 1\n"
                         "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nvn 0 0 1\n"
                         "g red\nusemtl red paint\nf 1//1 2//1 3//1\n"
                         "g wooden\nusemtl wood\nf 1/1/1 2/2/1 3/3/1 4/4/1\nl 1 2\np 3\n");
    fs::create_directories(folder.file("out/sub"));
    const std::string msh = folder.file("out/sub/model.msh");
    ProcessRun run = convert(folder, {obj, msh});
    ASSERT_EQ(run.status, 0) << run.err;
    // One line for each kind of thing left out.
    std::vector<std::string> notes = lines(run.err);
    std::sort(notes.begin(), notes.end());
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "korvalin-convert: blanks in material names written as '_' (a .msh "
                         "name is one word)",
                         "korvalin-convert: left out: lines (a .msh file holds triangles only)",
                         "korvalin-convert: left out: points (a .msh file holds triangles only)",
                         "korvalin-convert: left out: vertex colours"}))
        << run.err;

    MeshSnapshot mesh = readMeshFile(msh);
    ASSERT_EQ(mesh.groups.size(), 2u);
    ASSERT_EQ(mesh.materials.size(), 2u);
    EXPECT_EQ(mesh.groups[0].material, 1);
    EXPECT_EQ(mesh.groups[1].material, 2);
    const MeshMaterial& red = mesh.materials[0];
    EXPECT_STREQ(red.name, "red_paint");
    const float redExpected[17] = {0.8f, 0.1f, 0.1f, 0.5f, 0.4f, 0.05f, 0.05f, 0.5f, 0.5f,
                                   0.5f, 0.5f, 1,    32,   0,    0,     0.25f, 1};
    expectSameColour(redExpected, red.diffuse, 17, "red paint");
    const MeshMaterial& wood = mesh.materials[1];
    EXPECT_STREQ(wood.name, "wood");
    const float woodExpected[17] = {1, 1, 1, 1, 0.9f, 0.8f, 0.7f, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    expectSameColour(woodExpected, wood.diffuse, 17, "wood");
    EXPECT_EQ(mesh.textures, std::vector<std::string>{"../../src/tex/wood.png"});
    EXPECT_EQ(mesh.groups[0].texture, "");
    EXPECT_EQ(mesh.groups[1].texture, "../../src/tex/wood.png");

    // Corners a, b, c come as a, c, b and z as -z; PNG rows come top first, so v as 1 - v.
    const GroupSnapshot& red0 = mesh.groups[0];
    ASSERT_EQ(red0.triangles.size(), 1u);
    const MeshTriangle& t = red0.triangles[0];
    const float expectedX[3] = {0, 1, 1}, expectedY[3] = {0, 1, 0};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(red0.vertices[t.indices[k]].x, expectedX[k]) << "corner " << k;
        EXPECT_EQ(red0.vertices[t.indices[k]].y, expectedY[k]) << "corner " << k;
        EXPECT_EQ(red0.vertices[t.indices[k]].nz, -1) << "corner " << k;
    }
    for (const MeshVertex& v : mesh.groups[1].vertices)
        EXPECT_EQ(v.v, v.y == 0 ? 1.0f : 0.0f) << "at y " << v.y;
    EXPECT_EQ(mesh.groups[1].vertices.size(), 4u) << "equal corners are kept once";
}

TEST(ConvertTool, AMshInputFindsItsImagesInTheTexturesFolder) {
    TempFolder folder;
    fs::create_directories(folder.file("models"));
    fs::create_directories(folder.file("images"));
    fs::create_directories(folder.file("out/back"));
    const std::string samples = KORVALIN_SAMPLES_DIR;
    fs::copy_file(samples + "/cube.msh", folder.file("models/cube.msh"));
    fs::copy_file(samples + "/crate.png", folder.file("images/crate.png"));
    fs::copy_file(samples + "/stripes.tga", folder.file("images/stripes.tga"));

    // The material library names the images where they are, as seen from OUT's folder.
    ProcessRun run = convert(folder, {"--textures", folder.file("images"),
                                      folder.file("models/cube.msh"), folder.file("out/cube.obj")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string library = readWholeFile(folder.file("out/cube.mtl"));
    EXPECT_NE(library.find("map_Kd ../images/crate.png\n"), std::string::npos) << library;
    EXPECT_NE(library.find("map_Kd ../images/stripes.tga\n"), std::string::npos) << library;

    // Without --textures the images are looked for beside IN: not there, and said so.
    run = convert(folder, {folder.file("models/cube.msh"), folder.file("out/plain.obj")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("texture crate.png not found in"), std::string::npos) << run.err;
    EXPECT_NE(readWholeFile(folder.file("out/plain.mtl")).find("map_Kd ../models/crate.png"),
              std::string::npos);

    // A GLB file carries both images inside: the PNG as it is, the TGA (not for glTF) made PNG.
    run = convert(folder, {"--textures", folder.file("images"), folder.file("models/cube.msh"),
                           folder.file("out/cube.glb")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("referred to"), std::string::npos) << run.err;
    const std::string glb = readWholeFile(folder.file("out/cube.glb"));
    EXPECT_NE(glb.find("image/png"), std::string::npos);
    EXPECT_EQ(glb.find("images/crate.png"), std::string::npos);
    EXPECT_EQ(glb.find("\"uri\""), std::string::npos) << "no image outside";
    run = convert(folder, {folder.file("out/cube.glb"), folder.file("out/back/cube.msh")});
    ASSERT_EQ(run.status, 0) << run.err;
    MeshSnapshot back = readMeshFile(folder.file("out/back/cube.msh"));
    EXPECT_EQ(back.textures, (std::vector<std::string>{"cube_crate.png", "cube_stripes.png"}));
    EXPECT_EQ(readWholeFile(folder.file("out/back/cube_crate.png")),
              readWholeFile(folder.file("images/crate.png")));

    // And the model brought back is drawn as the one taken out: the same images, the same
    // way round (the TGA's rows run bottom up; its PNG's top down). Ambient colours as the
    // diffuse ones, which is all glTF keeps.
    std::string cube = readWholeFile(folder.file("models/cube.msh"));
    for (auto [ambient, diffuse] :
         {std::pair<std::string, std::string>{"0.6 0.5 0.35 1", "0.8 0.7 0.5 1"},
          {"0.2 0.4 0.6 0.45", "0.3 0.6 0.9 0.45"}})
        cube.replace(cube.find(ambient), ambient.size(), diffuse);
    folder.write("models/cube.msh", cube);
    run = convert(folder, {"--textures", folder.file("images"), folder.file("models/cube.msh"),
                           folder.file("out/cube.glb")});
    ASSERT_EQ(run.status, 0) << run.err;
    run = convert(folder, {folder.file("out/cube.glb"), folder.file("out/back/cube.msh")});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string before = folder.file("before.png"), after = folder.file("after.png");
    // From above, near: the lid with the TGA's stripes fills much of the picture.
    auto draw = [&](const std::string& textures, const std::string& msh, const std::string& png) {
        return runProgram(KORVALIN_RENDER_PATH,
                          {"--textures", textures, "--rotation-y", "-50", "--rotation-z", "40",
                           "--distance", "4", msh, "-o", png},
                          folder);
    };
    ProcessRun drawn = draw(folder.file("images"), folder.file("models/cube.msh"), before);
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    drawn = draw(folder.file("out/back"), folder.file("out/back/cube.msh"), after);
    ASSERT_EQ(drawn.status, 0) << drawn.err;
    ViewedImage a = readViewedImage(before, IL_RGB), b = readViewedImage(after, IL_RGB);
    ASSERT_EQ(a.bytes.size(), b.bytes.size());
    std::size_t differing = 0, lit = 0;
    for (std::size_t i = 0; i < a.bytes.size(); ++i) {
        differing += std::abs(a.bytes[i] - b.bytes[i]) > 8;
        lit += a.bytes[i] > 8;
    }
    EXPECT_GT(lit, a.bytes.size() / 10);
    EXPECT_LT(differing, lit / 100) << "of " << lit;
}

TEST(ConvertTool, AnStlModelStandsUprightInTheDefaultMaterial) {
    // STL is z-up by custom: its z becomes the viewer's up axis, and back again. It has no
    // materials: assimp's stand-in becomes the viewer's default material.
    TempFolder folder;
    const std::string stl = folder.write("tall.stl", "solid tall\nfacet normal 0 -1 0\nouter loop\n"
                                                     "vertex 0 0 0\nvertex 1 0 0\nvertex 0 0 5\n"
                                                     "endloop\nendfacet\nendsolid tall\n");
    ASSERT_EQ(convert(folder, {stl, folder.file("tall.msh")}).status, 0);
    MeshSnapshot mesh = readMeshFile(folder.file("tall.msh"));
    ASSERT_EQ(mesh.groups.size(), 1u);
    EXPECT_EQ(mesh.groups[0].material, 0);
    EXPECT_TRUE(mesh.materials.empty());
    float top = 0;
    for (const MeshVertex& v : mesh.groups[0].vertices)
        top = std::max(top, v.y);
    EXPECT_EQ(top, 5);
    ASSERT_EQ(convert(folder, {folder.file("tall.msh"), folder.file("again.stl")}).status, 0);
    ASSERT_EQ(convert(folder, {folder.file("again.stl"), folder.file("again.msh")}).status, 0);
    expectSameGeometry(mesh, readMeshFile(folder.file("again.msh")));
}

TEST(ConvertTool, WhatCannotBeReadLeavesNoFileAndAnExistingOutputAsItWas) {
    TempFolder folder;
    folder.write("garbage.obj", "this is not a model");
    folder.write("cut.glb", squareGlb("", {GlbNode{}}).substr(0, 40));
    folder.write("wrong.msh", "MSHX2\nGROUPS 0\n");
    folder.write("kept.msh", "MSHX1\n");
    folder.write("kept.obj", "# mine\n");
    const struct {
        std::string in, out;
    } cases[] = {{folder.file("missing.obj"), folder.file("new.msh")},
                 {folder.file("garbage.obj"), folder.file("new.msh")},
                 {folder.file("cut.glb"), folder.file("kept.msh")},
                 {folder.file("wrong.msh"), folder.file("kept.obj")},
                 {folder.file("kept.msh"), folder.file("new.glb")},
                 {folder.file("missing.msh"), folder.file("new.gltf")}};
    const std::vector<std::string> before = filesIn(folder.path());
    for (const auto& c : cases) {
        ProcessRun run = convert(folder, {c.in, c.out});
        EXPECT_EQ(run.status, 1) << c.in << ": " << run.err;
        EXPECT_EQ(lines(run.err).size(), 1u) << c.in << ": " << run.err;
        EXPECT_EQ(run.err.rfind("korvalin-convert: ", 0), 0u) << run.err;
        fs::remove(folder.file("process.stdout"));
        fs::remove(folder.file("process.stderr"));
        EXPECT_EQ(filesIn(folder.path()), before) << c.in << " left files behind";
    }
    EXPECT_EQ(readWholeFile(folder.file("kept.msh")), "MSHX1\n");
    EXPECT_EQ(readWholeFile(folder.file("kept.obj")), "# mine\n");

    // An output folder that does not exist: nothing is made.
    fs::copy_file(std::string(KORVALIN_SAMPLES_DIR) + "/hull.msh", folder.file("hull.msh"));
    ProcessRun run = convert(folder, {folder.file("hull.msh"), folder.file("no/such/out.obj")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder.file("no")));
}

// Texture references as models made elsewhere hold them: another case than the file's, a
// folder, an importer's placeholder. And a model the start-up camera would not show.
TEST(ConvertTool, TextureEntriesNameRealImagesAndAnUnseenModelIsSaidOnce) {
    TempFolder folder;
    fs::create_directories(folder.file("src/sub"));
    fs::copy_file(std::string(KORVALIN_SAMPLES_DIR) + "/crate.png", folder.file("src/test.png"));
    folder.write("src/model.mtl", "newmtl shouted\nKd 1 1 1\nmap_Kd TEST.PNG\n"
                                  "newmtl folder\nKd 1 0 0\nmap_Kd sub/\n"
                                  "newmtl dummy\nKd 0 1 0\nmap_Kd $texture_dummy.bmp\n");
    // Three triangles at z about 58, beside the start-up view.
    const std::string obj = folder.write(
        "src/model.obj", "mtllib model.mtl\nv 0 0 58\nv 1 0 58\nv 1 1 58\n"
                         "vt 0 0\nvt 1 0\nvt 1 1\nusemtl shouted\nf 1/1 2/2 3/3\n"
                         "usemtl folder\nf 1/1 3/3 2/2\nusemtl dummy\nf 2/2 1/1 3/3\n");
    ProcessRun plain = convert(folder, {obj, folder.file("plain.msh")});
    ASSERT_EQ(plain.status, 0) << plain.err;
    MeshSnapshot mesh = readMeshFile(folder.file("plain.msh"));
    EXPECT_EQ(mesh.textures, std::vector<std::string>{"src/test.png"});
    ASSERT_EQ(mesh.groups.size(), 3u);
    EXPECT_EQ(mesh.groups[0].texture, "src/test.png");
    EXPECT_EQ(mesh.groups[1].texture, "") << "a folder is no image";
    EXPECT_EQ(mesh.groups[2].texture, "") << "nor is a placeholder";
    EXPECT_EQ(plain.err.find("not found"), std::string::npos) << plain.err;
    std::vector<std::string> notes = lines(plain.err);
    EXPECT_EQ(std::count_if(
                  notes.begin(), notes.end(),
                  [](const std::string& line) { return line.find("--fit") != std::string::npos; }),
              1)
        << plain.err;
    EXPECT_NE(plain.err.find("outside the viewer's start-up view"), std::string::npos) << plain.err;

    ProcessRun fitted = convert(folder, {"--fit", obj, folder.file("fit.msh")});
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    EXPECT_EQ(fitted.err.find("--fit"), std::string::npos) << fitted.err;
    mesh = readMeshFile(folder.file("fit.msh"));
    ASSERT_EQ(mesh.groups.size(), 3u);
    for (const MeshVertex& v : mesh.groups[0].vertices)
        EXPECT_LT(std::fabs(v.z), 6.0f) << "centred";
}

TEST(ConvertTool, BadUsageExitsTwoWithTheUsageLine) {
    TempFolder folder;
    const std::string hull = std::string(KORVALIN_SAMPLES_DIR) + "/hull.msh";
    const std::vector<std::vector<std::string>> cases = {
        {},
        {hull},
        {hull, folder.file("a.obj"), folder.file("b.obj")},
        {"--format"},
        {"--format", "fbx", hull, folder.file("a.fbx")},
        {hull, folder.file("a.xyz")},
        {hull, folder.file("a.msh")},
        {folder.file("a.obj"), folder.file("b.glb")},
        {"--textures", folder.path(), folder.file("a.obj"), folder.file("b.msh")},
        {"--bogus", hull, folder.file("a.obj")},
        {"--format", "obj", hull, hull},
        {"--fit", hull, folder.file("a.obj")}};
    for (const auto& arguments : cases) {
        ProcessRun run = convert(folder, arguments);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_NE(run.err.find(
                      "usage: korvalin-convert [--format FMT] [--textures DIR] [--fit] IN OUT\n"),
                  std::string::npos)
            << run.err;
    }
    ProcessRun help = convert(folder, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: korvalin-convert", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
    // --format wins over the name, and a .msh input is known by its first line too.
    fs::copy_file(hull, folder.file("hull-model"));
    ProcessRun named =
        convert(folder, {"--format", "glb", folder.file("hull-model"), folder.file("x.obj")});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(readWholeFile(folder.file("x.obj")).substr(0, 4), "glTF");
}

} // namespace
