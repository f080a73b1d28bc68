#include "platform/headless/egl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <dlfcn.h>
#include <link.h>

#include <string_view>

namespace {

// Mesa's DRI driver keeps process-wide state in its globals (its CPU description, for one,
// made once per process). eglTerminate unloads the driver, which leaves those blocks owned by
// nothing mapped: a leak checker then reports them against an unnamed module, and the next
// context loads the driver and LLVM all over again. Pinning it keeps both from happening.
void keepGLDriverLoaded() {
    dl_iterate_phdr(
        [](dl_phdr_info* module, size_t, void*) {
            if (std::string_view(module->dlpi_name).ends_with("_dri.so"))
                dlopen(module->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

EGLDisplay openSurfacelessDisplay() {
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) return EGL_NO_DISPLAY;
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return EGL_NO_DISPLAY;
    keepGLDriverLoaded();
    return display;
}

bool chooseConfig(EGLDisplay display, EGLConfig* config) {
    const EGLint attributes[] = {EGL_SURFACE_TYPE,
                                 EGL_PBUFFER_BIT,
                                 EGL_RENDERABLE_TYPE,
                                 EGL_OPENGL_BIT,
                                 EGL_RED_SIZE,
                                 8,
                                 EGL_GREEN_SIZE,
                                 8,
                                 EGL_BLUE_SIZE,
                                 8,
                                 EGL_ALPHA_SIZE,
                                 8,
                                 EGL_DEPTH_SIZE,
                                 24,
                                 EGL_NONE};
    EGLint found = 0;
    return eglChooseConfig(display, attributes, config, 1, &found) && found == 1;
}

} // namespace

HeadlessGLContext::~HeadlessGLContext() {
    destroy();
}

bool HeadlessGLContext::create(int width, int height) {
    destroy();
    EGLDisplay eglDisplay = openSurfacelessDisplay();
    if (eglDisplay == EGL_NO_DISPLAY) return false;
    display = eglDisplay;
    EGLConfig config;
    if (!chooseConfig(eglDisplay, &config) || !eglBindAPI(EGL_OPENGL_API)) {
        destroy();
        return false;
    }
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    surface = eglCreatePbufferSurface(eglDisplay, config, size);
    context = eglCreateContext(eglDisplay, config, EGL_NO_CONTEXT, nullptr);
    if (surface == EGL_NO_SURFACE || context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(eglDisplay, surface, surface, context)) {
        destroy();
        return false;
    }
    return true;
}

void HeadlessGLContext::destroy() {
    if (!display) return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context) eglDestroyContext(display, context);
    if (surface) eglDestroySurface(display, surface);
    eglTerminate(display);
    display = surface = context = nullptr;
}
