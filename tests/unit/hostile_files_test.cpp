// Files made to hurt, given to the mesh reader and the settings loader: each is refused (or
// loaded) at once, and a refused one leaves what was loaded before as it was. New hostile
// files belong in this table.
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "render/sensitivity.h"
#include "settings/settings_file.h"
#include "tests/support/scene_reset.h"
#include "tests/support/scripted_platform.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fcntl.h>
#include <functional>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr long long fourMegabytes = 4LL << 20;

// A file of the given size holding head, then zero bytes (sparse: nothing is written).
std::string sparseFile(const TempFolder& folder, const std::string& head, long long size) {
    std::string path = folder.write("sparse.msh", head);
    if (truncate(path.c_str(), size) != 0) ADD_FAILURE() << "cannot size " << path;
    return path;
}

std::string repeated(const std::string& line, long long times) {
    std::string text;
    text.reserve(line.size() * times);
    for (long long i = 0; i < times; ++i)
        text += line;
    return text;
}

// A material at its smallest: a one-letter name, then four colour lines of four numbers.
std::string smallestMaterials(long long count) {
    return "MSHX1\nMATERIALS " + std::to_string(count) + "\n" + repeated("a\n", count) +
           repeated("0 0 0 0\n0 0 0 0\n0 0 0 0\n0 0 0 0\n", count);
}

std::string fifo(const TempFolder& folder, const std::string& name) {
    std::string path = folder.file(name);
    if (mkfifo(path.c_str(), 0600) != 0) ADD_FAILURE() << "cannot make the FIFO " << path;
    return path;
}

std::string linkTo(const TempFolder& folder, const std::string& target, const std::string& name) {
    std::string path = folder.file(name);
    if (symlink(target.c_str(), path.c_str()) != 0) ADD_FAILURE() << "cannot link " << path;
    return path;
}

enum class Reader { mesh, settings };

struct HostileFile {
    const char* what;
    Reader reader;
    // Makes the file in the folder under the name the reader looks for; returns its path.
    std::function<std::string(const TempFolder&, const std::string& name)> make;
    bool loads;
};

void PrintTo(const HostileFile& row, std::ostream* out) {
    *out << row.what;
}

const std::vector<HostileFile>& hostileFiles() {
    static const std::vector<HostileFile> rows = {
        // Declared counts against the file's size.
        {"MATERIALS 4000000 in 4 MB", Reader::mesh,
         [](auto& f, auto&) { return sparseFile(f, "MSHX1\nMATERIALS 4000000\n", fourMegabytes); },
         false},
        {"TEXTURES 4000000 in 4 MB", Reader::mesh,
         [](auto& f, auto&) { return sparseFile(f, "MSHX1\nTEXTURES 4000000\n", fourMegabytes); },
         false},
        {"GROUPS 1000000 in 4 MB", Reader::mesh,
         [](auto& f, auto&) { return sparseFile(f, "MSHX1\nGROUPS 1000000\n", fourMegabytes); },
         false},
        {"GEOM 200000 200000 in 4 MB", Reader::mesh,
         [](auto& f, auto&) {
             return sparseFile(f, "MSHX1\nGROUPS 1\nGEOM 200000 200000\n", fourMegabytes);
         },
         false},
        {"every material written at its smallest", Reader::mesh,
         [](auto& f, auto& name) { return f.write(name, smallestMaterials(3000)); }, true},
        {"more materials than their smallest lines fit", Reader::mesh,
         [](auto& f, auto& name) {
             std::string text = smallestMaterials(3000);
             return f.write(name, "MSHX1\nMATERIALS 3100" + text.substr(text.find('\n', 6)));
         },
         false},
        {"every vertex and triangle written at its smallest", Reader::mesh,
         [](auto& f, auto& name) {
             return f.write(name, "MSHX1\nGROUPS 1\nGEOM 5000 5000\n" +
                                      repeated("0-0-0-0-0-0-0-0\n", 5000) +
                                      repeated("0 1 2\n", 5000));
         },
         true},
        {"every texture entry written at its smallest", Reader::mesh,
         [](auto& f, auto& name) {
             return f.write(name, "MSHX1\nTEXTURES 2000\n" + repeated("a\n", 2000));
         },
         true},
        {"a file cut short a little", Reader::mesh,
         [](auto& f, auto& name) { return f.write(name, "MSHX1\nGROUPS 5\nGEOM 3 1\n0 0 0"); },
         true},
        // Files that are no regular files: refused at once, never waited on nor read for ever.
        {"/dev/zero as the mesh", Reader::mesh, [](auto&, auto&) { return "/dev/zero"; }, false},
        {"a FIFO nobody writes as the mesh", Reader::mesh,
         [](auto& f, auto& name) { return fifo(f, name); }, false},
        {"a folder as the mesh", Reader::mesh, [](auto& f, auto&) { return f.path(); }, false},
        {"a link to a FIFO as the mesh", Reader::mesh,
         [](auto& f, auto& name) { return linkTo(f, fifo(f, "pipe"), name); }, false},
        {"a FIFO named Korvalin.ini", Reader::settings,
         [](auto& f, auto& name) { return fifo(f, name); }, false},
        {"a folder named Korvalin.ini", Reader::settings,
         [](auto& f, auto& name) {
             mkdir(f.file(name).c_str(), 0700);
             return f.file(name);
         },
         false},
        {"Korvalin.ini linked to /dev/zero", Reader::settings,
         [](auto& f, auto& name) { return linkTo(f, "/dev/zero", name); }, false},
        {"a real Korvalin.ini", Reader::settings,
         [](auto& f, auto& name) { return f.write(name, "0.3\n4\n/tex\n"); }, true},
    };
    return rows;
}

