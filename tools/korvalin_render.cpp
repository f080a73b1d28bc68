// korvalin-render: draws one frame of a mesh exactly as the viewer does, headless, into a PNG;
// or, in thumbnail mode, a square picture of the whole model for file managers.
#include "mesh/image_decoder.h"
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "platform/headless/egl_context.h"
#include "render/draw_pass.h"
#include "render/frame_capture.h"
#include "render/shading.h"
#include "render/viewport.h"
#include "tools/thumbnail_guard.h"
#include "tools/thumbnail_render.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int exitDrawn = 0;
constexpr int exitFailed = 1;
constexpr int exitBadUsage = 2;
constexpr int largestSide = 16384;
constexpr int largestThumbnail = 4096;

struct Options {
    const char* texturesDir = nullptr;
    const char* meshPath = nullptr;
    const char* outputPath = nullptr;
    int width = 640;
    int height = 480;
    float rotationY = 0;
    float rotationZ = 0;
    float distance = 10.0f;
    bool resized = false;
    bool shaded = false;
    bool viewOptions = false; // any of the options above was given
    int thumbnailSize = 0;    // thumbnail mode when not 0
};

int usage(std::FILE* out, int status) {
    std::fputs("usage: korvalin-render [--textures DIR] [--size WxH] [--rotation-y DEG]\n"
               "                       [--rotation-z DEG] [--distance D] [--resized]\n"
               "                       [--shaded]\n"
               "                       FILE.msh -o OUT.png\n"
               "       korvalin-render --thumbnail SIZE FILE.msh -o OUT.png\n"
               "  --thumbnail SIZE  the whole model on a SIZE x SIZE picture (1 to 4096) with a\n"
               "                    transparent background, textures from FILE's folder, done\n"
               "                    in 5 s or not at all: the freedesktop thumbnailer's command\n",
               out);
    return status;
}

bool parseFloat(const char* text, float& value) {
    char* end = nullptr;
    value = std::strtof(text, &end);
    return end != text && *end == '\0' && std::isfinite(value);
}

bool parseSide(const char* text, int& side) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    side = static_cast<int>(value);
    return end != text && *end == '\0' && errno == 0 && value > 0 && value <= largestThumbnail;
}

bool parseSize(const char* text, int& width, int& height) {
    char tail = '\0';
    if (std::sscanf(text, "%dx%d%c", &width, &height, &tail) != 2) return false;
    return width > 0 && height > 0 && width <= largestSide && height <= largestSide;
}

// Takes the option at argv[i] (and its value); false on anything it does not know.
bool parseOption(int argc, char** argv, int& i, Options& options) {
    const char* name = argv[i];
    if (std::strcmp(name, "-o") != 0 && std::strcmp(name, "--thumbnail") != 0)
        options.viewOptions = true;
    if (std::strcmp(name, "--resized") == 0) {
        options.resized = true;
        return true;
    }
    if (std::strcmp(name, "--shaded") == 0) {
        options.shaded = true;
        return true;
    }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (std::strcmp(name, "--thumbnail") == 0)
        return options.thumbnailSize == 0 && parseSide(value, options.thumbnailSize);
    if (std::strcmp(name, "--textures") == 0)
        options.texturesDir = value;
    else if (std::strcmp(name, "-o") == 0)
        options.outputPath = value;
    else if (std::strcmp(name, "--size") == 0)
        return parseSize(value, options.width, options.height);
    else if (std::strcmp(name, "--rotation-y") == 0)
        return parseFloat(value, options.rotationY);
    else if (std::strcmp(name, "--rotation-z") == 0)
        return parseFloat(value, options.rotationZ);
    else if (std::strcmp(name, "--distance") == 0)
        return parseFloat(value, options.distance) && options.distance >= 0.1f;
    else
        return false;
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-' && argv[i][1] != '\0') {
            if (!parseOption(argc, argv, i, options)) return false;
        } else if (options.meshPath) {
            return false;
        } else {
            options.meshPath = argv[i];
        }
    }
    // A thumbnail chooses its own size, view and textures folder.
    if (options.thumbnailSize && options.viewOptions) return false;
    return options.meshPath && options.outputPath &&
           (!options.texturesDir || std::strlen(options.texturesDir) < textFieldSize);
}

// The frame the viewer shows right after start-up, or after a later window resize.
void drawFrame(const Options& options) {
    resizeViewport(options.width, options.height);
    setupScene();
    if (options.resized) resizeViewport(options.width, options.height);
    // The viewer's L key: a light at the eye.
    if (options.shaded) setShading(true);
    meshScene.rotationY = options.rotationY;
    meshScene.rotationZ = options.rotationZ;
    meshScene.cameraDistance = options.distance;
    renderScene();
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) return usage(stdout, exitDrawn);
    Options options;
    if (!parseOptions(argc, argv, options)) return usage(stderr, exitBadUsage);
    if (options.thumbnailSize)
        return runGuarded(options.outputPath, ThumbnailLimits{}, [&](const char* temporaryPath) {
            // In the worker, whose process group takes the launcher and its helpers with it.
            startImageDecoder();
            return renderThumbnail(options.meshPath, options.thumbnailSize, temporaryPath);
        });
    startImageDecoder();
    if (options.texturesDir) meshScene.setTexturesDirectory(options.texturesDir);
    HeadlessGLContext glContext;
    if (!glContext.create(options.width, options.height)) {
        std::fputs("korvalin-render: no headless GL context (EGL with Mesa)\n", stderr);
        return exitFailed;
    }
    if (!loadMesh(options.meshPath)) {
        std::fprintf(stderr, "korvalin-render: %s cannot be read as a mesh file\n",
                     options.meshPath);
        return exitFailed;
    }
    drawFrame(options);
    bool saved = saveFramePng(options.outputPath, options.width, options.height);
    meshScene.releaseMesh();
    if (!saved) {
        std::fprintf(stderr, "korvalin-render: cannot write %s\n", options.outputPath);
        return exitFailed;
    }
    return exitDrawn;
}
