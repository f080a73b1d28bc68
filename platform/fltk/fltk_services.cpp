#include "platform/fltk/fltk_services.h"

#include "platform/fltk/fltk_chooser_owner.h"
#include "platform/fltk/fltk_dialog.h"
#include "platform/fltk/fltk_gl_context.h"
#include "platform/fltk/fltk_main_window.h"
#include "platform/fltk/fltk_message_box.h"
#include "platform/window_messages.h"
#include "platform/xdg_user_dirs.h"

#include <FL/Fl.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_PNG_Image.H>
#include <GL/gl.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
// The window keeps copies of the pictures; an image that does not decode is left out.
void setWindowIcon(Fl_Window& window, const WindowIcon& icon) {
    std::vector<std::unique_ptr<Fl_PNG_Image>> decoded;
    std::vector<const Fl_RGB_Image*> images;
    for (int i = 0; i < icon.imageCount; ++i) {
        const WindowIconImage& image = icon.images[i];
        decoded.push_back(
            std::make_unique<Fl_PNG_Image>(nullptr, image.png, static_cast<int>(image.size)));
        if (decoded.back()->w() > 0 && decoded.back()->d() > 0)
            images.push_back(decoded.back().get());
    }
    if (!images.empty()) window.icons(images.data(), static_cast<int>(images.size()));
}
} // namespace

// Fl_Native_File_Chooser shows the desktop's GTK dialog when GTK loads at run time, and
// FLTK's own chooser without it (or when the user's FLTK options ask for that one).
FltkServices::FltkServices() = default;

FltkServices::~FltkServices() = default;

bool FltkServices::isOurs(WindowHandle handle) const {
    return handle != nullptr && handle == static_cast<WindowHandle>(window);
}

bool FltkServices::registerWindowClass(const WindowClass& newClass) {
    if (classRegistered || !newClass.name || !newClass.procedure) return false;
    className = newClass.name;
    windowClass = newClass;
    windowClass.name = className.c_str();
    classRegistered = true;
    return true;
}

WindowHandle FltkServices::createWindow(const char* name, const char* title, int clientWidth,
                                        int clientHeight) {
    if (!classRegistered || className != name || window) return nullptr;
    // X needs a display before any window; without one there is no window to make.
    openToolkitDisplay();
    window = new FltkMainWindow(windowClass.procedure, windowClass.menu, title, clientWidth,
                                clientHeight);
    if (windowClass.icon) setWindowIcon(*window, *windowClass.icon);
    return window;
}

DeviceContextHandle FltkServices::getDeviceContext(WindowHandle handle) {
    return isOurs(handle) ? &window->clientArea() : nullptr;
}

int FltkServices::choosePixelFormat(DeviceContextHandle dc, const PixelFormatRequest& request) {
    if (!window || dc != &window->clientArea() || !request.rgba) return 0;
    int mode = FL_RGB | (request.doubleBuffer ? FL_DOUBLE : 0) | (request.depthBits ? FL_DEPTH : 0);
    return Fl_Gl_Window::can_do(mode) ? mode : 0;
}

// FLTK's mode() answers whether the mode changed, not whether it holds: ask afterwards.
bool FltkServices::setPixelFormat(DeviceContextHandle dc, int format) {
    if (!window || dc != &window->clientArea()) return false;
    FltkClientArea& area = window->clientArea();
    area.mode(format);
    return area.mode() == format && area.can_do();
}

// FLTK makes the GL context when the window first exists on the display, so the window is
// realised here; showWindow then raises and focuses it.
GLContextHandle FltkServices::createGLContext(DeviceContextHandle dc) {
    if (!window || dc != &window->clientArea()) return nullptr;
    window->show();
    window->clientArea().show();
    window->clientArea().make_current();
    return window->clientArea().context();
}

bool FltkServices::makeCurrent(DeviceContextHandle dc, GLContextHandle context) {
    if (!window || dc != &window->clientArea() || !context) return false;
    window->clientArea().make_current();
    return isCurrentGLContext(static_cast<GLContext>(context));
}

