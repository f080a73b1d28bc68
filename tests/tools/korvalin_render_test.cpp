// korvalin-render run as a process, as users run it: meshes written to a temporary folder, the
// PNG it writes read back with DevIL.
#include "tests/support/devil_image.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tool_process.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

ProcessRun runRender(const TempFolder& folder, const std::vector<std::string>& arguments) {
    return runProgram(KORVALIN_RENDER_PATH, arguments, folder);
}

struct Colour {
    int r, g, b;
};

std::string describe(Colour c) {
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           ")";
}

// A PNG as it is viewed: row 0 is the top row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    Colour at(int x, int yFromTop) const {
        const unsigned char* p = &rgb[(static_cast<std::size_t>(yFromTop) * width + x) * 3];
        return {p[0], p[1], p[2]};
    }
    int litPixels(int x0, int y0, int x1, int y1) const {
        int lit = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                Colour c = at(x, y);
                if (c.r || c.g || c.b) ++lit;
            }
        return lit;
    }
    int litPixels() const { return litPixels(0, 0, width, height); }
};

bool readPicture(const std::string& path, Picture& picture) {
    ViewedImage viewed = readViewedImage(path, IL_RGB);
    picture.width = viewed.width;
    picture.height = viewed.height;
    picture.rgb = std::move(viewed.bytes);
    return !picture.rgb.empty();
}

struct Vertex {
    float x, y, z;
};

// One group, the default material unless told, one triangle per three corners as given.
std::string meshText(const std::vector<Vertex>& corners, int material = 0) {
    std::ostringstream text;
    text << "MSHX1\nGROUPS 1\nMATERIAL " << material << "\nGEOM " << corners.size() << " "
         << corners.size() / 3 << "\n";
    for (const Vertex& v : corners)
        text << v.x << " " << v.y << " " << v.z << " -1 0 0 0 0\n";
    for (std::size_t t = 0; t + 2 < corners.size(); t += 3)
        text << t << " " << t + 1 << " " << t + 2 << "\n";
    return text.str();
}

// A rectangle facing the eye at both angles 0, given in screen units (right, up) in the plane
// through the origin; clockwise on the screen: file z = -right, y = up.
std::vector<Vertex> rect(float left, float bottom, float right, float top) {
    return {{0, top, -left}, {0, top, -right},    {0, bottom, -right},
            {0, top, -left}, {0, bottom, -right}, {0, bottom, -left}};
}

// A small marker seen from any side: three squares across the axes, each in both windings.
std::vector<Vertex> marker(Vertex c, float h) {
    std::vector<Vertex> corners;
    for (int axis = 0; axis < 3; ++axis) {
        Vertex square[4];
        const float a[4] = {-h, h, h, -h}, b[4] = {-h, -h, h, h};
        for (int k = 0; k < 4; ++k) {
            float offset[3] = {0, 0, 0};
            offset[(axis + 1) % 3] = a[k];
            offset[(axis + 2) % 3] = b[k];
            square[k] = {c.x + offset[0], c.y + offset[1], c.z + offset[2]};
        }
        static const int windings[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 2, 1}, {0, 3, 2}};
        for (const auto& triangle : windings)
            for (int k : triangle)
                corners.push_back(square[k]);
    }
    return corners;
}

// Where a point of the plane through the origin (right, up on the screen) lands in a
// width x height picture, rows from the top, with the start-up projection: 70 degrees, 4/3.
struct Spot {
    int x, y;
};

Spot pictureSpot(double right, double up, int width, int height, double distance = 10.0) {
    const double f = 1.0 / std::tan(35.0 * std::acos(-1.0) / 180.0);
    double ndcX = right * f / (4.0 / 3.0 * distance);
    double ndcY = up * f / distance;
    int fromBottom = static_cast<int>(std::floor((ndcY + 1) / 2 * height));
    return {static_cast<int>(std::floor((ndcX + 1) / 2 * width)), height - 1 - fromBottom};
}

void expectColour(const Picture& picture, Spot s, Colour expected, const std::string& what) {
    ASSERT_TRUE(s.x >= 0 && s.x < picture.width && s.y >= 0 && s.y < picture.height)
        << what << ": (" << s.x << ", " << s.y << ") is outside the picture";
    Colour found = picture.at(s.x, s.y);
    const int tolerance = 3;
    EXPECT_TRUE(std::abs(found.r - expected.r) <= tolerance &&
                std::abs(found.g - expected.g) <= tolerance &&
                std::abs(found.b - expected.b) <= tolerance)
        << what << ": pixel (" << s.x << ", " << s.y << ") from the top left is " << describe(found)
        << ", expected " << describe(expected);
}

const Colour black{0, 0, 0};
const Colour white{255, 255, 255};

