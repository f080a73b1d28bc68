// The thumbnailer as a file manager runs it: the Exec line of resources/korvalin.thumbnailer with
// its field codes filled in and the built korvalin-render in place of the bare name, on the
// samples, on models far from the origin or much larger than the default view, and on hostile
// files. A run that hangs is stopped by the test's timeout.
#include "tests/support/devil_image.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tool_process.h"

#include <IL/il.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
const std::string samples = KORVALIN_SOURCE_DIR "/samples";

std::map<std::string, std::string> thumbnailerEntry() {
    std::ifstream file(KORVALIN_SOURCE_DIR "/resources/korvalin.thumbnailer");
    std::map<std::string, std::string> keys;
    std::string line, group;
    while (std::getline(file, line))
        if (line.starts_with("["))
            group = line;
        else if (group == "[Thumbnailer Entry]" && line.find('=') != std::string::npos)
            keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    return keys;
}

// Runs the Exec line as a file manager does, its program found as the build's korvalin-render.
ProcessRun runThumbnailer(const TempFolder& capture, int size, const std::string& input,
                          const std::string& output) {
    std::istringstream exec(thumbnailerEntry()["Exec"]);
    std::vector<std::string> words;
    for (std::string word; exec >> word; words.push_back(word))
        for (auto [code, value] : {std::pair{"%s", std::to_string(size)},
                                   {"%i", input},
                                   {"%o", output},
                                   {"%%", std::string("%")}})
            if (std::size_t at = word.find(code); at != std::string::npos)
                word.replace(at, 2, value);
    if (words.empty() || words[0] != "korvalin-render") return {};
    return runProgram(KORVALIN_RENDER_PATH, {words.begin() + 1, words.end()}, capture);
}

// A PNG as it is viewed, rows from the top, and whether it was stored with alpha.
struct Picture {
    int width = 0, height = 0;
    bool storedWithAlpha = false;
    std::vector<unsigned char> rgba;
    const unsigned char* at(int x, int y) const { return &rgba[(y * width + x) * 4]; }
    int count(const std::function<bool(const unsigned char*)>& test) const {
        int found = 0;
        for (std::size_t i = 0; i < rgba.size(); i += 4)
            found += test(&rgba[i]);
        return found;
    }
};

bool readPicture(const std::string& path, Picture& picture) {
    if (!readWholeFile(path).starts_with("\x89PNG")) return false;
    ViewedImage viewed = readViewedImage(path, IL_RGBA);
    picture.storedWithAlpha = viewed.storedFormat == IL_RGBA;
    picture.width = viewed.width;
    picture.height = viewed.height;
    picture.rgba = std::move(viewed.bytes);
    return !picture.rgba.empty();
}

// The cube sample scaled and moved, without its images beside it.
std::string movedCube(const TempFolder& folder, double scale, double x, double y, double z) {
    std::istringstream cube(readWholeFile(samples + "/cube.msh"));
    std::ostringstream moved;
    moved.precision(10);
    for (std::string line; std::getline(cube, line); moved << "\n") {
        std::istringstream numbers(line);
        std::vector<double> v{std::istream_iterator<double>(numbers), {}};
        if (v.size() != 8 || !numbers.eof()) {
            moved << line;
            continue;
        }
        moved << v[0] * scale + x << " " << v[1] * scale + y << " " << v[2] * scale + z;
        for (int i = 3; i < 8; ++i)
            moved << " " << v[i];
    }
    return folder.write("moved.msh", moved.str());
}

// Crate bricks, and the red corner square each sample image carries; the untextured sides'
// wood colour (ambient + emission of the cube's first material).
bool crate(const unsigned char* p) {
    return p[3] && p[0] < 200 && p[0] > p[1] && p[1] > p[2] && p[0] - p[2] > 40;
}
bool marker(const unsigned char* p) {
    return p[3] && p[0] > 150 && p[1] < 60 && p[2] < 60;
}
bool wood(const unsigned char* p) {
    return p[3] && std::abs(p[0] - 242) <= 3 && std::abs(p[1] - 217) <= 3 &&
           std::abs(p[2] - 179) <= 3;
}