void FltkServices::showWindow(WindowHandle handle) {
    if (!isOurs(handle)) return;
    window->show();
    window->clientArea().take_focus();
    // Showing a window reports its client size, as Windows does.
    window->clientArea().sendSize();
}

float FltkServices::windowScale(WindowHandle handle) {
    return isOurs(handle) ? window->clientArea().pixels_per_unit() : 1.0f;
}

bool FltkServices::releaseCurrentContext() {
    return releaseCurrentGLContext();
}

bool FltkServices::deleteGLContext(GLContextHandle context) {
    if (!window || !context || window->clientArea().context() != context) return false;
    // Hiding the GL window is how FLTK destroys the context it made.
    window->clientArea().hide();
    return true;
}

bool FltkServices::releaseDeviceContext(WindowHandle handle, DeviceContextHandle dc) {
    return isOurs(handle) && dc == &window->clientArea();
}

bool FltkServices::destroyWindow(WindowHandle handle) {
    if (!isOurs(handle)) return false;
    window->closeWindow();
    // The window may be the one whose callback is running: FLTK deletes it later.
    Fl::delete_widget(window);
    window = nullptr;
    return true;
}

bool FltkServices::unregisterWindowClass(const char* name) {
    if (!classRegistered || className != name) return false;
    classRegistered = false;
    return true;
}

// FLTK hands its events to the window procedure while it waits; only the quit message is
// returned from here.
bool FltkServices::getMessage(Message&) {
    while (!quitPosted) {
        if (!Fl::first_window()) return false;
        Fl::wait();
    }
    return false;
}

void FltkServices::dispatchMessage(const Message& message) {
    sendMessage(message.window, message.id, message.wParam, message.lParam);
}

void FltkServices::postQuitMessage(int) {
    quitPosted = true;
}

std::intptr_t FltkServices::sendMessage(WindowHandle handle, unsigned message,
                                        std::uintptr_t wParam, std::intptr_t lParam) {
    if (handle && handle == static_cast<DialogHandle>(activeDialog))
        return activeDialog->send(message, wParam, lParam);
    return isOurs(handle) ? window->send(message, wParam, lParam) : 0;
}

// Until the program draws, the client area shows black.
std::intptr_t FltkServices::defaultWindowProc(WindowHandle handle, unsigned message, std::uintptr_t,
                                              std::intptr_t) {
    if (message == WM_PAINT && isOurs(handle) && window->clientArea().context()) {
        glClear(GL_COLOR_BUFFER_BIT);
        window->clientArea().swap_buffers();
    }
    return 0;
}

bool FltkServices::validateRect(WindowHandle handle) {
    return isOurs(handle);
}

bool FltkServices::swapBuffers(DeviceContextHandle dc) {
    if (!window || dc != &window->clientArea()) return false;
    window->clientArea().swap_buffers();
    return true;
}

int FltkServices::messageBox(WindowHandle owner, const char* text, const char* caption,
                             unsigned flags) {
    openToolkitDisplay();
    Fl_Window* ownerWindow = isOurs(owner) ? window : nullptr;
    return showMessageBox(ownerWindow, text, caption, flags);
}

namespace {
// GTK 2's chooser, given no folder, shows its recent files, where a path typed into the
// location entry loses its first folder; FLTK's own starts in the current directory anyway.
void startInCurrentDirectory(Fl_Native_File_Chooser& chooser) {
    char directory[4096];
    if (getcwd(directory, sizeof directory)) chooser.directory(directory);
}
} // namespace

bool FltkServices::browseForFolder(const char* title, char* path, std::size_t pathSize) {
    path[0] = '\0';
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_DIRECTORY);
    ChooserOwner chooserOwner(window);
    chooser.title(title);
    startInCurrentDirectory(chooser);
    if (chooser.show() != 0 || !chooser.filename()) return false;
    const char* chosen = chooser.filename();
    if (std::strlen(chosen) >= pathSize) return false;
    std::strcpy(path, chosen);
    return true;
}

