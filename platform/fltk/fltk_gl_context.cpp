#include "platform/fltk/fltk_gl_context.h"

#include <FL/Fl.H>
#include <FL/platform.H>

#include <EGL/egl.h>
#include <GL/glx.h>

void openToolkitDisplay() {
    fl_open_display();
}

#if FL_API_VERSION >= 10400

namespace {
bool onWayland() {
#if defined(FLTK_USE_WAYLAND)
    return fl_wl_display() != nullptr;
#else
    return false;
#endif
}
} // namespace

bool isCurrentGLContext(GLContext context) {
#if defined(FLTK_USE_WAYLAND)
    if (onWayland()) return eglGetCurrentContext() == fl_wl_glcontext(context);
#endif
    return glXGetCurrentContext() == fl_x11_glcontext(context);
}

bool releaseCurrentGLContext() {
    if (onWayland()) {
        EGLDisplay display = eglGetCurrentDisplay();
        return display == EGL_NO_DISPLAY ||
               eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    return fl_x11_display() && glXMakeCurrent(fl_x11_display(), None, nullptr);
}

#else

bool isCurrentGLContext(GLContext context) {
    return glXGetCurrentContext() == static_cast<GLXContext>(context);
}

bool releaseCurrentGLContext() {
    return fl_display && glXMakeCurrent(fl_display, None, nullptr);
}

#endif
