// The FLTK backend's services for the viewer's keys on a real window of a private Xvfb, which
// runs no window manager: key presses made by the X server's XTest extension, timers, the file
// watch and full screen, each seen as the messages the window procedure gets.
#include "platform/fltk/fltk_main_window.h"
#include "platform/fltk/fltk_services.h"
#include "platform/virtual_keys.h"
#include "platform/window_messages.h"
#include "tests/fltk/private_xvfb.h"
#include "tests/support/temp_folder.h"

#include <FL/Fl.H>
#include <FL/platform.H>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <dlfcn.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

::testing::Environment* const xvfb = ::testing::AddGlobalTestEnvironment(new PrivateXvfb);

constexpr int clientWidth = 640;
constexpr int clientHeight = 480;
constexpr int menuBarHeight = 25;
const char* const className = "KorvalinKeysTest";

const MenuTemplateItem menuItems[] = {{"File", "Open...", 40001}};
const MenuTemplate menu{100, menuItems, 1};

// What the window procedure got, paints left out, and whether all of it came on this thread.
std::vector<Message> received;
bool onTestThread = true;
const std::thread::id testThread = std::this_thread::get_id();
FltkServices* backend = nullptr;

std::intptr_t recordMessage(WindowHandle window, unsigned id, std::uintptr_t wParam,
                            std::intptr_t lParam) {
    onTestThread = onTestThread && std::this_thread::get_id() == testThread;
    if (id != WM_PAINT) received.push_back({window, id, wParam, lParam});
    return backend->defaultWindowProc(window, id, wParam, lParam);
}

std::size_t countOf(unsigned id, std::uintptr_t wParam) {
    return static_cast<std::size_t>(
        std::count_if(received.begin(), received.end(), [&](const Message& message) {
            return message.id == id && message.wParam == wParam;
        }));
}

// The key messages received, in order: message and virtual-key code.
std::vector<std::pair<unsigned, std::uintptr_t>> keysReceived() {
    std::vector<std::pair<unsigned, std::uintptr_t>> keys;
    for (const Message& message : received)
        if (message.id == WM_KEYDOWN || message.id == WM_SYSKEYDOWN)
            keys.emplace_back(message.id, message.wParam);
    return keys;
}

// The client size of the last WM_SIZE, or -1 × -1.
std::pair<int, int> lastSize() {
    for (auto message = received.rbegin(); message != received.rend(); ++message)
        if (message->id == WM_SIZE)
            return {signedLowWord(static_cast<std::uintptr_t>(message->lParam)),
                    signedHighWord(static_cast<std::uintptr_t>(message->lParam))};
    return {-1, -1};
}

// Runs the event loop until the condition holds; false after 10 s, for a test that would hang.
bool waitFor(const std::function<bool()>& condition) {
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > giveUp) return false;
        Fl::wait(0.05);
    }
    return true;
}

void setFlag(void* flag) {
    *static_cast<bool*>(flag) = true;
}

// Runs the event loop until FLTK's own timeout, set after everything the test waits on, ran.
void runEventsFor(double seconds) {
    bool done = false;
    Fl::add_timeout(seconds, setFlag, &done);
    waitFor([&] { return done; });
    Fl::remove_timeout(setFlag, &done);
}

int inotifyDescriptors() {
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code ignored;
        if (fs::read_symlink(entry.path(), ignored).string() == "anon_inode:inotify") ++count;
    }
    return count;
}

// XTest from the library xdotool uses, loaded at run time: its headers need not be installed.
using FakeKeyEvent = int (*)(Display*, unsigned, int, unsigned long);
using FakeButtonEvent = int (*)(Display*, unsigned, int, unsigned long);
using FakeMotionEvent = int (*)(Display*, int, int, int, unsigned long);

template <typename Function> Function xtest(const char* name) {
    static void* library = dlopen("libXtst.so.6", RTLD_NOW);
    return library ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
}

// Presses the keys of a chord in order and lets go of them the other way round, as a user does.
void pressChord(std::initializer_list<KeySym> chord) {
    auto fake = xtest<FakeKeyEvent>("XTestFakeKeyEvent");
    ASSERT_NE(fake, nullptr) << "no XTest library (libXtst.so.6, which xdotool uses)";
    std::vector<unsigned> codes;
    for (KeySym symbol : chord) {
        codes.push_back(XKeysymToKeycode(fl_display, symbol));
        ASSERT_NE(codes.back(), 0u) << "no key for " << XKeysymToString(symbol);
    }
    for (unsigned code : codes)
        fake(fl_display, code, True, 0);
    for (auto code = codes.rbegin(); code != codes.rend(); ++code)
        fake(fl_display, *code, False, 0);
    XFlush(fl_display);
}

