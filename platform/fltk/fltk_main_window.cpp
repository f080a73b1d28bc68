#include "platform/fltk/fltk_main_window.h"

#include "platform/fltk/fltk_full_screen.h"
#include "platform/fltk/fltk_keys.h"
#include "platform/uri_list.h"
#include "platform/window_messages.h"

#include <FL/Fl.H>

#include <algorithm>
#include <string>

namespace {
constexpr int menuBarHeight = 25;
constexpr int rightButton = 3;
// Windows runs a timer every 10 ms at most; a wait of 0 would keep the event loop spinning.
constexpr unsigned shortestTimerMilliseconds = 10;
} // namespace

FltkClientArea::FltkClientArea(FltkMainWindow& window, int x, int y, int width, int height)
    : Fl_Gl_Window(x, y, width, height), owner(window) {}

void FltkClientArea::flush() {
    make_current();
    owner.send(WM_PAINT, 0, 0);
}

// A change of screen scale resizes in pixels while the size in FLTK's units stays.
void FltkClientArea::resize(int x, int y, int width, int height) {
    Fl_Gl_Window::resize(x, y, width, height);
    if (shown() && !sizeHeld && (pixel_w() != sentWidth || pixel_h() != sentHeight)) sendSize();
}

void FltkClientArea::holdSize(bool hold) {
    sizeHeld = hold;
    if (!hold && shown() && (pixel_w() != sentWidth || pixel_h() != sentHeight)) sendSize();
}

void FltkClientArea::sendSize() {
    sentWidth = pixel_w();
    sentHeight = pixel_h();
    owner.send(WM_SIZE, 0, makeLParam(sentWidth, sentHeight));
}

// In pixels, so a drag turns the model by the same angle per screen distance at any scale.
std::intptr_t FltkClientArea::pointerLParam() {
    float scale = pixels_per_unit();
    auto x = static_cast<int>(Fl::event_x() * scale);
    auto y = static_cast<int>(Fl::event_y() * scale);
    return makeLParam(static_cast<unsigned>(x), static_cast<unsigned>(y));
}

bool FltkClientArea::pointerInside() const {
    int x = Fl::event_x();
    int y = Fl::event_y();
    return x >= 0 && y >= 0 && x < w() && y < h();
}

// X keeps sending motion while a button is held, so leaving is noticed here as well.
void FltkClientArea::sendLeaveOnce() {
    if (!leaveTracked) return;
    leaveTracked = false;
    owner.send(WM_MOUSELEAVE, 0, 0);
}

int FltkClientArea::handlePointer(int event) {
    std::intptr_t position = pointerLParam();
    switch (event) {
    case FL_PUSH:
        if (Fl::event_button() == rightButton) owner.send(WM_RBUTTONDOWN, 0, position);
        return 1;
    case FL_RELEASE:
        if (Fl::event_button() == rightButton) owner.send(WM_RBUTTONUP, 0, position);
        return 1;
    case FL_DRAG:
        if (!pointerInside()) {
            sendLeaveOnce();
            return 1;
        }
        [[fallthrough]];
    case FL_MOVE:
        owner.send(WM_MOUSEMOVE, 0, position);
        return 1;
    default:
        return 0;
    }
}

// Drops are taken while no modal dialog or box is up, as a disabled window takes none.
int FltkClientArea::handleDrop(int event) {
    if (event == FL_PASTE) {
        owner.receiveDrop(Fl::event_text(), Fl::event_length());
        return 1;
    }
    return Fl::modal() ? 0 : 1;
}

int FltkClientArea::handle(int event) {
    switch (event) {
    case FL_DND_ENTER:
    case FL_DND_DRAG:
    case FL_DND_RELEASE:
    case FL_PASTE:
        return handleDrop(event);
    case FL_DND_LEAVE:
        return 1;
    case FL_ENTER:
        return 1;
    // Holding the keyboard focus: FLTK 1.4 rescales with Ctrl+plus and Ctrl+minus the screen
    // of the focused widget, and a window with no focused widget is not rescaled.
    case FL_FOCUS:
    case FL_UNFOCUS:
        return 1;
    case FL_LEAVE:
        sendLeaveOnce();
        return 1;
    case FL_MOUSEWHEEL: {
        // One notch away from the user is +120, as the wheel message counts it.
        int delta = -Fl::event_dy() * WHEEL_DELTA;
        owner.send(WM_MOUSEWHEEL, makeLParam(0, static_cast<unsigned>(delta)), 0);
        return 1;
    }
    case FL_PUSH:
    case FL_RELEASE:
    case FL_DRAG:
    case FL_MOVE:
        return handlePointer(event);
    default:
        return Fl_Gl_Window::handle(event);
    }
}