namespace {
bool isExistingFile(const char* path) {
    struct stat status = {};
    return stat(path, &status) == 0 && S_ISREG(status.st_mode);
}
} // namespace

// The chooser asks again while the name typed in names no existing file.
bool FltkServices::openFileDialog(WindowHandle owner, const char* filterLabel,
                                  const char* filterPattern, char* path, std::size_t pathSize) {
    path[0] = '\0';
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    std::string filter = std::string(filterLabel) + "\t" + filterPattern;
    chooser.filter(filter.c_str());
    startInCurrentDirectory(chooser);
    for (;;) {
        ChooserOwner chooserOwner(isOurs(owner) ? window : nullptr);
        if (chooser.show() != 0 || !chooser.filename()) return false;
        const char* chosen = chooser.filename();
        if (!isExistingFile(chosen)) continue;
        if (std::strlen(chosen) >= pathSize) return false;
        std::strcpy(path, chosen);
        return true;
    }
}

std::intptr_t FltkServices::dialogBox(const DialogTemplate& dialogTemplate, WindowHandle owner,
                                      DialogProcedure procedure, std::intptr_t parameter) {
    if (activeDialog) return -1;
    FltkDialog dialog(dialogTemplate, procedure);
    activeDialog = &dialog;
    std::intptr_t result = dialog.run(isOurs(owner) ? window : nullptr, parameter);
    activeDialog = nullptr;
    return result;
}

std::intptr_t FltkServices::sendDialogItemMessage(DialogHandle dialog, unsigned controlId,
                                                  unsigned message, std::uintptr_t wParam,
                                                  std::intptr_t lParam) {
    if (!dialog || dialog != static_cast<DialogHandle>(activeDialog)) return 0;
    return activeDialog->sendToControl(controlId, message, wParam, lParam);
}

bool FltkServices::endDialog(DialogHandle dialog, std::intptr_t result) {
    if (!dialog || dialog != static_cast<DialogHandle>(activeDialog)) return false;
    activeDialog->finish(result);
    return true;
}

void FltkServices::exitProcess(int status) {
    std::exit(status);
}

bool FltkServices::trackMouseLeave(WindowHandle handle) {
    if (!isOurs(handle)) return false;
    window->clientArea().trackLeave();
    return true;
}

bool FltkServices::currentDirectory(char* buffer, std::size_t size) {
    return getcwd(buffer, size) != nullptr;
}

unsigned FltkServices::dragQueryFile(DropHandle drop, unsigned index, char* path,
                                     std::size_t pathSize) {
    const std::vector<std::string>* files = window ? window->droppedFiles(drop) : nullptr;
    if (!files) return 0;
    if (index == allDroppedFiles) return static_cast<unsigned>(files->size());
    if (index >= files->size() || (*files)[index].size() >= pathSize) return 0;
    const std::string& file = (*files)[index];
    std::memcpy(path, file.c_str(), file.size() + 1);
    return static_cast<unsigned>(file.size());
}

void FltkServices::dragFinish(DropHandle drop) {
    if (window) window->finishDrop(drop);
}

bool FltkServices::setTimer(WindowHandle handle, unsigned id, unsigned milliseconds) {
    return isOurs(handle) && window->setTimer(id, milliseconds);
}

bool FltkServices::killTimer(WindowHandle handle, unsigned id) {
    return isOurs(handle) && window->killTimer(id);
}

bool FltkServices::setFullScreen(WindowHandle handle, bool fullScreen) {
    return isOurs(handle) && window->setFullScreen(fullScreen);
}

bool FltkServices::picturesDirectory(char* buffer, std::size_t size) {
    std::string folder;
    if (!picturesFolder(folder) || folder.size() >= size) return false;
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return true;
}

bool FltkServices::watchFiles(WindowHandle handle, const std::vector<std::string>& paths) {
    return isOurs(handle) && window->watchFiles(paths);
}
