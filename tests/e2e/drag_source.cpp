// korvalin-drag-source: plays a file manager dropping files on a window, over XDND.
//
//     korvalin-drag-source WINDOW X Y URI...
//
// Offers the URIs as text/uri-list to WINDOW (an X window id) at root position X,Y, drops them
// there and serves the selection. Exit 0 when the target accepted and finished the drop,
// 1 when it refused it, 2 on bad usage, 3 when it did not answer within 10 s.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/select.h>

namespace {

constexpr long xdndVersion = 5;
constexpr int answerSeconds = 10;

struct Atoms {
    Atom aware, enter, position, status, drop, finished, selection, actionCopy, uriList;
};

Atoms internAtoms(Display* display) {
    auto atom = [display](const char* name) { return XInternAtom(display, name, False); };
    return {atom("XdndAware"),     atom("XdndEnter"),      atom("XdndPosition"),
            atom("XdndStatus"),    atom("XdndDrop"),       atom("XdndFinished"),
            atom("XdndSelection"), atom("XdndActionCopy"), atom("text/uri-list")};
}

void sendClientMessage(Display* display, Window target, Atom type, const long (&data)[5]) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.display = display;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    for (int i = 0; i < 5; ++i)
        event.xclient.data.l[i] = data[i];
    XSendEvent(display, target, False, NoEventMask, &event);
    XFlush(display);
}

// The next event, or false once the deadline has passed without one.
bool nextEvent(Display* display, XEvent& event) {
    while (!XPending(display)) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(ConnectionNumber(display), &readable);
        timeval wait{answerSeconds, 0};
        if (select(ConnectionNumber(display) + 1, &readable, nullptr, nullptr, &wait) <= 0)
            return false;
    }
    XNextEvent(display, &event);
    return true;
}

void serveSelection(Display* display, const Atoms& atoms, const XSelectionRequestEvent& request,
                    const std::string& uriList) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = display;
    reply.xselection.requestor = request.requestor;
    reply.xselection.selection = request.selection;
    reply.xselection.target = request.target;
    reply.xselection.time = request.time;
    reply.xselection.property = None;
    if (request.target == atoms.uriList || request.target == XA_STRING) {
        Atom property = request.property != None ? request.property : request.target;
        XChangeProperty(display, request.requestor, property, request.target, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(uriList.data()),
                        static_cast<int>(uriList.size()));
        reply.xselection.property = property;
    }
    XSendEvent(display, request.requestor, False, NoEventMask, &reply);
    XFlush(display);
}

int usage() {
    std::fputs("usage: korvalin-drag-source WINDOW X Y URI...\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5) return usage();
    Window target = std::strtoul(argv[1], nullptr, 0);
    long x = std::strtol(argv[2], nullptr, 10);
    long y = std::strtol(argv[3], nullptr, 10);
    std::string uriList;
    for (int i = 4; i < argc; ++i)
        uriList += std::string(argv[i]) + "\r\n";

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("korvalin-drag-source: no X display\n", stderr);
        return 3;
    }
    Atoms atoms = internAtoms(display);
    Window source = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, atoms.selection, source, CurrentTime);

    long source32 = static_cast<long>(source);
    sendClientMessage(display, target, atoms.enter,
                      {source32, xdndVersion << 24, static_cast<long>(atoms.uriList), 0, 0});
    sendClientMessage(
        display, target, atoms.position,
        {source32, 0, (x << 16) | (y & 0xFFFF), CurrentTime, static_cast<long>(atoms.actionCopy)});

    bool dropped = false;
    XEvent event;
    while (nextEvent(display, event)) {
        if (event.type == SelectionRequest) {
            serveSelection(display, atoms, event.xselectionrequest, uriList);
        } else if (event.type == ClientMessage && event.xclient.message_type == atoms.status &&
                   !dropped) {
            if (!(event.xclient.data.l[1] & 1)) {
                std::fputs("korvalin-drag-source: the window refused the drop\n", stderr);
                sendClientMessage(display, target, XInternAtom(display, "XdndLeave", False),
                                  {source32, 0, 0, 0, 0});
                XCloseDisplay(display);
                return 1;
            }
            dropped = true;
            sendClientMessage(display, target, atoms.drop, {source32, 0, CurrentTime, 0, 0});
        } else if (event.type == ClientMessage && event.xclient.message_type == atoms.finished) {
            XCloseDisplay(display);
            return 0;
        }
    }
    std::fputs("korvalin-drag-source: no answer from the window within 10 s\n", stderr);
    XCloseDisplay(display);
    return 3;
}
