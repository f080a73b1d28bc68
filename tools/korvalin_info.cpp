// korvalin-info: reads a mesh file exactly as the viewer does and prints what it holds.
#include "mesh/image_decoder.h"
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "mesh/texture_loader.h"
#include "platform/headless/egl_context.h"
#include "tools/mesh_json.h"
#include "tools/mesh_summary.h"

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

// One line in the reader's words: "PATH:LINE: WORDS", or "PATH: WORDS: REASON" when no line
// was read.
void explainFailure(const char* meshPath, const MeshReadResult& result) {
    if (result.line > 0)
        std::fprintf(stderr, "korvalin-info: %s:%lld: %s\n", meshPath, result.line,
                     meshReadWords(result.check));
    else if (result.systemError != 0)
        std::fprintf(stderr, "korvalin-info: %s: %s: %s\n", meshPath, meshReadWords(result.check),
                     std::strerror(result.systemError));
    else
        std::fprintf(stderr, "korvalin-info: %s: %s\n", meshPath, meshReadWords(result.check));
}

// "GROUPS 5 ran short at group 3 of 5, line 12": the record that the file ended in, and the
// line where that record begins.
void reportEarlyEnd(std::FILE* out, const char* prefix, const char* subject,
                    const MeshReadResult::EarlyEnd& end) {
    std::fprintf(out, "%s%s ends early: %s %d ran short at %s %d of %d, line %lld\n", prefix,
                 subject, meshSectionKeyword(end.section), end.count, meshRecordWords(end.record),
                 end.recordNumber, end.count, end.line);
}

HeadlessGLContext glContext;

bool makeTextureContext() {
    return glContext.isCurrent() || glContext.create(1, 1);
}

} // namespace

int main(int argc, char** argv) {
    // Before any GL context or mesh exists, so that the decoding launcher stays small.
    startImageDecoder();
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
    MeshReadResult result;
    if (!loadMesh(options.meshPath, result)) {
        explainFailure(options.meshPath, result);
        return exitNotLoaded;
    }
    if (options.json)
        writeMeshJson(stdout);
    else
        writeMeshSummary(stdout, options.meshPath, glContext.isCurrent());
    // In JSON mode standard output holds the object alone.
    if (result.endedEarly()) {
        if (options.json)
            reportEarlyEnd(stderr, "korvalin-info: ", options.meshPath, result.earlyEnd);
        else
            reportEarlyEnd(stdout, "", "file", result.earlyEnd);
    }
    meshScene.releaseMesh();
    return std::fflush(stdout) == 0 ? exitLoaded : exitNotLoaded;
}