FltkMainWindow::FltkMainWindow(WindowProcedure windowProcedure, const MenuTemplate* menu,
                               const char* title, int clientWidth, int clientHeight)
    : Fl_Window(clientWidth, clientHeight, title), procedure(windowProcedure) {
    // The client area keeps the requested width and gives the menu bar its height.
    int menuHeight = menu ? menuBarHeight : 0;
    if (menu) {
        menuBar = new Fl_Menu_Bar(0, 0, clientWidth, menuHeight);
        // Keys are the client area's: FLTK 1.4's menu bar would take the focus on Tab.
        menuBar->clear_visible_focus();
        buildMenu(*menu);
    }
    area = new FltkClientArea(*this, 0, menuHeight, clientWidth, clientHeight - menuHeight);
    resizable(area);
    end();
    callback(onCloseRequest);
}

std::intptr_t FltkMainWindow::send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return procedure(this, message, wParam, lParam);
}

void FltkMainWindow::buildMenu(const MenuTemplate& menu) {
    for (int k = 0; k < menu.itemCount; ++k) {
        const MenuTemplateItem& item = menu.items[k];
        // FLTK reads '/' as a submenu separator and '&' as a shortcut mark in menu paths.
        std::string path = std::string(item.popup) + "/" + item.text;
        auto commandId = static_cast<std::uintptr_t>(item.commandId);
        menuBar->add(path.c_str(), 0, onMenuItem, reinterpret_cast<void*>(commandId));
    }
}

void FltkMainWindow::onMenuItem(Fl_Widget* widget, void* commandId) {
    auto* window = static_cast<FltkMainWindow*>(widget->window());
    window->send(WM_COMMAND, reinterpret_cast<std::uintptr_t>(commandId), 0);
}

// The close box asks for WM_CLOSE; Escape, which FLTK also routes here, does nothing.
void FltkMainWindow::onCloseRequest(Fl_Widget* widget, void*) {
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    static_cast<FltkMainWindow*>(widget)->send(WM_CLOSE, 0, 0);
}

// Keys come as FLTK routes them: to the focus (the client area, or the window itself after a
// dialog) and up to this window, or as a shortcut when nothing here has the focus. They are
// taken before the window's own handling, which would move the focus with the arrow keys.
// While a modal dialog or box is up, the keys are its own.
bool FltkMainWindow::deliverKey() {
    if (closing || (Fl::modal() && Fl::modal() != this)) return false;
    WindowKey key{};
    if (!windowKeyFor(Fl::event_key(), Fl::event_state(), key)) return false;
    // A repeat count of one: FLTK reports each repeat of a held key as a press of its own.
    send(key.message, key.virtualKey, 1);
    return true;
}

// Minimising and restoring report sizes as Windows does: 0 × 0 while minimised.
int FltkMainWindow::handle(int event) {
    if ((event == FL_KEYBOARD || event == FL_SHORTCUT) && deliverKey()) return 1;
    int handled = Fl_Window::handle(event);
    if (closing) return handled;
    if (event == FL_HIDE && shown() && !minimised) {
        minimised = true;
        send(WM_SIZE, 0, makeLParam(0, 0));
    } else if (event == FL_SHOW && minimised) {
        minimised = false;
        area->sendSize();
    }
    return handled;
}

void FltkMainWindow::closeWindow() {
    closing = true;
    stopTimersAndWatch();
    hide();
}

FltkMainWindow::~FltkMainWindow() {
    stopTimersAndWatch();
    for (const auto& drop : drops)
        Fl::remove_timeout(deliverDrop, drop.get());
}

void FltkMainWindow::stopTimersAndWatch() {
    for (const auto& timer : timers)
        Fl::remove_timeout(onTimer, timer.get());
    timers.clear();
    if (fileWatch.fd() >= 0) Fl::remove_fd(fileWatch.fd());
    fileWatch.stop();
}

bool FltkMainWindow::setTimer(unsigned id, unsigned milliseconds) {
    if (closing) return false;
    auto found =
        std::find_if(timers.begin(), timers.end(),
                     [id](const std::unique_ptr<Timer>& timer) { return timer->id == id; });
    Timer* timer = nullptr;
    if (found == timers.end()) {
        timers.push_back(std::make_unique<Timer>(Timer{this, id, 0.0}));
        timer = timers.back().get();
    } else {
        timer = found->get();
        Fl::remove_timeout(onTimer, timer);
    }
    timer->seconds = std::max(milliseconds, shortestTimerMilliseconds) / 1000.0;
    Fl::add_timeout(timer->seconds, onTimer, timer);
    return true;
}