// A click of the left button at a point of the screen.
void click(int x, int y) {
    auto move = xtest<FakeMotionEvent>("XTestFakeMotionEvent");
    auto button = xtest<FakeButtonEvent>("XTestFakeButtonEvent");
    ASSERT_TRUE(move && button) << "no XTest library (libXtst.so.6, which xdotool uses)";
    move(fl_display, DefaultScreen(fl_display), x, y, 0);
    button(fl_display, 1, True, 0);
    button(fl_display, 1, False, 0);
    XFlush(fl_display);
}

bool isViewable(Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(fl_display, window, &attributes) &&
           attributes.map_state == IsViewable;
}

// Where a window is on the screen and how large, in pixels.
struct ScreenRect {
    int x, y, w, h;
    bool operator==(const ScreenRect& other) const {
        return x == other.x && y == other.y && w == other.w && h == other.h;
    }
};

ScreenRect screenRect(Window window) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(fl_display, window, &attributes);
    int x = 0;
    int y = 0;
    Window child = None;
    XTranslateCoordinates(fl_display, window, DefaultRootWindow(fl_display), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

std::ostream& operator<<(std::ostream& out, const ScreenRect& rect) {
    return out << rect.w << "x" << rect.h << "+" << rect.x << "+" << rect.y;
}

// A viewer-like window opened step by step as the program opens its own, shown and focused;
// closed the same way after each test.
class FltkServicesWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        // X11, whatever else the machine offers: this is the Xvfb's test.
        setenv("FLTK_BACKEND", "x11", 1);
        unsetenv("FLTK_SCALING_FACTOR");
        received.clear();
        onTestThread = true;
        backend = &services;
        ASSERT_TRUE(services.registerWindowClass({className, recordMessage, &menu}));
        window = services.createWindow(className, "Korvalin", clientWidth, clientHeight);
        ASSERT_NE(window, nullptr);
        dc = services.getDeviceContext(window);
        int format = services.choosePixelFormat(dc, {true, true, 24, 16});
        ASSERT_NE(format, 0);
        ASSERT_TRUE(services.setPixelFormat(dc, format));
        context = services.createGLContext(dc);
        ASSERT_NE(context, nullptr);
        ASSERT_TRUE(services.makeCurrent(dc, context));
        services.showWindow(window);
        ASSERT_TRUE(waitFor([&] { return isViewable(topWindow()) && isViewable(clientWindow()); }))
            << "the window was not mapped";
    }

    void TearDown() override {
        closeWindow();
        services.unregisterWindowClass(className);
        // FLTK deletes the window in its event loop.
        Fl::wait(0);
        backend = nullptr;
    }

    void closeWindow() {
        if (!window) return;
        services.releaseCurrentContext();
        services.deleteGLContext(context);
        services.releaseDeviceContext(window, dc);
        services.destroyWindow(window);
        window = nullptr;
    }

    FltkMainWindow& mainWindow() { return *static_cast<FltkMainWindow*>(window); }
    Window topWindow() { return fl_xid(&mainWindow()); }
    Window clientWindow() { return fl_xid(&mainWindow().clientArea()); }

    // The keyboard on the window and the pointer over the client area, with no window manager
    // to do it.
    void focusWindow() {
        XSetInputFocus(fl_display, topWindow(), RevertToPointerRoot, CurrentTime);
        XWarpPointer(fl_display, None, clientWindow(), 0, 0, 0, 0, clientWidth / 2,
                     clientHeight / 2);
        XSync(fl_display, False);
        Fl::wait(0.1);
    }

    FltkServices services;
    WindowHandle window = nullptr;
    DeviceContextHandle dc = nullptr;
    GLContextHandle context = nullptr;
};