class RenderToolTest : public ::testing::Test {
  protected:
    // Renders the mesh text with the extra options into out.png and reads it back.
    void render(const std::string& mesh, const std::vector<std::string>& options,
                Picture& picture) {
        std::string meshPath = folder.write("model.msh", mesh);
        std::string png = folder.file("out.png");
        std::filesystem::remove(png);
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), {meshPath, "-o", png});
        ProcessRun run = runRender(folder, arguments);
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        ASSERT_TRUE(std::filesystem::exists(png));
        ASSERT_TRUE(readPicture(png, picture)) << png;
    }

    TempFolder folder;
};

TEST_F(RenderToolTest, WritesThePictureTopRowFirstAtTheRequestedSize) {
    // A white triangle above and left of the centre: file y is up, file z is left.
    std::vector<Vertex> triangle{{0, 3, 3}, {0, 3, 1}, {0, 1, 2}};
    Picture picture;
    ASSERT_NO_FATAL_FAILURE(render(meshText(triangle), {"--size", "160x120"}, picture));
    ASSERT_EQ(picture.width, 160);
    ASSERT_EQ(picture.height, 120);

    expectColour(picture, pictureSpot(-2, 2.4, 160, 120), white, "the triangle");
    expectColour(picture, pictureSpot(-2, -2.4, 160, 120), black, "its mirror below");
    expectColour(picture, pictureSpot(2, 2.4, 160, 120), black, "its mirror on the right");
    for (Spot corner : {Spot{0, 0}, Spot{159, 0}, Spot{0, 119}, Spot{159, 119}})
        expectColour(picture, corner, black, "corner");
    int lit = picture.litPixels();
    EXPECT_GT(lit, 20);
    EXPECT_EQ(picture.litPixels(0, 0, 80, 60), lit) << "not all in the upper left quarter";

    // Another size, taller than wide, with rows of a length that is not a multiple of 4 bytes.
    ASSERT_NO_FATAL_FAILURE(render(meshText(triangle), {"--size", "61x90"}, picture));
    ASSERT_EQ(picture.width, 61);
    ASSERT_EQ(picture.height, 90);
    expectColour(picture, pictureSpot(-2, 2.4, 61, 90), white, "the triangle at 61x90");
    expectColour(picture, pictureSpot(-2, -2.4, 61, 90), black, "its mirror below at 61x90");
    EXPECT_EQ(picture.litPixels(0, 0, 31, 45), picture.litPixels())
        << "not all in the upper left quarter at 61x90";
}

TEST_F(RenderToolTest, DefaultSizeIs640x480AndAMaterialColours) {
    std::string mesh = meshText(rect(-2, -2, 2, 2), 1) + "MATERIALS 1\nplum\n"
                                                         "0.5 0.5 0.5 1\n"
                                                         "0.6 0.2 0.5 1\n"
                                                         "0 0 0 1 0\n"
                                                         "0.2 0.1 0 1\n";
    Picture picture;
    ASSERT_NO_FATAL_FAILURE(render(mesh, {}, picture));
    ASSERT_EQ(picture.width, 640);
    ASSERT_EQ(picture.height, 480);
    expectColour(picture, pictureSpot(0, 0, 640, 480), {204, 77, 128}, "ambient + emission");
    expectColour(picture, {5, 5}, black, "background");
}

TEST_F(RenderToolTest, CameraOptionsMoveTheModel) {
    // A marker straight ahead of the eye, at file (3, 0, 0).
    std::string mesh = meshText(marker({3, 0, 0}, 0.6f));
    Picture picture;
    ASSERT_NO_FATAL_FAILURE(render(mesh, {"--size", "128x96"}, picture));
    expectColour(picture, pictureSpot(0, 0, 128, 96), white, "ahead");

    // rotationZ +90 turns GL (3,0,0) to (0,3,0): GL +y is on the left.
    ASSERT_NO_FATAL_FAILURE(render(mesh, {"--size", "128x96", "--rotation-z", "90"}, picture));
    expectColour(picture, pictureSpot(-3, 0, 128, 96), white, "rotation-z 90: left");
    expectColour(picture, pictureSpot(0, 0, 128, 96), black, "rotation-z 90: centre");

    // rotationY +90 turns GL (3,0,0) to (0,0,-3): down.
    ASSERT_NO_FATAL_FAILURE(render(mesh, {"--size", "128x96", "--rotation-y", "90"}, picture));
    expectColour(picture, pictureSpot(0, -3, 128, 96), white, "rotation-y 90: down");
    expectColour(picture, pictureSpot(0, 3, 128, 96), black, "rotation-y 90: up");

    // Farther away, a rectangle covers fewer pixels.
    std::string plate = meshText(rect(-2, -2, 2, 2));
    ASSERT_NO_FATAL_FAILURE(render(plate, {"--size", "128x96"}, picture));
    int near = picture.litPixels();
    ASSERT_NO_FATAL_FAILURE(render(plate, {"--size", "128x96", "--distance", "20"}, picture));
    int far = picture.litPixels();
    EXPECT_GT(far, 0);
    // A quarter of the area at twice the distance.
    EXPECT_NEAR(far, near / 4.0, near / 10.0) << "at 10: " << near << ", at 20: " << far;
}

