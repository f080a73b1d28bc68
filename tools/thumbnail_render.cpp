#include "tools/thumbnail_render.h"

#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "mesh/texture_loader.h"
#include "platform/headless/egl_context.h"
#include "render/draw_pass.h"
#include "render/frame_capture.h"
#include "render/model_framing.h"
#include "render/viewport.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr int exitDrawn = 0;
constexpr int exitFailed = 1;
// The 2,000,000-triangle benchmark mesh is 107 MB.
constexpr long long largestFile = 256LL << 20;
// A three-quarter view from above: the model turned about its up axis, its top tilted towards
// the eye, so that a box shows three faces where the viewer's start-up view shows one. A model
// that shows nothing from above (open surfaces whose front faces look down) is drawn from below.
constexpr float viewTurnZ = -35.0f;
constexpr float viewTiltsY[] = {-30.0f, 30.0f};
// The field of view: the viewer's 70 degrees, with the eye near enough to fill the picture, would
// show a box's near corner twice as large as its far one. 30 degrees is the viewer's own picture
// of the model seen from farther away, enlarged.
constexpr double fieldOfView = 30.0;
// Of the thumbnail's 5 s, the images get half: a looping one then costs its own picture, not
// the model's.
constexpr int imageDecodingMilliseconds = 2500;

// Memory beyond what the process holds once its GL context is made: the mesh's arrays take up
// to twice the file's size for real meshes (a vertex line of 16 bytes or more becomes 32), and
// drawing and reading back the picture take a few hundred megabytes at most. A file whose counts
// claim more (up to 32 bytes for each of its bytes) is refused when its arrays are allocated,
// before they are filled.
constexpr unsigned long long baseAllowance = 1ULL << 30;
constexpr unsigned long long allowancePerFileByte = 4;

unsigned long long currentAddressSpace() {
    unsigned long long pages = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    if (std::fscanf(statm, "%llu", &pages) != 1) pages = 0;
    std::fclose(statm);
    return pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE));
}

// Only the soft limit: the image helper sets a higher one of its own, which a lowered hard limit
// would refuse it.
void limitAddressSpace(long long fileSize) {
    const unsigned long long current = currentAddressSpace();
    rlimit limit{};
    if (current == 0 || getrlimit(RLIMIT_AS, &limit) != 0) return;
    const rlim_t wanted =
        current + baseAllowance + allowancePerFileByte * static_cast<unsigned long long>(fileSize);
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur <= wanted) return;
    limit.rlim_cur = wanted;
    setrlimit(RLIMIT_AS, &limit);
}

// A regular file of a size worth reading: not a folder, a device or a pipe that never ends.
bool acceptFile(const char* meshPath, long long& size) {
    struct stat info = {};
    if (stat(meshPath, &info) != 0) {
        std::fprintf(stderr, "korvalin-render: cannot open %s: %s\n", meshPath,
                     std::strerror(errno));
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "korvalin-render: %s is not a file\n", meshPath);
        return false;
    }
    if (info.st_size > largestFile) {
        std::fprintf(stderr, "korvalin-render: %s is larger than %lld MiB\n", meshPath,
                     largestFile >> 20);
        return false;
    }
    size = info.st_size;
    return true;
}

// The mesh's folder becomes the current folder and the textures folder is "." in it, so that
// image paths stay short however long the folder's own path is. The mesh is then opened by its
// name alone, which this returns.
bool enterMeshFolder(const char* meshPath, std::string& name) {
    std::filesystem::path path(meshPath);
    std::filesystem::path folder = path.parent_path();
    name = path.filename().string();
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
        std::fprintf(stderr, "korvalin-render: cannot enter the folder of %s: %s\n", meshPath,
                     std::strerror(errno));
        return false;
    }
    meshScene.setTexturesDirectory(".");
    return true;
}

// The camera's turn exactly as the draw pass applies it (its view transform read back from the
// GL), and the shift that the transform includes.
void readViewTransform(ViewTurn& turn, double shift[3]) {
    GLdouble view[16];
    glLoadIdentity();
    applyCamera();
    glGetDoublev(GL_MODELVIEW_MATRIX, view);
    glLoadIdentity();
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column)
            turn[row][column] = view[column * 4 + row];
        shift[row] = view[12 + row];
    }
}

// The viewer's frame on a square picture, the camera turned to the given view and moved through
// the projection so that the model fills the picture: the draw pass itself is left as it is.
bool drawFramed(int size, float tiltY) {
    resizeViewport(size, size);
    setupScene();
    meshScene.rotationY = tiltY;
    meshScene.rotationZ = viewTurnZ;
    ViewTurn turn;
    double cameraShift[3];
    readViewTransform(turn, cameraShift);
    ThumbnailFraming framing;
    const double halfFieldTangent = std::tan(fieldOfView / 2 * std::acos(-1.0) / 180);
    if (!frameBounds(meshBounds(meshScene, turn), halfFieldTangent, framing)) return false;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fieldOfView, 1.0, framing.nearPlane, framing.farPlane);
    // Undoes the draw pass's own shift of the eye and puts the framing's in its place.
    glTranslated(framing.shift[0] - cameraShift[0], framing.shift[1] - cameraShift[1],
                 framing.shift[2] - cameraShift[2]);
    glMatrixMode(GL_MODELVIEW);
    renderScene();
    return true;
}

// The first view that shows any of the model; false when none does.
bool drawThumbnail(int size) {
    for (float tiltY : viewTiltsY)
        if (drawFramed(size, tiltY) && coveredPixels(size, size) > 0) return true;
    return false;
}

} // namespace

int renderThumbnail(const char* meshPath, int size, const char* outputPath) {
    long long fileSize = 0;
    std::string meshName;
    if (!acceptFile(meshPath, fileSize) || !enterMeshFolder(meshPath, meshName)) return exitFailed;
    HeadlessGLContext glContext;
    if (!glContext.create(size, size)) {
        std::fputs("korvalin-render: no headless GL context (EGL with Mesa)\n", stderr);
        return exitFailed;
    }
    limitAddressSpace(fileSize);
    setTextureDecodingTime(imageDecodingMilliseconds);
    if (!loadMesh(meshName.c_str())) {
        std::fprintf(stderr, "korvalin-render: %s cannot be read as a mesh file\n", meshPath);
        return exitFailed;
    }
    if (!drawThumbnail(size)) {
        std::fprintf(stderr, "korvalin-render: %s has no triangle to show\n", meshPath);
        return exitFailed;
    }
    bool saved = saveCoveragePng(outputPath, size, size);
    meshScene.releaseMesh();
    if (!saved) {
        std::fprintf(stderr, "korvalin-render: cannot write %s\n", outputPath);
        return exitFailed;
    }
    return exitDrawn;
}