TEST_F(FltkServicesWindow, KeyPressesReachTheWindowProcedureAsWindowsKeys) {
    focusWindow();
    received.clear();
    // Ctrl+minus and Ctrl+plus are FLTK 1.4's: the screen's scale goes down and back up.
    const std::initializer_list<KeySym> chords[] = {
        {XK_l},
        {XK_Control_L, XK_l},
        {XK_Alt_L, XK_f},
        {XK_Shift_L, XK_h},
        {XK_Escape},
        {XK_F10},
        {XK_KP_Enter},
        {XK_Home},
        {XK_equal},
        {XK_Control_L, XK_minus},
        {XK_Control_L, XK_Shift_L, XK_equal},
        {XK_KP_Subtract},
        {XK_Page_Down},
        {XK_Up},
        {XK_F11},
        {XK_z},
    };
    for (const auto& chord : chords)
        pressChord(chord);
    ASSERT_TRUE(waitFor([] { return countOf(WM_KEYDOWN, 'Z') > 0; })) << "no key arrived";
    const std::vector<std::pair<unsigned, std::uintptr_t>> expected = {
        {WM_KEYDOWN, 'L'},         {WM_KEYDOWN, 'H'},     {WM_SYSKEYDOWN, VK_F1 + 9},
        {WM_KEYDOWN, VK_RETURN},   {WM_KEYDOWN, VK_HOME}, {WM_KEYDOWN, VK_OEM_PLUS},
        {WM_KEYDOWN, VK_SUBTRACT}, {WM_KEYDOWN, VK_NEXT}, {WM_KEYDOWN, VK_UP},
        {WM_KEYDOWN, VK_F11},      {WM_KEYDOWN, 'Z'},
    };
    EXPECT_EQ(keysReceived(), expected);
    EXPECT_EQ(countOf(WM_CLOSE, 0), 0u) << "Escape asked to close the window";
    EXPECT_TRUE(onTestThread);
}

// A dialog procedure that ends its dialog at Escape.
std::intptr_t cancelAtEscape(DialogHandle dialog, unsigned message, std::uintptr_t wParam,
                             std::intptr_t) {
    if (message == WM_INITDIALOG) {
        // Pressed once the dialog runs its own event loop.
        Fl::add_timeout(0.0, [](void*) {
            pressChord({XK_l});
            pressChord({XK_Escape});
        });
    } else if (message == WM_COMMAND && lowWord(wParam) == IDCANCEL) {
        backend->endDialog(dialog, IDCANCEL);
    }
    return 0;
}

const DialogControlTemplate okButton[] = {{IDOK, "Button", "OK", 10, 10, 50, 14, 0}};
const DialogTemplate smallDialog{200, "Modal", 0, 0, 70, 34, 0, "MS Shell Dlg", 8, okButton, 1};

TEST_F(FltkServicesWindow, KeysDuringAModalDialogAreItsOwnAndReachTheWindowAfterIt) {
    focusWindow();
    received.clear();
    EXPECT_EQ(services.dialogBox(smallDialog, window, cancelAtEscape, 0), IDCANCEL);
    EXPECT_TRUE(keysReceived().empty()) << "a key reached the window behind the dialog";
    pressChord({XK_h});
    ASSERT_TRUE(waitFor([] { return !keysReceived().empty(); }))
        << "no key reached the window after the dialog";
    EXPECT_EQ(keysReceived().front(), std::make_pair(WM_KEYDOWN, std::uintptr_t{'H'}));
}

// Pressed from the menu's own event loop once the menu is open (it holds FLTK's grab).
void pressWhileTheMenuIsOpen(void* pressed) {
    if (!Fl::grab()) {
        Fl::repeat_timeout(0.02, pressWhileTheMenuIsOpen, pressed);
        return;
    }
    pressChord({XK_l});
    pressChord({XK_Escape});
    *static_cast<bool*>(pressed) = true;
}

// A click on the menu bar opens the menu, which takes the keys until Escape closes it.
TEST_F(FltkServicesWindow, KeysWhileTheMenuIsOpenAreItsOwnAndReachTheWindowAfterIt) {
    focusWindow();
    received.clear();
    ScreenRect top = screenRect(topWindow());
    bool pressed = false;
    Fl::add_timeout(0.02, pressWhileTheMenuIsOpen, &pressed);
    click(top.x + 15, top.y + menuBarHeight / 2);
    bool closed = waitFor([&] { return pressed && !Fl::grab(); });
    Fl::remove_timeout(pressWhileTheMenuIsOpen, &pressed);
    ASSERT_TRUE(closed) << "the menu did not open and close";
    EXPECT_TRUE(keysReceived().empty()) << "a key reached the window under the open menu";
    pressChord({XK_h});
    ASSERT_TRUE(waitFor([] { return !keysReceived().empty(); }))
        << "no key reached the window after the menu";
    EXPECT_EQ(keysReceived().front(), std::make_pair(WM_KEYDOWN, std::uintptr_t{'H'}));
    EXPECT_EQ(countOf(WM_CLOSE, 0), 0u);
}

