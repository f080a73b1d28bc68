// A GL that runs out of memory for one texture of a list, provoked for real: the program runs
// under an address-space limit that leaves room for the decoded image but not for Mesa's copy.
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "platform/headless/egl_context.h"
#include "tests/support/devil_image.h"
#include "tests/support/temp_folder.h"
#include "tools/mesh_summary.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Under AddressSanitizer an allocation refused for the limit must come back as null, as it does
// without it, rather than end the program; unused in other builds.
extern "C" const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

constexpr int bigSide = 8192; // within the context's limit, 256 MiB as RGBA
constexpr std::size_t bigBytes = std::size_t{bigSide} * bigSide * 4;

std::size_t addressSpaceBytes(const char* field) {
    FILE* status = std::fopen("/proc/self/status", "r");
    std::size_t kilobytes = 0;
    char line[256];
    while (status && std::fgets(line, sizeof line, status))
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            std::sscanf(line + std::strlen(field), "%zu", &kilobytes);
    if (status) std::fclose(status);
    return kilobytes << 10;
}

GLint widthOf(GLuint name) {
    if (!glIsTexture(name)) return 0;
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

// In a child of the test, which has made no GL context yet: loads the mesh with half the big
// image's size to spare beyond the decoded image, then writes what it saw and the tool's summary.
[[noreturn]] void loadUnderLimit(const std::string& mesh, const std::string& report) {
    HeadlessGLContext context;
    if (!context.create(64, 64)) _exit(2);
    const std::size_t before = addressSpaceBytes("VmSize:");
    rlimit space{};
    getrlimit(RLIMIT_AS, &space);
    space.rlim_cur = before + bigBytes + bigBytes / 2;
    if (setrlimit(RLIMIT_AS, &space) != 0) _exit(3);
    const bool loaded = loadMesh(mesh.c_str());
    const bool imageArrived = addressSpaceBytes("VmPeak:") >= before + bigBytes;
    FILE* out = std::fopen(report.c_str(), "w");
    if (!out) _exit(4);
    std::fprintf(out, "loaded %d arrived %d widths %d %d\n", loaded, imageArrived, widthOf(1),
                 widthOf(2));
    writeMeshSummary(out, mesh.c_str(), true);
    std::fclose(out);
    _exit(0);
}

TEST(TextureOutOfMemoryTest, AnUploadTheGLHasNoMemoryForFailsItsEntryAndLaterNamesKeepTheirs) {
    TempFolder folder;
    ImagePixels big{bigSide, bigSide, IL_RGB, {}};
    big.bytes.assign(std::size_t{bigSide} * bigSide * 3, 120);
    ASSERT_TRUE(writeImageFile(folder.file("big.png"), big));
    ASSERT_TRUE(writeImageFile(folder.file("small.png"),
                               {3, 2, IL_RGB, std::vector<unsigned char>(18, 60)}));
    big.bytes.clear();
    big.bytes.shrink_to_fit();
    const std::string mesh = folder.write("mesh.msh", "MSHX1\nGROUPS 1\nLABEL plate\nMATERIAL 0\n"
                                                      "TEXTURE 1\nGEOM 3 1\n0 0 0 0 0 1 0 0\n"
                                                      "1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1 2\n"
                                                      "TEXTURES 2\nbig.png\nsmall.png\n");
    meshScene.setTexturesDirectory(folder.path().c_str());
    const std::string report = folder.file("report.txt");
    const pid_t child = fork();
    if (child == 0) loadUnderLimit(mesh, report);
    ASSERT_GT(child, 0);
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    const std::string text = readWholeFile(report);
    // The image was decoded and handed over; only the GL's copy could not be had.
    EXPECT_NE(text.find("loaded 1 arrived 1 widths 0 3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("texture 1 did not load: " + folder.file("big.png")), std::string::npos)
        << text;
    EXPECT_EQ(text.find("texture 2 did not load"), std::string::npos) << text;
}

} // namespace