class HostileFilesTest : public ::testing::TestWithParam<HostileFile> {
  protected:
    void SetUp() override { resetAll(); }
    void TearDown() override { resetAll(); }

    static void resetAll() {
        resetMeshScene();
        mouseSensitivity = defaultMouseSensitivity;
        zoomSensitivity = defaultZoomSensitivity;
        settingsPath[0] = '\0';
    }

    // What was there before the hostile file: a mesh, and settings other than the defaults.
    void loadWhatMustStay() {
        std::string mesh = folder.write("kept.msh", "MSHX1\nGROUPS 1\nGEOM 1 0\n7 0 0 0 0 0 0 0\n"
                                                    "MATERIALS 1\nkept\n");
        ASSERT_TRUE(loadMesh(mesh.c_str()));
        mouseSensitivity = 0.25f;
        zoomSensitivity = 3.5f;
    }

    void expectWhatMustStay() {
        ASSERT_EQ(meshScene.groupCount, 1);
        EXPECT_EQ(meshScene.groups[0].vertices[0].x, 7.0f);
        ASSERT_EQ(meshScene.materialCount, 1);
        EXPECT_STREQ(meshScene.materials[0].name, "kept");
        EXPECT_EQ(mouseSensitivity, 0.25f);
        EXPECT_EQ(zoomSensitivity, 3.5f);
        EXPECT_FALSE(meshScene.texturesDirSet);
    }

    TempFolder folder;
    ScriptedPlatform platform;
};

TEST_P(HostileFilesTest, RefusedAtOnceLeavingWhatWasLoaded) {
    const HostileFile& row = GetParam();
    ASSERT_NO_FATAL_FAILURE(loadWhatMustStay());
    bool loaded = false;
    if (row.reader == Reader::mesh) {
        std::string path = row.make(folder, "hostile.msh");
        loaded = loadMesh(path.c_str());
    } else {
        row.make(folder, "Korvalin.ini");
        ASSERT_TRUE(buildSettingsPath(folder.path().c_str()));
        loaded = loadSettings();
    }
    EXPECT_EQ(loaded, row.loads);
    if (!row.loads) expectWhatMustStay();
}

INSTANTIATE_TEST_SUITE_P(Table, HostileFilesTest, ::testing::ValuesIn(hostileFiles()),
                         [](const ::testing::TestParamInfo<HostileFile>& row) {
                             std::string name;
                             for (const char* c = row.param.what; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

} // namespace