TEST_F(FltkServicesWindow, TimersRepeatUntilKilledAndSettingOneAgainRestartsIt) {
    ASSERT_TRUE(services.setTimer(window, 1, 3600 * 1000));
    // Set again, the hour's wait is gone.
    ASSERT_TRUE(services.setTimer(window, 1, 10));
    ASSERT_TRUE(waitFor([] { return countOf(WM_TIMER, 1) >= 3; })) << "timer 1 did not repeat";
    ASSERT_TRUE(services.setTimer(window, 2, 10));
    EXPECT_TRUE(services.killTimer(window, 1));
    EXPECT_FALSE(services.killTimer(window, 1));
    std::size_t firedBeforeKill = countOf(WM_TIMER, 1);
    ASSERT_TRUE(waitFor([] { return countOf(WM_TIMER, 2) >= 3; })) << "timer 2 did not repeat";
    EXPECT_EQ(countOf(WM_TIMER, 1), firedBeforeKill);
    EXPECT_TRUE(services.killTimer(window, 2));
    EXPECT_FALSE(services.setTimer(nullptr, 3, 10));
    EXPECT_TRUE(onTestThread);
}

TEST_F(FltkServicesWindow, AFileRenamedOverAWatchedOneSendsFileChanged) {
    TempFolder temp;
    temp.write("model.msh", "old");
    ASSERT_TRUE(services.watchFiles(window, {temp.file("model.msh")}));
    temp.write("model.msh.part", "new");
    fs::rename(temp.file("model.msh.part"), temp.file("model.msh"));
    ASSERT_TRUE(waitFor([] { return countOf(WM_FILE_CHANGED, 0) > 0; }))
        << "no WM_FILE_CHANGED after the rename";
    EXPECT_TRUE(onTestThread);
    EXPECT_FALSE(services.watchFiles(window, {}));
}

TEST_F(FltkServicesWindow, TimersAndTheWatchEndWithTheWindow) {
    TempFolder temp;
    temp.write("model.msh", "");
    int before = inotifyDescriptors();
    ASSERT_TRUE(services.watchFiles(window, {temp.file("model.msh")}));
    EXPECT_EQ(inotifyDescriptors(), before + 1);
    ASSERT_TRUE(services.setTimer(window, 5, 10));
    closeWindow();
    received.clear();
    temp.write("model.msh", "changed");
    runEventsFor(0.3);
    EXPECT_TRUE(received.empty()) << received.size() << " messages after the window went";
    EXPECT_EQ(inotifyDescriptors(), before);
}

// Laid over the screen by hand here, as no window manager runs: the same window with the same GL
// context, its client area over the whole screen, then back where and as large as it was.
TEST_F(FltkServicesWindow, FullScreenCoversTheScreenWithTheClientAreaAndComesBack) {
    const ScreenRect screen{0, 0, DisplayWidth(fl_display, DefaultScreen(fl_display)),
                            DisplayHeight(fl_display, DefaultScreen(fl_display))};
    ASSERT_EQ(services.windowScale(window), 1.0f) << "the screen is scaled";
    const std::pair<int, int> windowed{clientWidth, clientHeight - menuBarHeight};
    ASSERT_EQ(lastSize(), windowed);
    ScreenRect before = screenRect(topWindow());

    received.clear();
    ASSERT_TRUE(services.setFullScreen(window, true));
    ASSERT_TRUE(waitFor([&] { return lastSize() == std::make_pair(screen.w, screen.h); }))
        << "last WM_SIZE " << lastSize().first << "x" << lastSize().second;
    XSync(fl_display, False);
    EXPECT_EQ(screenRect(clientWindow()), screen);
    EXPECT_TRUE(services.makeCurrent(dc, context)) << "the GL context went";

    received.clear();
    ASSERT_TRUE(services.setFullScreen(window, false));
    ASSERT_TRUE(waitFor([&] { return lastSize() == windowed; }))
        << "last WM_SIZE " << lastSize().first << "x" << lastSize().second;
    XSync(fl_display, False);
    EXPECT_EQ(screenRect(topWindow()), before);
    EXPECT_EQ(screenRect(clientWindow()).y, before.y + menuBarHeight);
    EXPECT_TRUE(services.makeCurrent(dc, context)) << "the GL context went";
    EXPECT_FALSE(services.setFullScreen(nullptr, true));
}

} // namespace
