// korvalin-info: reads a mesh file exactly as the viewer does and prints what it holds.
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "mesh/texture_loader.h"
#include "platform/headless/egl_context.h"
#include "platform/regular_file.h"
#include "tools/early_end.h"
#include "tools/mesh_json.h"
#include "tools/mesh_summary.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr int exitLoaded = 0;
constexpr int exitNotLoaded = 1;
constexpr int exitBadUsage = 2;

struct Options {
    const char* texturesDir = nullptr;
    const char* meshPath = nullptr;
    bool json = false;
};

int usage(std::FILE* out, int status) {
    std::fputs("usage: korvalin-info [--textures DIR] [--json] FILE.msh\n", out);
    return status;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0)
            options.json = true;
        else if (std::strcmp(argv[i], "--textures") == 0 && i + 1 < argc)
            options.texturesDir = argv[++i];
        else if (argv[i][0] == '-' && argv[i][1] != '\0')
            return false;
        else if (options.meshPath)
            return false;
        else
            options.meshPath = argv[i];
    }
    return options.meshPath != nullptr;
}

void explainFailure(const char* meshPath) {
    std::error_code error;
    auto status = std::filesystem::status(meshPath, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        std::fprintf(stderr, "korvalin-info: %s is not a regular file\n", meshPath);
        return;
    }
    std::FILE* file = openRegularFile(meshPath);
    if (!file) {
        std::fprintf(stderr, "korvalin-info: cannot open %s: %s\n", meshPath, std::strerror(errno));
        return;
    }
    std::fclose(file);
    std::fprintf(stderr,
                 "korvalin-info: %s is not a mesh file (first line not MSHX1, or counts "
                 "of more records than the file could hold)\n",
                 meshPath);
}

HeadlessGLContext glContext;

bool makeTextureContext() {
    return glContext.isCurrent() || glContext.create(1, 1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) return usage(stdout, exitLoaded);
    Options options;
    if (!parseOptions(argc, argv, options)) return usage(stderr, exitBadUsage);
    if (options.texturesDir) {
        if (std::strlen(options.texturesDir) >= textFieldSize) {
            std::fprintf(stderr, "korvalin-info: textures folder longer than %zu characters\n",
                         textFieldSize - 1);
            return exitBadUsage;
        }
        meshScene.setTexturesDirectory(options.texturesDir);
    }
    // Textures are loaded for real whenever a GL context can be had; it is made only for a mesh
    // that lists some, since making one costs more than reading most meshes.
    setTextureContextHook(makeTextureContext);
    // Released before the GL libraries' own exit handlers run.
    struct ReleaseContext {
        ~ReleaseContext() { glContext.destroy(); }
    } releaseContext;
    if (!loadMesh(options.meshPath)) {
        explainFailure(options.meshPath);
        return exitNotLoaded;
    }
    std::string earlyEnd = findEarlyEnd(options.meshPath);
    if (options.json)
        writeMeshJson(stdout);
    else
        writeMeshSummary(stdout, options.meshPath, glContext.isCurrent());
    // In JSON mode standard output holds the object alone.
    if (!earlyEnd.empty())
        std::fprintf(options.json ? stderr : stdout, "%s%s ends early: %s\n",
                     options.json ? "korvalin-info: " : "",
                     options.json ? options.meshPath : "file", earlyEnd.c_str());
    meshScene.releaseMesh();
    return std::fflush(stdout) == 0 ? exitLoaded : exitNotLoaded;
}
