#include "platform/fltk/fltk_chooser_owner.h"

#include <FL/Fl.H>
#include <FL/platform.H>

#if FL_API_VERSION >= 10400 && defined(FLTK_USE_X11)

#include <X11/Xatom.h>

#include <cstring>
#include <unistd.h>

namespace {
// FLTK runs its timeouts while GTK's dialog is up, so the dialog is looked for this often.
constexpr double lookInterval = 0.05;
constexpr const char* chooserRole = "GtkFileChooserDialog";

bool hasRole(Display* display, Window window, const char* role) {
    XTextProperty text{};
    if (!XGetTextProperty(display, window, &text, XInternAtom(display, "WM_WINDOW_ROLE", False)))
        return false;
    bool same = text.value && text.format == 8 && text.nitems == std::strlen(role) &&
                std::memcmp(text.value, role, text.nitems) == 0;
    XFree(text.value);
    return same;
}

bool isThisProcess(Display* display, Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Atom pid = XInternAtom(display, "_NET_WM_PID", False);
    if (XGetWindowProperty(display, window, pid, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) != Success)
        return false;
    bool ours = data && format == 32 && count == 1 &&
                *reinterpret_cast<unsigned long*>(data) == static_cast<unsigned long>(getpid());
    XFree(data);
    return ours;
}

// GTK keeps a closed chooser's window, unmapped, until the next one is made.
bool isShown(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable;
}

// The shown chooser among the root's children, or their children where a window manager frames
// top-level windows.
Window findChooser(Display* display, Window parent, int depth) {
    Window root = None, above = None, found = None;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &above, &children, &count)) return None;
    for (unsigned i = 0; i < count && found == None; ++i) {
        if (hasRole(display, children[i], chooserRole) && isThisProcess(display, children[i]) &&
            isShown(display, children[i]))
            found = children[i];
        else if (depth > 1)
            found = findChooser(display, children[i], depth - 1);
    }
    if (children) XFree(children);
    return found;
}
} // namespace

ChooserOwner::ChooserOwner(Fl_Window* window) : owner(window) {
    if (!window || !fl_x11_display() || !fl_x11_xid(window)) return;
    looking = true;
    Fl::add_timeout(lookInterval, look, this);
}

ChooserOwner::~ChooserOwner() {
    if (looking) Fl::remove_timeout(look, this);
}

void ChooserOwner::look(void* data) {
    auto* self = static_cast<ChooserOwner*>(data);
    Display* display = fl_x11_display();
    Window chooser = findChooser(display, DefaultRootWindow(display), 2);
    if (chooser == None) {
        Fl::repeat_timeout(lookInterval, look, self);
        return;
    }
    XSetTransientForHint(display, chooser, fl_x11_xid(self->owner));
    XFlush(display);
    self->looking = false;
}

#else

ChooserOwner::ChooserOwner(Fl_Window* window) : owner(window) {}

ChooserOwner::~ChooserOwner() = default;

void ChooserOwner::look(void*) {}

#endif