enum class Colours { any, crate, wood };

void expectFramed(const Picture& picture, int size, Colours colours) {
    ASSERT_EQ(picture.width, size);
    ASSERT_EQ(picture.height, size);
    EXPECT_TRUE(picture.storedWithAlpha);
    EXPECT_EQ(
        picture.count([](auto p) { return p[3] % 255 != 0 || (!p[3] && (p[0] | p[1] | p[2])); }), 0)
        << "pixels neither opaque nor transparent black";
    int left = size, right = -1, top = size, bottom = -1;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (picture.at(x, y)[3]) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    std::string drawn = "drawn in x " + std::to_string(left) + ".." + std::to_string(right) +
                        ", y " + std::to_string(top) + ".." + std::to_string(bottom);
    EXPECT_TRUE(left > 0 && top > 0 && right < size - 1 && bottom < size - 1)
        << "no margin, " << drawn;
    EXPECT_NEAR(left + right, size - 1, size * 0.12) << "off centre, " << drawn;
    EXPECT_NEAR(top + bottom, size - 1, size * 0.12) << "off centre, " << drawn;
    EXPECT_GE(std::max(right - left, bottom - top) + 1, size * 0.6) << "too small, " << drawn;
    int opaque = picture.count([](auto p) { return p[3] != 0; });
    if (colours == Colours::crate) {
        EXPECT_GT(picture.count(crate), opaque / 5) << "too little of the crate image";
        EXPECT_GT(picture.count(marker), 4) << "no red corner square";
    } else if (colours == Colours::wood) {
        EXPECT_GT(picture.count(wood), opaque / 5) << "too little of the wood colour";
        EXPECT_EQ(picture.count(crate) + picture.count(marker), 0) << "image colours, no image";
    }
}

TEST(Thumbnailer, EntryRunsTheRenderToolForTheMeshType) {
    auto keys = thumbnailerEntry();
    EXPECT_EQ(keys["TryExec"], "korvalin-render");
    EXPECT_EQ(keys["MimeType"], "model/x-korvalin-mesh;");
}

TEST(Thumbnailer, EachModelFillsATransparentSquareCentred) {
    struct Model {
        std::string what;
        std::function<std::string(const TempFolder&)> mesh;
        int size;
        Colours colours;
    };
    auto sample = [](std::string name) {
        return [=](const TempFolder&) { return samples + "/" + name; };
    };
    const std::vector<Model> models = {
        {"the cube sample, textures beside it", sample("cube.msh"), 256, Colours::crate},
        {"the hull sample", sample("hull.msh"), 128, Colours::any},
        {"the torus sample", sample("torus.msh"), 128, Colours::any},
        {"the cube without its images", [](auto& f) { return movedCube(f, 1, 0, 0, 0); }, 96,
         Colours::wood},
        {"far from the origin", [](auto& f) { return movedCube(f, 1.5, 4000, -2500, 7000); }, 96,
         Colours::wood},
        {"much larger than the view", [](auto& f) { return movedCube(f, 2000, 0, 0, 0); }, 77,
         Colours::wood},
        {"large and far out", [](auto& f) { return movedCube(f, 5e3, -3e5, 1e5, 2e5); }, 64,
         Colours::wood},
    };
    TempFolder out;
    for (const Model& model : models) {
        SCOPED_TRACE(model.what);
        TempFolder folder;
        std::string png = out.file("thumbnail.png");
        ProcessRun run = runThumbnailer(folder, model.size, model.mesh(folder), png);
        ASSERT_EQ(run.status, 0) << run.err;
        Picture picture;
        ASSERT_TRUE(readPicture(png, picture)) << "no PNG";
        expectFramed(picture, model.size, model.colours);
    }
}

