// frame_bench: time of one renderScene frame on the headless GL (Mesa llvmpipe), beside a bare
// loop making the same GL calls over the same arrays, in the same run. Prints; asserts nothing.
#include "bench/bench_mesh.h"
#include "mesh/image_decoder.h"
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "platform/headless/egl_context.h"
#include "render/draw_pass.h"
#include "render/viewport.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int frameWidth = 640;
constexpr int frameHeight = 480;
constexpr int framesPerKind = 15;

using Clock = std::chrono::steady_clock;

const float whiteColour[4] = {1, 1, 1, 1};
const float noColour[4] = {0, 0, 0, 0};
const float noPower = 0;

// The draw pass without its checks: every number taken as in range.
void bareFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(-static_cast<double>(meshScene.cameraDistance), 0, 0, 0, 0, 0, 0, 0, 1);
    glRotated(meshScene.rotationY, 0, 1, 0);
    glRotated(meshScene.rotationZ, 0, 0, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (int g = 0; g < meshScene.groupCount; ++g) {
        const MeshGroup& group = meshScene.groups[g];
        if (group.texture) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, group.texture);
            glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
        }
        const MeshMaterial* m =
            group.material > 0 ? &meshScene.materials[group.material - 1] : nullptr;
        glMaterialfv(GL_FRONT, GL_DIFFUSE, m ? m->diffuse : whiteColour);
        glMaterialfv(GL_FRONT, GL_AMBIENT, m ? m->ambient : whiteColour);
        glMaterialfv(GL_FRONT, GL_SPECULAR, m ? m->specular : whiteColour);
        glMaterialfv(GL_FRONT, GL_SHININESS, m ? &m->power : &noPower);
        glMaterialfv(GL_FRONT, GL_EMISSION, m ? m->emissive : noColour);
        glBegin(GL_TRIANGLES);
        for (int t = 0; t < group.triangleCount; ++t)
            for (int corner : group.triangles[t].indices) {
                const MeshVertex& p = group.vertices[corner];
                if (group.texture) glTexCoord2f(p.u, p.v);
                glNormal3f(p.nx, p.nz, p.ny);
                glVertex3f(p.x, p.z, p.y);
            }
        glEnd();
        glDisable(GL_TEXTURE_2D);
    }
    glFlush();
}

template <typename Draw> double timeFrame(Draw draw) {
    Clock::time_point start = Clock::now();
    draw();
    glFinish();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool benchFile(const char* path, const char* texturesDir) {
    meshScene.releaseMesh();
    meshScene.setTexturesDirectory(texturesDir);
    if (!loadMesh(path)) {
        std::fprintf(stderr, "frame_bench: cannot load %s\n", path);
        return false;
    }
    resizeViewport(frameWidth, frameHeight);
    setupScene();
    meshScene.rotationY = 20;
    meshScene.rotationZ = 30;
    renderScene(); // resolves the material numbers once, as the first frame does
    bareFrame();
    std::vector<double> ours, bare;
    // Interleaved, so drift in the machine's load touches both alike.
    for (int i = 0; i < framesPerKind; ++i) {
        ours.push_back(timeFrame(renderScene));
        bare.push_back(timeFrame(bareFrame));
    }
    long long triangles = 0;
    for (int g = 0; g < meshScene.groupCount; ++g)
        triangles += meshScene.groups[g].triangleCount;
    double oursMs = median(ours), bareMs = median(bare);
    std::printf("%s: %lld triangles, %d frames each at %dx%d\n", path, triangles, framesPerKind,
                frameWidth, frameHeight);
    std::printf("  renderScene %9.2f ms   bare loop %9.2f ms   overhead %+.1f%%\n", oursMs, bareMs,
                100 * (oursMs - bareMs) / bareMs);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    startImageDecoder();
    HeadlessGLContext context;
    if (!context.create(frameWidth, frameHeight)) {
        std::fputs("frame_bench: no headless GL context\n", stderr);
        return 1;
    }
    bool ok = benchFile(KORVALIN_SAMPLES_DIR "/torus.msh", KORVALIN_SAMPLES_DIR);
    std::string generated;
    if (argc > 1) {
        generated = argv[1];
    } else {
        char folder[] = "/tmp/korvalin-frame-bench-XXXXXX";
        GenMesh mesh;
        if (!mkdtemp(folder) || !makeBenchMesh(4, mesh)) return 1;
        generated = std::string(folder) + "/bench.msh";
        if (!writeMesh(generated.c_str(), mesh)) return 1;
    }
    ok = benchFile(generated.c_str(), "") && ok;
    if (argc == 1) {
        std::remove(generated.c_str());
        rmdir(generated.substr(0, generated.rfind('/')).c_str());
    }
    meshScene.releaseMesh();
    return ok ? 0 : 1;
}