bool FltkMainWindow::killTimer(unsigned id) {
    auto found =
        std::find_if(timers.begin(), timers.end(),
                     [id](const std::unique_ptr<Timer>& timer) { return timer->id == id; });
    if (found == timers.end()) return false;
    Fl::remove_timeout(onTimer, found->get());
    timers.erase(found);
    return true;
}

// Set going again before the window procedure runs, which may kill or reset the timer.
void FltkMainWindow::onTimer(void* data) {
    auto* timer = static_cast<Timer*>(data);
    Fl::repeat_timeout(timer->seconds, onTimer, timer);
    timer->window->send(WM_TIMER, timer->id, 0);
}

// The menu bar above the client area, or the client area alone over the whole window; the
// window's later resizing keeps that layout. The hidden menu bar grows with the client area
// over it, so it gets its own height back.
void FltkMainWindow::placeChildren() {
    int top = 0;
    if (menuBar) {
        menuBar->resize(0, 0, w(), menuBarHeight);
        if (fullScreen) {
            menuBar->hide();
        } else {
            menuBar->show();
            top = menuBarHeight;
        }
    }
    area->resize(0, top, w(), h() - top);
    init_sizes();
}

// The layout changes first and the window follows, at once when laid over the screen by hand,
// later when the window manager or compositor does it: each reports its own size.
bool FltkMainWindow::setFullScreen(bool on) {
    if (closing || !shown()) return false;
    if (on == fullScreen) {
        area->sendSize();
        return true;
    }
    bool byWindowSystem = windowSystemDoesFullScreen();
    if (on && !byWindowSystem) {
        windowedBounds = {x(), y(), w(), h()};
        windowPosition(*this, windowedBounds.x, windowedBounds.y);
    }
    fullScreen = on;
    area->holdSize(true);
    placeChildren();
    if (byWindowSystem) {
        if (on)
            fullscreen();
        else
            fullscreen_off();
    } else if (on) {
        int screenX = 0;
        int screenY = 0;
        int screenW = 0;
        int screenH = 0;
        Fl::screen_xywh(screenX, screenY, screenW, screenH, x() + w() / 2, y() + h() / 2);
        placeWindow(*this, screenX, screenY, screenW, screenH);
        // Above any other window, as no window manager raises it.
        show();
    } else {
        placeWindow(*this, windowedBounds.x, windowedBounds.y, windowedBounds.w, windowedBounds.h);
    }
    area->holdSize(false);
    return true;
}

bool FltkMainWindow::watchFiles(const std::vector<std::string>& paths) {
    if (fileWatch.fd() >= 0) Fl::remove_fd(fileWatch.fd());
    if (closing || !fileWatch.watch(paths)) {
        fileWatch.stop();
        return false;
    }
    Fl::add_fd(fileWatch.fd(), FL_READ, onFilesChanged, this);
    return true;
}

// Called from the event loop, in the thread that runs the window, like every other message.
void FltkMainWindow::onFilesChanged(int, void* data) {
    auto* window = static_cast<FltkMainWindow*>(data);
    if (window->fileWatch.readChanges()) window->send(WM_FILE_CHANGED, 0, 0);
}

void FltkMainWindow::receiveDrop(const char* text, int length) {
    if (!text || length <= 0 || closing) return;
    auto drop =
        std::make_unique<Drop>(Drop{this, localFilesFromUriList({text, std::size_t(length)})});
    if (drop->files.empty()) return;
    // Delivered from the event loop, after the drag source has been told the drop is done:
    // opening the file may wait on modal boxes.
    Fl::add_timeout(0.0, deliverDrop, drop.get());
    drops.push_back(std::move(drop));
}

void FltkMainWindow::deliverDrop(void* data) {
    auto* drop = static_cast<Drop*>(data);
    FltkMainWindow* window = drop->window;
    if (Fl::modal() || window->closing) {
        window->finishDrop(drop);
        return;
    }
    window->send(WM_DROPFILES, reinterpret_cast<std::uintptr_t>(drop), 0);
}

const std::vector<std::string>* FltkMainWindow::droppedFiles(DropHandle handle) const {
    for (const auto& drop : drops)
        if (drop.get() == handle) return &drop->files;
    return nullptr;
}

void FltkMainWindow::finishDrop(DropHandle handle) {
    std::erase_if(drops,
                  [handle](const std::unique_ptr<Drop>& drop) { return drop.get() == handle; });
}