// One textured triangle whose image is the given hostile file, copied beside the mesh.
std::string hostileImageMesh(const TempFolder& folder, const std::string& image) {
    fs::copy_file(KORVALIN_SOURCE_DIR "/tests/data/hostile-images/" + image, folder.file(image));
    return folder.write("image.msh", "MSHX1\nGROUPS 1\nTEXTURE 1\nGEOM 3 1\n0 0 0 0 1 0 0 0\n"
                                     "1 0 0 0 1 0 1 0\n0 0 1 0 1 0 0 1\n0 2 1\nTEXTURES 1\n" +
                                         image + "\n");
}

std::string sparseFile(const TempFolder& folder, const std::string& head, long long size) {
    std::string path = folder.write("sparse.msh", head);
    fs::resize_file(path, static_cast<std::uintmax_t>(size));
    return path;
}

TEST(Thumbnailer, HostileFilesFailWithoutAPictureOrAProcessLeft) {
    std::string torus = readWholeFile(samples + "/torus.msh");
    const std::vector<std::pair<std::string, std::function<std::string(const TempFolder&)>>> cases =
        {
            {"an empty file", [](auto& f) { return f.write("empty.msh", ""); }},
            {"a folder", [](auto& f) { return f.path(); }},
            {"a pipe nobody writes",
             [](auto& f) {
                 mkfifo(f.file("p.msh").c_str(), 0600);
                 return f.file("p.msh");
             }},
            {"garbage",
             [](auto& f) { return f.write("g.msh", std::string(4000, '\xe9') + "MSHX1\n"); }},
            {"cut in its first line", [](auto& f) { return f.write("cut.msh", "MSHX"); }},
            {"cut after its first counts",
             [&](auto& f) {
                 return f.write("cut.msh", torus.substr(0, torus.find('\n', torus.find("GEOM"))));
             }},
            {"absurd counts",
             [](auto& f) { return f.write("absurd.msh", "MSHX1\nGROUPS 2000000000\n"); }},
            {"counts claiming gigabytes",
             [](auto& f) {
                 return sparseFile(f, "MSHX1\nGROUPS 1\nGEOM 100000000 1\n", 100LL << 20);
             }},
            {"a huge file", [](auto& f) { return sparseFile(f, "MSHX1\n", 300LL << 20); }},
            {"no triangles",
             [](auto& f) { return f.write("bare.msh", "MSHX1\nGROUPS 1\nGEOM 3 0\n"); }},
        };
    TempFolder out;
    for (const auto& [what, mesh] : cases) {
        SCOPED_TRACE(what);
        TempFolder folder;
        ProcessRun run = runThumbnailer(folder, 128, mesh(folder), out.file("thumbnail.png"));
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.err, "") << "no word on what went wrong";
        EXPECT_TRUE(fs::is_empty(out.path())) << "a picture or a temporary file is left";
        // Every process of the run (the image helper too) names the mesh's folder.
        bool left = true;
        for (int tries = 0; tries < 50 && left; ++tries, usleep(20000)) {
            left = false;
            for (const auto& process : fs::directory_iterator("/proc"))
                left = left || readWholeFile(process.path() / "cmdline").find(folder.path()) !=
                                   std::string::npos;
        }
        EXPECT_FALSE(left) << "a process of the run is still there";
    }
    // An image that crashes or hangs the decoder is only missing: the triangle is drawn, within
    // the thumbnail's time.
    for (const char* image : {"segfault-dds.dds", "hang-png.png"}) {
        SCOPED_TRACE(image);
        TempFolder folder;
        ProcessRun run =
            runThumbnailer(folder, 64, hostileImageMesh(folder, image), out.file("thumbnail.png"));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(fs::exists(out.file("thumbnail.png")));
        fs::remove(out.file("thumbnail.png"));
    }
}

} // namespace
