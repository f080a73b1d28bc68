#include "bench/bench_mesh.h"
#include "bench/mesh_generator.h"
#include "bench/mesh_shapes.h"
#include "bench/obj_writer.h"
#include "bench/reference_reader.h"
#include "bench/sample_set.h"
#include "bench/texture_images.h"

#include <gtest/gtest.h>
#include <tiny_obj_loader.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdlib.h>

namespace {

const char* const workedExample = R"(MSHX1
GROUPS 2
LABEL body
MATERIAL 1
TEXTURE 1
GEOM 3 1
0 0 0 0 1 0 0 0
1 0 0 0 1 0 1 0
0 0 1 0 1 0 0 1
0 1 2
LABEL window
MATERIAL 2
FLAG 3
GEOM 4 2
0 1 0 0 0 1 0 0
1 1 0 0 0 1 0 0
1 1 1 0 0 1 0 0
0 1 1 0 0 1 0 0
0 1 2
0 2 3
MATERIALS 2
hull
glass
MATERIAL hull
1 1 1 1
0.2 0.2 0.2 1
0 0 0 1
0 0 0 1
MATERIAL glass
0.5 0.6 0.7 0.4
0.5 0.6 0.7 0.4
1 1 1 1 20
0 0 0 1
TEXTURES 1
hull.dds
)";

class GeneratorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvalin-generator-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string path(const char* name) const { return (folder_ / name).string(); }

    static std::string contents(const std::string& file) {
        std::ifstream stream(file, std::ios::binary);
        std::ostringstream text;
        text << stream.rdbuf();
        return text.str();
    }

  private:
    std::filesystem::path folder_;
};

struct Vec {
    double x, y, z;
};