// Width and height in pixels of the lit part of a picture.
std::pair<int, int> litExtent(const Picture& picture) {
    int left = picture.width, right = -1, top = picture.height, bottom = -1;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            Colour c = picture.at(x, y);
            if (!(c.r || c.g || c.b)) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    return {right - left + 1, bottom - top + 1};
}

TEST_F(RenderToolTest, ResizedUsesTheWindowsAspect) {
    // A square, 4 units a side, in a window twice as wide as high.
    std::string mesh = meshText(rect(-2, -2, 2, 2));
    Picture picture;
    ASSERT_NO_FATAL_FAILURE(render(mesh, {"--size", "200x100", "--resized"}, picture));
    auto [width, height] = litExtent(picture);
    EXPECT_NEAR(width, height, 2) << "a square drawn " << width << " x " << height;
    // Without the second resize the start-up aspect 4/3 stretches it by (200/100) / (4/3).
    ASSERT_NO_FATAL_FAILURE(render(mesh, {"--size", "200x100"}, picture));
    std::tie(width, height) = litExtent(picture);
    EXPECT_NEAR(width, height * 1.5, 3) << "a square drawn " << width << " x " << height;
}

TEST_F(RenderToolTest, ResizedKeepsFarPlane1000) {
    std::string mesh = meshText(rect(-40, -40, 40, 40));
    Picture picture;
    ASSERT_NO_FATAL_FAILURE(render(mesh, {"--size", "96x72", "--distance", "150"}, picture));
    // 80 units wide and high at 150: the part of the view's height and (4/3 wider) width.
    const double tangent = std::tan(35.0 * std::acos(-1.0) / 180.0);
    double share = 80.0 / (2 * 150 * tangent) * 80.0 / (2 * 150 * tangent * 4.0 / 3.0);
    EXPECT_NEAR(picture.litPixels(), share * 96 * 72, share * 96 * 72 * 0.15)
        << "150 away at start-up (far plane 1000)";
    expectColour(picture, {48, 36}, white, "centre at start-up");
    ASSERT_NO_FATAL_FAILURE(
        render(mesh, {"--size", "96x72", "--distance", "150", "--resized"}, picture));
    expectColour(picture, {48, 36}, white, "150 away after a resize");
    ASSERT_NO_FATAL_FAILURE(
        render(mesh, {"--size", "96x72", "--distance", "995", "--resized"}, picture));
    expectColour(picture, {48, 36}, white, "995 away after a resize");
    ASSERT_NO_FATAL_FAILURE(
        render(mesh, {"--size", "96x72", "--distance", "1005", "--resized"}, picture));
    EXPECT_EQ(picture.litPixels(), 0) << "1005 away after a resize (far plane 1000)";
}

// A 2x2 image of one colour, written by DevIL.
bool writeFlatImage(const std::string& path, Colour c) {
    ImagePixels image{2, 2, IL_RGB, {}};
    for (int i = 0; i < 4; ++i)
        image.bytes.insert(image.bytes.end(),
                           {static_cast<unsigned char>(c.r), static_cast<unsigned char>(c.g),
                            static_cast<unsigned char>(c.b)});
    return writeImageFile(path, image);
}

TEST_F(RenderToolTest, TexturesComeFromTheTexturesFolder) {
    const Colour orange{230, 120, 30};
    std::string paint = folder.file("images/paint.png");
    ASSERT_TRUE(writeFlatImage(paint, orange)) << paint;
    std::string mesh = meshText(rect(-2, -2, 2, 2));
    mesh.replace(mesh.find("GEOM"), 0, "TEXTURE 1\n");
    mesh += "TEXTURES 1\npaint.png\n";
    Picture picture;
    ASSERT_NO_FATAL_FAILURE(
        render(mesh, {"--size", "64x48", "--textures", folder.file("images")}, picture));
    expectColour(picture, pictureSpot(0, 0, 64, 48), orange, "textured rectangle");
}

void expectExit(const TempFolder& folder, const std::vector<std::string>& arguments, int code,
                const std::string& what) {
    ProcessRun run = runRender(folder, arguments);
    EXPECT_EQ(run.status, code) << what << "\n" << run.out << run.err;
}

