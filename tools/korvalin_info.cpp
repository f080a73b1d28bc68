// korvalin-info: reads a mesh file exactly as the viewer does and prints what it holds.
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "mesh/texture_loader.h"
#include "platform/headless/egl_context.h"
#include "tools/mesh_json.h"
#include "tools/mesh_summary.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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
    std::FILE* file = std::fopen(meshPath, "rb");
    if (!file) {
        std::fprintf(stderr, "korvalin-info: cannot open %s: %s\n", meshPath, std::strerror(errno));
        return;
    }
    std::fclose(file);
    std::fprintf(stderr,
                 "korvalin-info: %s is not a mesh file (first line not MSHX1, or a count "
                 "larger than the file)\n",
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
    if (options.json)
        writeMeshJson(stdout);
    else
        writeMeshSummary(stdout, options.meshPath, glContext.isCurrent());
    meshScene.releaseMesh();
    return std::fflush(stdout) == 0 ? exitLoaded : exitNotLoaded;
}