Vec sub(const float* a, const float* b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
Vec cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(Vec a, const float* b) {
    return a.x * b[0] + a.y * b[1] + a.z * b[2];
}

// Counter-clockwise seen from outside: the face normal agrees with every corner's normal.
void expectOutwardWinding(const GenGroup& group) {
    for (const GenTriangle& t : group.triangles) {
        const GenVertex& a = group.vertices[t[0]];
        const GenVertex& b = group.vertices[t[1]];
        const GenVertex& c = group.vertices[t[2]];
        const Vec face = cross(sub(b.position, a.position), sub(c.position, a.position));
        for (const GenVertex* corner : {&a, &b, &c})
            ASSERT_GT(dot(face, corner->normal), 0) << group.label;
    }
}

// The normal points from the circle at the tube's centre to the vertex.
void expectNormalsAwayFromTube(const GenGroup& group, const TorusShape& shape) {
    for (const GenVertex& v : group.vertices) {
        const double x = v.position[0] - shape.offset[0], z = v.position[2] - shape.offset[2];
        const double scale = shape.majorRadius / std::hypot(x, z);
        const Vec fromTube{x - x * scale, v.position[1] - shape.offset[1], z - z * scale};
        ASSERT_NEAR(dot(fromTube, v.normal), shape.minorRadius, 1e-5);
    }
}

void expectUnitNormals(const GenGroup& group) {
    for (const GenVertex& v : group.vertices)
        ASSERT_NEAR(std::hypot(v.normal[0], v.normal[1], v.normal[2]), 1.0, 1e-5);
}

int maxChannelDifference(const RgbaImage& a, const RgbaImage& b) {
    int worst = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        worst = std::max(worst, std::abs(a.pixels[i] - b.pixels[i]));
    return worst;
}

double meanColourDifference(const RgbaImage& a, const RgbaImage& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        if (i % 4 != 3) sum += std::abs(a.pixels[i] - b.pixels[i]);
    return sum / (a.pixels.size() / 4 * 3);
}

TEST_F(GeneratorTest, HullExampleIsTheWorkedExampleByteForByte) {
    ASSERT_TRUE(writeMesh(path("hull.msh").c_str(), makeHullExample()));
    EXPECT_EQ(contents(path("hull.msh")), workedExample);
}

TEST_F(GeneratorTest, NumbersAreWrittenAsPrintfG) {
    for (float value : {0.0f, -0.0f, 1.0f, 0.2f, -1.5f, 2.69862f, 123456.7f, 1e-7f, -4.37e-8f,
                        3.0e9f, 0.1f / 3}) {
        char expected[32];
        std::snprintf(expected, sizeof expected, "%g", value);
        std::string written;
        appendNumber(written, value);
        EXPECT_EQ(written, expected);
    }
}

TEST_F(GeneratorTest, RejectsWhatTheFormatCannotHold) {
    GenMesh mesh = makeHullExample();
    mesh.groups[0].label = std::string(250, 'x'); // "LABEL " makes it 256 characters
    EXPECT_FALSE(writeMesh(path("long.msh").c_str(), mesh));
    mesh = makeHullExample();
    mesh.textures[0] = "two\nlines.dds";
    EXPECT_FALSE(writeMesh(path("break.msh").c_str(), mesh));
    mesh = makeHullExample();
    mesh.groups[1].triangles[1][2] = 4; // the window has vertices 0..3
    EXPECT_FALSE(writeMesh(path("index.msh").c_str(), mesh));
    mesh.groups[1].triangles[1][2] = 3;
    mesh.groups[0].label = std::string(249, 'x');
    EXPECT_TRUE(writeMesh(path("fits.msh").c_str(), mesh));
}

TEST_F(GeneratorTest, CubeFacesPointOutwardAndWindCounterClockwise) {
    const GenMesh cube = makeCubeSample();
    int faces = 0;
    for (const GenGroup& group : cube.groups) {
        expectOutwardWinding(group);
        expectUnitNormals(group);
        // Every face lies one unit out from the centre along its own normal.
        for (const GenVertex& v : group.vertices)
            ASSERT_NEAR(dot({v.position[0], v.position[1], v.position[2]}, v.normal), 1.0, 1e-6);
        faces += static_cast<int>(group.triangles.size()) / 2;
    }
    EXPECT_EQ(faces, 6);
    ASSERT_EQ(cube.materials.size(), 2u);
    EXPECT_LT(cube.materials[cube.groups[1].material - 1].diffuse[3], 1.0f);
    EXPECT_EQ(cube.materials[cube.groups[0].material - 1].diffuse[3], 1.0f);
}

TEST_F(GeneratorTest, TorusArcsAndClosedToriPointOutward) {
    TorusShape arc;
    arc.ringSegments = 12;
    arc.tubeSegments = 8;
    arc.firstRingSegment = 3;
    arc.ringSegmentCount = 5;
    TorusShape closed = arc;
    closed.firstRingSegment = 0;
    closed.ringSegmentCount = 12;
    closed.shareSeams = true;
    closed.offset[0] = 4;
    for (const TorusShape& shape : {arc, closed}) {
        GenGroup group;
        ASSERT_TRUE(appendTorus(group, shape));
        EXPECT_EQ(group.vertices.size(), std::size_t(torusVertexCount(shape)));
        EXPECT_EQ(group.triangles.size(), std::size_t(torusTriangleCount(shape)));
        expectOutwardWinding(group);
        expectUnitNormals(group);
        expectNormalsAwayFromTube(group, shape);
    }
    EXPECT_EQ(torusVertexCount(arc), 6 * 9);
    EXPECT_EQ(torusVertexCount(closed), 12 * 8);
    EXPECT_EQ(torusTriangleCount(closed), 2 * 12 * 8);
    arc.shareSeams = true; // a seam can only close over the whole ring
    GenGroup untouched;
    EXPECT_FALSE(appendTorus(untouched, arc));
    EXPECT_TRUE(untouched.vertices.empty());
}

TEST_F(GeneratorTest, BenchMeshHasExactlyTheAnnouncedSize) {
    EXPECT_FALSE(isValidBenchGroupCount(3));
    EXPECT_FALSE(isValidBenchGroupCount(0));
    GenMesh mesh;
    ASSERT_TRUE(makeBenchMesh(5, mesh));
    std::size_t vertices = 0, triangles = 0;
    for (const GenGroup& group : mesh.groups) {
        vertices += group.vertices.size();
        triangles += group.triangles.size();
    }
    EXPECT_EQ(mesh.groups.size(), 5u);
    EXPECT_EQ(vertices, std::size_t(benchVertexCount));
    EXPECT_EQ(triangles, std::size_t(benchTriangleCount));
    EXPECT_TRUE(mesh.textures.empty());
}

TEST_F(GeneratorTest, SampleMeshesReadBackWithTheSameNumbers) {
    ASSERT_TRUE(writeSamples(path("").c_str()));
    const std::pair<const char*, GenMesh> samples[] = {{"hull.msh", makeHullExample()},
                                                       {"cube.msh", makeCubeSample()},
                                                       {"torus.msh", makeTorusSample()}};
    for (const auto& [name, mesh] : samples) {
        ReferenceScene scene;
        ASSERT_TRUE(readReference(path(name).c_str(), scene)) << name;
        ASSERT_EQ(scene.groupCount, int(mesh.groups.size()));
        EXPECT_EQ(scene.materialCount, int(mesh.materials.size()));
        ASSERT_EQ(scene.textureCount, int(mesh.textures.size()));
        for (int t = 0; t < scene.textureCount; ++t) {
            EXPECT_EQ(scene.textureNames[t], mesh.textures[t]);
            RgbaImage image;
            EXPECT_TRUE(loadImage(path(scene.textureNames[t]).c_str(), image));
        }
        for (int g = 0; g < scene.groupCount; ++g) {
            const MeshGroup& read = scene.groups[g];
            const GenGroup& written = mesh.groups[g];
            ASSERT_EQ(read.vertexCount, int(written.vertices.size()));
            ASSERT_EQ(read.triangleCount, int(written.triangles.size()));
            EXPECT_EQ(read.material, written.material);
            EXPECT_EQ(read.texture, written.texture);
            for (int i = 0; i < read.vertexCount; ++i)
                ASSERT_NEAR(read.vertices[i].z, written.vertices[i].position[2], 1e-5);
            for (int i = 0; i < read.triangleCount; ++i)
                ASSERT_EQ(read.triangles[i].indices[2], written.triangles[i][2]);
        }
    }
}

TEST_F(GeneratorTest, ImagesSurviveTheImageLibrary) {
    const RgbaImage crate = makeCrateImage(128);
    const RgbaImage stripes = makeStripesImage(64);
    const RgbaImage plates = makeHullPlatesImage(64);
    RgbaImage back;
    ASSERT_TRUE(saveImage(path("crate.png").c_str(), crate));
    ASSERT_TRUE(loadImage(path("crate.png").c_str(), back));
    EXPECT_EQ(maxChannelDifference(crate, back), 0);
    ASSERT_TRUE(saveImage(path("stripes.tga").c_str(), stripes));
    ASSERT_TRUE(loadImage(path("stripes.tga").c_str(), back));
    EXPECT_EQ(maxChannelDifference(stripes, back), 0);
    EXPECT_EQ(back.at(40, 0)[3], 128); // a half-transparent stripe
    // DXT1 blends each 4x4 block from two colours: close on average, and the marker stays red.
    ASSERT_TRUE(saveImage(path("plates.dds").c_str(), plates));
    ASSERT_TRUE(loadImage(path("plates.dds").c_str(), back));
    ASSERT_EQ(back.width, 64);
    ASSERT_EQ(back.height, 64);
    EXPECT_LT(meanColourDifference(plates, back), 8.0);
    EXPECT_GT(meanColourDifference(plates, makeCheckerImage(64)), 40.0);
    EXPECT_GT(back.at(2, 2)[0], 180);
    EXPECT_LT(back.at(2, 2)[1], 80);
    EXPECT_FALSE(saveImage(path("missing/x.png").c_str(), crate));
}

// Tori side by side as in the benchmark mesh, small: a seamless one, an arc with its seams, and
// an unlabelled one, so corners count on across groups of different sizes.
GenMesh makeSmallTori() {
    GenMesh mesh;
    TorusShape closed;
    closed.ringSegments = closed.ringSegmentCount = 12;
    closed.tubeSegments = 8;
    closed.shareSeams = true;
    TorusShape arc = closed;
    arc.shareSeams = false;
    arc.firstRingSegment = 2;
    arc.ringSegmentCount = 7;
    arc.offset[0] = 5.5f;
    TorusShape fine = closed;
    fine.ringSegments = fine.ringSegmentCount = 40;
    fine.tubeSegments = 25;
    fine.minorRadius = 0.35f;
    fine.offset[0] = -5.5f;
    fine.offset[2] = 1e-3f;
    const std::pair<const char*, TorusShape> groups[] = {
        {"ring1", closed}, {"ring2", arc}, {"", fine}};
    for (const auto& [label, shape] : groups) {
        GenGroup& group = mesh.groups.emplace_back();
        group.label = label;
        if (!appendTorus(group, shape)) return {};
    }
    return mesh;
}

std::string exact(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

bool sameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

// The first vertex field of the group that differs from what the OBJ reader stored, or "".
std::string firstValueMismatch(const MeshGroup& group, const tinyobj::attrib_t& attrib,
                               std::size_t firstIndex) {
    for (int i = 0; i < group.vertexCount; ++i) {
        const MeshVertex& v = group.vertices[i];
        const std::size_t at = firstIndex + i;
        const float expected[8] = {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v};
        const float read[8] = {attrib.vertices[3 * at],     attrib.vertices[3 * at + 1],
                               attrib.vertices[3 * at + 2], attrib.normals[3 * at],
                               attrib.normals[3 * at + 1],  attrib.normals[3 * at + 2],
                               attrib.texcoords[2 * at],    attrib.texcoords[2 * at + 1]};
        for (int k = 0; k < 8; ++k)
            if (!sameBits(expected[k], read[k]))
                return "vertex " + std::to_string(i) + " field " + std::to_string(k) + ": " +
                       exact(expected[k]) + " in .msh, " + exact(read[k]) + " in .obj";
    }
    return "";
}

// The first corner of the group that does not name position, normal and texture coordinate
// firstIndex + its .msh index, or "".
std::string firstCornerMismatch(const MeshGroup& group, const tinyobj::mesh_t& mesh,
                                int firstIndex) {
    for (int t = 0; t < group.triangleCount; ++t) {
        for (int k = 0; k < 3; ++k) {
            const tinyobj::index_t& index = mesh.indices[3 * t + k];
            const int expected = firstIndex + group.triangles[t].indices[k];
            if (index.vertex_index != expected || index.normal_index != expected ||
                index.texcoord_index != expected)
                return "triangle " + std::to_string(t) + " corner " + std::to_string(k) + ": " +
                       std::to_string(expected) + " expected, " +
                       std::to_string(index.vertex_index) + "/" +
                       std::to_string(index.texcoord_index) + "/" +
                       std::to_string(index.normal_index) + " read";
        }
    }
    return "";
}

void expectSameGeometry(const GenMesh& mesh, const ReferenceScene& msh,
                        const tinyobj::ObjReader& obj) {
    const tinyobj::attrib_t& attrib = obj.GetAttrib();
    const std::vector<tinyobj::shape_t>& shapes = obj.GetShapes();
    ASSERT_EQ(shapes.size(), std::size_t(msh.groupCount));
    std::size_t vertexCount = 0;
    for (int g = 0; g < msh.groupCount; ++g)
        vertexCount += msh.groups[g].vertexCount;
    ASSERT_EQ(attrib.vertices.size(), 3 * vertexCount);
    ASSERT_EQ(attrib.normals.size(), 3 * vertexCount);
    ASSERT_EQ(attrib.texcoords.size(), 2 * vertexCount);
    int firstIndex = 0;
    for (int g = 0; g < msh.groupCount; ++g) {
        const MeshGroup& group = msh.groups[g];
        const tinyobj::mesh_t& faces = shapes[g].mesh;
        EXPECT_EQ(shapes[g].name, objGroupName(mesh.groups[g], g));
        ASSERT_EQ(faces.num_face_vertices.size(), std::size_t(group.triangleCount))
            << "group " << g;
        ASSERT_EQ(faces.indices.size(), 3 * std::size_t(group.triangleCount)) << "group " << g;
        EXPECT_EQ(firstValueMismatch(group, attrib, firstIndex), "") << "group " << g;
        EXPECT_EQ(firstCornerMismatch(group, faces, firstIndex), "") << "group " << g;
        firstIndex += group.vertexCount;
    }
}

TEST_F(GeneratorTest, ObjHoldsTheSameGeometryAsTheMeshFile) {
    const std::pair<const char*, GenMesh> meshes[] = {{"tori", makeSmallTori()},
                                                      {"hull", makeHullExample()},
                                                      {"cube", makeCubeSample()},
                                                      {"torus", makeTorusSample()}};
    for (const auto& [name, mesh] : meshes) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(mesh.groups.empty());
        const std::string mshPath = path("mesh.msh"), objPath = path("mesh.obj");
        ASSERT_TRUE(writeMesh(mshPath.c_str(), mesh));
        ASSERT_TRUE(writeObj(objPath.c_str(), mesh));
        ReferenceScene msh;
        ASSERT_TRUE(readReference(mshPath.c_str(), msh));
        tinyobj::ObjReaderConfig config;
        config.vertex_color = false;
        tinyobj::ObjReader obj;
        ASSERT_TRUE(obj.ParseFromFile(objPath, config)) << obj.Error();
        EXPECT_EQ(obj.Warning(), "");
        expectSameGeometry(mesh, msh, obj);
    }
}

TEST_F(GeneratorTest, RefusesWhatAnObjCannotSay) {
    const std::pair<const char*, std::function<void(GenMesh&)>> cases[] = {
        {"space in a label", [](GenMesh& m) { m.groups[1].label = "rear window"; }},
        {"tab in a label", [](GenMesh& m) { m.groups[0].label = "body\tpart"; }},
        {"line end in a label", [](GenMesh& m) { m.groups[0].label = "body\nf 1/1/1"; }},
        {"label too long", [](GenMesh& m) { m.groups[0].label = std::string(254, 'x'); }},
        {"corner past the group", [](GenMesh& m) { m.groups[1].triangles[1][2] = 4; }},
        {"negative corner", [](GenMesh& m) { m.groups[0].triangles[0][0] = -1; }},
    };
    for (const auto& [name, spoil] : cases) {
        GenMesh mesh = makeHullExample();
        spoil(mesh);
        EXPECT_FALSE(writeObj(path("spoilt.obj").c_str(), mesh)) << name;
    }
    GenMesh fits = makeHullExample();
    fits.groups[0].label = std::string(253, 'x'); // "g " makes it 255 characters
    EXPECT_TRUE(writeObj(path("fits.obj").c_str(), fits));
    EXPECT_FALSE(writeObj(path("missing/hull.obj").c_str(), fits));
}

} // namespace