TEST_F(RenderToolTest, ExitsWith1WhenTheMeshOrTheOutputFails) {
    std::string good = folder.write("good.msh", meshText(rect(-1, -1, 1, 1)));
    std::string png = folder.file("out.png");
    expectExit(folder, {folder.file("missing.msh"), "-o", png}, 1, "missing mesh file");
    EXPECT_FALSE(std::filesystem::exists(png));
    std::string wrongMagic = folder.write("wrong.msh", "MSHX2\nGROUPS 0\n");
    expectExit(folder, {wrongMagic, "-o", png}, 1, "not MSHX1");
    std::string text = folder.write("text.msh", "hello\n");
    expectExit(folder, {text, "-o", png}, 1, "plain text");
    EXPECT_FALSE(std::filesystem::exists(png));
    expectExit(folder, {good, "-o", folder.file("no/such/folder/out.png")}, 1,
               "output in a missing folder");
    std::filesystem::create_directory(folder.file("taken.png"));
    expectExit(folder, {good, "-o", folder.file("taken.png")}, 1, "output is a folder");
    // The same mesh and a writable output draw.
    expectExit(folder, {good, "-o", png}, 0, "good mesh");
    EXPECT_TRUE(std::filesystem::exists(png));
}

TEST_F(RenderToolTest, ExitsWith2OnBadUsage) {
    std::string good = folder.write("good.msh", meshText(rect(-1, -1, 1, 1)));
    std::string png = folder.file("out.png");
    expectExit(folder, {}, 2, "no arguments");
    expectExit(folder, {"--bogus", good, "-o", png}, 2, "unknown option first");
    expectExit(folder, {good, "-o", png, "--bogus"}, 2, "unknown option last");
    expectExit(folder, {"--bogus", "5", good, "-o", png}, 2, "unknown option with a value");
    expectExit(folder, {"--rotation-y", "left", good, "-o", png}, 2, "--rotation-y left");
    expectExit(folder, {"--rotation-z", "", good, "-o", png}, 2, "--rotation-z empty");
    expectExit(folder, {good}, 2, "missing -o");
    expectExit(folder, {"-o", png}, 2, "missing mesh file");
    expectExit(folder, {good, "-o"}, 2, "-o without a path");
    expectExit(folder, {"--size", "0x10", good, "-o", png}, 2, "--size 0x10");
    expectExit(folder, {"--size", "10x0", good, "-o", png}, 2, "--size 10x0");
    expectExit(folder, {"--size", "wide", good, "-o", png}, 2, "--size wide");
    expectExit(folder, {"--distance", "0.05", good, "-o", png}, 2, "--distance 0.05");
    expectExit(folder, {"--distance", "nan", good, "-o", png}, 2, "--distance nan");
    expectExit(folder, {"--distance", "far", good, "-o", png}, 2, "--distance far");
    // A thumbnail takes a side from 1 to 4096 and chooses its own view and textures folder.
    expectExit(folder, {"--thumbnail", "0", good, "-o", png}, 2, "--thumbnail 0");
    expectExit(folder, {"--thumbnail", "4097", good, "-o", png}, 2, "--thumbnail 4097");
    expectExit(folder, {"--thumbnail", "64x64", good, "-o", png}, 2, "--thumbnail 64x64");
    expectExit(folder, {"--thumbnail", "64", good}, 2, "--thumbnail without -o");
    expectExit(folder, {"--thumbnail", "64", "--size", "64x64", good, "-o", png}, 2,
               "--thumbnail with --size");
    expectExit(folder, {"--textures", ".", "--thumbnail", "64", good, "-o", png}, 2,
               "--thumbnail with --textures");
    EXPECT_FALSE(std::filesystem::exists(png)) << "bad usage wrote a picture";
    // The smallest distance allowed draws.
    expectExit(folder, {"--distance", "0.1", good, "-o", png}, 0, "--distance 0.1");
}

TEST_F(RenderToolTest, SamplesDrawSomething) {
    std::vector<std::filesystem::path> samples;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(KORVALIN_SAMPLES_DIR, error))
        if (entry.path().extension() == ".msh") samples.push_back(entry.path());
    if (samples.empty()) GTEST_SKIP() << "no samples/*.msh yet";
    for (const std::filesystem::path& sample : samples) {
        SCOPED_TRACE(sample.string());
        std::string png = folder.file(sample.stem().string() + ".png");
        ProcessRun run = runRender(folder, {"--textures", KORVALIN_SAMPLES_DIR, "--size", "160x120",
                                            sample.string(), "-o", png});
        ASSERT_EQ(run.status, 0) << run.out << run.err;
        Picture picture;
        ASSERT_TRUE(readPicture(png, picture));
        EXPECT_EQ(picture.width, 160);
        EXPECT_EQ(picture.height, 120);
        EXPECT_GT(picture.litPixels(), 0) << "the picture is all black";
    }
}

} // namespace
