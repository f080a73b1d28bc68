// korvalin-convert on model files made to cost memory or time: each is refused within its
// limits, with one line saying which limit, and OUT stays as it was.
#include "tests/support/temp_folder.h"
#include "tests/support/tool_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string littleEndian(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xff);
    return bytes;
}

// 6.7 KB whose JSON chunk claims 2 GB.
std::string glbClaimingTwoGigabytes() {
    const std::string json = R"({"asset":{"version":"2.0"}})" + std::string(6650, ' ');
    return "glTF" + littleEndian(2) + littleEndian(static_cast<std::uint32_t>(20 + json.size())) +
           littleEndian(2000000000u) + littleEndian(0x4E4F534Au) + json;
}

// A few hundred bytes claiming 10^8 vertices and as many faces.
std::string plyClaimingHundredMillion() {
    return "ply\nformat ascii 1.0\nelement vertex 100000000\nproperty float x\nproperty float y\n"
           "property float z\nelement face 100000000\nproperty list uchar int vertex_indices\n"
           "end_header\n0 0 0\n";
}

// The environment of one run, as it was before afterwards.
class Setting {
  public:
    Setting(const char* variable, const std::string& value) : name(variable) {
        if (!value.empty()) setenv(variable, value.c_str(), 1);
    }
    ~Setting() { unsetenv(name); }

  private:
    const char* name;
};

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(ConvertHostileInput, IsRefusedWithinItsLimitsAndLeavesTheOutputAsItWas) {
    TempFolder folder;
    folder.write("claims.glb", glbClaimingTwoGigabytes());
    folder.write("claims.ply", plyClaimingHundredMillion());
    // A material library nobody ever writes to: opening it waits for good.
    folder.write("pipe.obj", "mtllib pipe.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    ASSERT_EQ(mkfifo(folder.file("pipe.mtl").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(folder.file("pipe-in.obj").c_str(), 0600), 0);
    folder.write("kept.msh", "MSHX1\n");
    const struct {
        const char* input;
        const char* megabytes; // KORVALIN_IMPORT_MEGABYTES, empty: as derived from the size
        const char* seconds;   // KORVALIN_IMPORT_SECONDS
        const char* says;
    } cases[] = {
        {"claims.glb", "", "", "MB of memory, the limit for a file of its size"},
        {"claims.ply", "", "", "MB of memory, the limit for a file of its size"},
        // Given the memory, the same file runs into the time limit instead.
        {"claims.ply", "3000", "1", "takes longer than 1 s, the limit"},
        {"pipe.obj", "", "1", "takes longer than 1 s, the limit"},
        // IN itself a pipe: refused at once, without waiting on it.
        {"pipe-in.obj", "", "", "not a regular file"},
    };
    const std::vector<std::string> before = filesIn(folder.path());
    for (const auto& c : cases) {
        ProcessRun run;
        {
            Setting megabytes("KORVALIN_IMPORT_MEGABYTES", c.megabytes);
            Setting seconds("KORVALIN_IMPORT_SECONDS", c.seconds);
            run = runProgram(KORVALIN_CONVERT_PATH, {folder.file(c.input), folder.file("kept.msh")},
                             folder);
        }
        SCOPED_TRACE(c.input);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.err.rfind("korvalin-convert: " + folder.file(c.input) + ": refused: ", 0), 0u)
            << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        fs::remove(folder.file("process.stdout"));
        fs::remove(folder.file("process.stderr"));
        EXPECT_EQ(filesIn(folder.path()), before) << "files left behind";
        EXPECT_EQ(readWholeFile(folder.file("kept.msh")), "MSHX1\n");
    }
}
