// drag_frame_bench: on the large sample, the time from a drag motion message handed to the
// viewer's window procedure to its frame drawn and swapped, on the headless GL (Mesa llvmpipe).
// The window procedure, the orbit arithmetic, the paint request and the draw pass are the
// viewer's own; only the window system is replaced by a pbuffer. Prints; asserts nothing.
#include "app/viewer_state.h"
#include "app/window_proc.h"
#include "mesh/image_decoder.h"
#include "mesh/mesh_reader.h"
#include "mesh/mesh_scene.h"
#include "platform/headless/egl_context.h"
#include "platform/headless/headless_services.h"
#include "platform/window_messages.h"
#include "render/mouse_orbit.h"
#include "render/viewport.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int frameWidth = 640;
constexpr int frameHeight = 480;
constexpr int steps = 400;
constexpr int stepPixels = 5;
constexpr int stepsPerLeg = 100;

using Clock = std::chrono::steady_clock;

// Messages sent to the window reach the viewer's procedure at once, as the real backend does;
// a swap waits for the frame to be finished, so it is part of what is timed.
class PbufferWindowServices : public HeadlessServices {
  public:
    std::intptr_t sendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
        return viewerWindowProc(window, message, wParam, lParam);
    }
    bool validateRect(WindowHandle) override { return true; }
    bool swapBuffers(DeviceContextHandle) override {
        glFinish();
        ++swaps;
        return true;
    }
    bool trackMouseLeave(WindowHandle) override { return true; }

    long swaps = 0;
};

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * (values.size() - 1) + 0.5)];
}

// One motion a step along the window's middle row: right for a leg, back left for the next.
std::intptr_t motionPosition(int step) {
    int leg = step / stepsPerLeg, within = step % stepsPerLeg;
    int offset = leg % 2 == 0 ? within : stepsPerLeg - within;
    return makeLParam(60 + stepPixels * offset, frameHeight / 2);
}

} // namespace

int main() {
    startImageDecoder();
    HeadlessGLContext context;
    if (!context.create(frameWidth, frameHeight)) {
        std::fputs("drag_frame_bench: no headless GL context\n", stderr);
        return 1;
    }
    PbufferWindowServices services;
    setPlatformServices(&services);
    auto window = reinterpret_cast<WindowHandle>(&services);
    mainWindow = window;

    meshScene.setTexturesDirectory(KORVALIN_SAMPLES_DIR);
    if (!loadMesh(KORVALIN_SAMPLES_DIR "/torus.msh")) {
        std::fputs("drag_frame_bench: cannot load the torus sample\n", stderr);
        return 1;
    }
    resizeViewport(frameWidth, frameHeight);
    setupScene();
    paintEnabled = true;
    viewerWindowProc(window, WM_PAINT, 0, 0);

    viewerWindowProc(window, WM_RBUTTONDOWN, 0, motionPosition(0));
    std::vector<double> times;
    for (int step = 1; step <= steps; ++step) {
        long swapsBefore = services.swaps;
        Clock::time_point sent = Clock::now();
        viewerWindowProc(window, WM_MOUSEMOVE, 0, motionPosition(step));
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - sent).count();
        if (services.swaps != swapsBefore + 1) {
            std::fprintf(stderr, "drag_frame_bench: step %d swapped %ld frames\n", step,
                         services.swaps - swapsBefore);
            return 1;
        }
        times.push_back(ms);
    }
    viewerWindowProc(window, WM_RBUTTONUP, 0, motionPosition(steps));

    std::printf("torus.msh, %dx%d, %d drag motions of %d px, one swapped frame each\n", frameWidth,
                frameHeight, steps, stepPixels);
    std::printf("  motion message -> swapped frame (ms): median %.2f  10%% %.2f  90%% %.2f  max "
                "%.2f\n",
                percentile(times, 0.5), percentile(times, 0.1), percentile(times, 0.9),
                percentile(times, 1.0));
    std::printf("  turned to rotationY %.2f, rotationZ %.2f\n", meshScene.rotationY,
                meshScene.rotationZ);
    meshScene.releaseMesh();
    return 0;
}
