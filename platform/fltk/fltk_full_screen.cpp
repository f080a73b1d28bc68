#include "platform/fltk/fltk_full_screen.h"

#include "platform/fltk/fltk_gl_context.h"

#include <FL/Fl.H>
#include <FL/platform.H>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cmath>

namespace {

// The X display, or null on Wayland.
Display* x11Display() {
#if FL_API_VERSION >= 10400
    return fl_x11_display();
#else
    return fl_display;
#endif
}

// Pixels per FLTK unit on the window's screen.
float unitScale(Fl_Window& window) {
#if FL_API_VERSION >= 10400
    return Fl::screen_scale(window.screen_num());
#else
    (void)window;
    return 1.0f;
#endif
}

int toPixels(int units, float scale) {
    return static_cast<int>(std::lround(units * scale));
}

// The window a _NET_SUPPORTING_WM_CHECK property names, or None.
Window checkWindow(Display* display, Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    Window named = None;
    if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format,
                           &count, &remaining, &data) == Success &&
        data && type == XA_WINDOW && format == 32 && count == 1)
        named = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return named;
}

// FLTK keeps its own answer to itself: the same test, made once, as FLTK makes it.
bool hasEwmhWindowManager(Display* display) {
    Atom property = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Window child = checkWindow(display, DefaultRootWindow(display), property);
    return child != None && checkWindow(display, child, property) == child;
}

} // namespace

bool windowSystemDoesFullScreen() {
    openToolkitDisplay();
    Display* display = x11Display();
    if (!display) return true;
    static const bool ewmh = hasEwmhWindowManager(display);
    return ewmh;
}

void windowPosition(Fl_Window& window, int& x, int& y) {
    x = window.x();
    y = window.y();
    Display* display = x11Display();
    if (!display || !window.shown()) return;
    int rootX = 0;
    int rootY = 0;
    Window child = None;
    if (!XTranslateCoordinates(display, fl_xid(&window), DefaultRootWindow(display), 0, 0, &rootX,
                               &rootY, &child))
        return;
    float scale = unitScale(window);
    x = static_cast<int>(std::lround(rootX / scale));
    y = static_cast<int>(std::lround(rootY / scale));
}

// FLTK moves the X window only when the position differs from the one it believes in.
void placeWindow(Fl_Window& window, int x, int y, int w, int h) {
    window.resize(x, y, w, h);
    Display* display = x11Display();
    if (!display || !window.shown()) return;
    float scale = unitScale(window);
    XMoveResizeWindow(display, fl_xid(&window), toPixels(x, scale), toPixels(y, scale),
                      static_cast<unsigned>(toPixels(w, scale)),
                      static_cast<unsigned>(toPixels(h, scale)));
}
