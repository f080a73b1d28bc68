#include "platform/fltk/fltk_main_window.h"

#include "platform/uri_list.h"
#include "platform/window_messages.h"

#include <FL/Fl.H>

#include <algorithm>
#include <string>

namespace {
constexpr int menuBarHeight = 25;
constexpr int rightButton = 3;
} // namespace

FltkClientArea::FltkClientArea(FltkMainWindow& owner, int x, int y, int width, int height)
    : Fl_Gl_Window(x, y, width, height), owner(owner) {}

void FltkClientArea::flush() {
    make_current();
    owner.send(WM_PAINT, 0, 0);
}

// A change of screen scale resizes in pixels while the size in FLTK's units stays.
void FltkClientArea::resize(int x, int y, int width, int height) {
    Fl_Gl_Window::resize(x, y, width, height);
    if (shown() && (pixel_w() != sentWidth || pixel_h() != sentHeight)) sendSize();
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

FltkMainWindow::FltkMainWindow(WindowProcedure procedure, const MenuTemplate* menu,
                               const char* title, int clientWidth, int clientHeight)
    : Fl_Window(clientWidth, clientHeight, title), procedure(procedure) {
    // The client area keeps the requested width and gives the menu bar its height.
    int menuHeight = menu ? menuBarHeight : 0;
    if (menu) {
        menuBar = new Fl_Menu_Bar(0, 0, clientWidth, menuHeight);
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
    for (int i = 0; i < menu.itemCount; ++i) {
        const MenuTemplateItem& item = menu.items[i];
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

// Minimising and restoring report sizes as Windows does: 0 × 0 while minimised.
int FltkMainWindow::handle(int event) {
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
    hide();
}

FltkMainWindow::~FltkMainWindow() {
    for (const auto& drop : drops)
        Fl::remove_timeout(deliverDrop, drop.get());
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
