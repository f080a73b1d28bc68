#pragma once

#include "platform/platform_services.h"
#include "platform/window_messages.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// One thing the user does while a scripted dialog is up.
struct DialogAction {
    enum class Kind { MoveSlider, Press, CloseBox, Look };

    // Drags a trackbar to a position; the trackbar keeps it within its range.
    static DialogAction moveSlider(unsigned controlId, int position) {
        return {Kind::MoveSlider, controlId, position, {}};
    }
    // Clicks a button: WM_COMMAND with the control id.
    static DialogAction press(unsigned controlId) { return {Kind::Press, controlId, 0, {}}; }
    // The Esc key: WM_COMMAND IDCANCEL.
    static DialogAction escape() { return press(IDCANCEL); }
    // The close box of the title bar: WM_CLOSE.
    static DialogAction closeBox() { return {Kind::CloseBox, 0, 0, {}}; }
    // Sends nothing: runs test code at that point, while the dialog is up.
    static DialogAction look(std::function<void()> check) {
        return {Kind::Look, 0, 0, std::move(check)};
    }

    Kind kind;
    unsigned controlId;
    int position;
    std::function<void()> check;
};

// A trackbar of a scripted dialog; a new one has the range 0..100 and the position 0.
struct ScriptedTrackbar {
    int minimum = 0;
    int maximum = 100;
    int position = 0;
};

// A platform that a test drives step by step. Every call the program makes is recorded in
// order as a readable line; any step can be told to fail by its name; handles are fake
// non-null addresses, named "window", "dc", "gl" and "dialog" in the record. Sent and
// dispatched messages go at once to the procedure of the registered window class. Installs
// itself for its lifetime.
//
// A dialog (handle "dialog") gets WM_INITDIALOG, then the user actions of dialogScript in order
// until the program calls endDialog or the script runs out; what is left of the script stays for
// the next dialog. Messages sent to the dialog handle go at once to the dialog's procedure, and
// its trackbars (the template's "msctls_trackbar32" controls) answer the trackbar messages.
// exitProcess records the status and returns.
class ScriptedWindowPlatform : public PlatformServices {
  public:
    ScriptedWindowPlatform();
    ~ScriptedWindowPlatform() override;
    ScriptedWindowPlatform(const ScriptedWindowPlatform&) = delete;
    ScriptedWindowPlatform& operator=(const ScriptedWindowPlatform&) = delete;

    // The handles this platform gives out.
    WindowHandle window() { return &windowTag; }
    DeviceContextHandle dc() { return &dcTag; }
    GLContextHandle gl() { return &glTag; }
    DialogHandle dialog() { return &dialogTag; }
    static constexpr int pixelFormat = 7;

    // Makes the step of that name ("createWindow", "validateRect", ...) fail from now on.
    void fail(const std::string& step) { failingSteps.insert(step); }

    // The lines recorded so far, e.g. "createWindow OpenGL Korvalin 640x480",
    // "messageBox ERROR|Window Creation Error.|0x30|owner=none", "default 0x000F window 0 0",
    // "openFileDialog Ismarel Mesh File|*.msh|256|owner=window" (label|pattern|buffer size),
    // "dialogBox 102|Sensitivity|owner=window|0" (template id|caption|owner|parameter),
    // "sendDialogItemMessage dialog 1002 0x0405 1 29", "endDialog dialog 0", "exitProcess 1",
    // and the user's actions in a dialog: "user moves 1002 to 29", "user presses 1004",
    // "user closes the dialog".
    std::vector<std::string> calls;
    // Runs on every call, right after its line is recorded and before the call answers: a test
    // can look at the program's state at that moment.
    std::function<void(const std::string& call)> onCall;

    // What the script answers.
    std::intptr_t defaultAnswer = 0;       // defaultWindowProc
    std::string folderAnswer;              // browseForFolder; empty = the user cancels
    std::string fileAnswer;                // openFileDialog; empty = the user cancels
    std::deque<DialogAction> dialogScript; // what the user does in dialogs, in order
    std::string directory = "/start";      // currentDirectory
    std::vector<std::string> droppedFiles; // what dragQueryFile answers for any drop
    std::deque<Message> queue;             // getMessage hands these out until a quit was posted

    // showWindow sends the procedure a WM_SIZE with this client size (a menu bar takes some of
    // the height asked for), then runs afterShow when set.
    int shownClientWidth = 640;
    int shownClientHeight = 455;
    std::function<void()> afterShow;

    // The class as last registered; its procedure receives the messages.
    WindowClass registeredClass{};
    PixelFormatRequest pixelFormatRequest{};
    bool quitPosted = false;

    // The last dialog: its trackbars by control id (kept after it closed), whether it is open
    // (shown, and endDialog not called yet), whether its script ran out while it was still open,
    // and every answer of its procedure in order.
    std::map<unsigned, ScriptedTrackbar> trackbars;
    bool dialogOpen() const { return dialogUp() && !dialogEnded; }
    bool dialogLeftOpen = false;
    std::vector<std::intptr_t> dialogAnswers;

    // The status given to exitProcess, once it was called.
    std::optional<int> exitStatus;

    bool registerWindowClass(const WindowClass& windowClass) override;
    WindowHandle createWindow(const char* className, const char* title, int clientWidth,
                              int clientHeight) override;
    DeviceContextHandle getDeviceContext(WindowHandle window) override;
    int choosePixelFormat(DeviceContextHandle dc, const PixelFormatRequest& request) override;
    bool setPixelFormat(DeviceContextHandle dc, int format) override;
    GLContextHandle createGLContext(DeviceContextHandle dc) override;
    bool makeCurrent(DeviceContextHandle dc, GLContextHandle context) override;
    void showWindow(WindowHandle window) override;

    bool releaseCurrentContext() override;
    bool deleteGLContext(GLContextHandle context) override;
    bool releaseDeviceContext(WindowHandle window, DeviceContextHandle dc) override;
    bool destroyWindow(WindowHandle window) override;
    bool unregisterWindowClass(const char* className) override;

    bool getMessage(Message& message) override;
    void dispatchMessage(const Message& message) override;
    void postQuitMessage(int exitCode) override;
    std::intptr_t sendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                              std::intptr_t lParam) override;
    std::intptr_t defaultWindowProc(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) override;
    bool validateRect(WindowHandle window) override;
    bool swapBuffers(DeviceContextHandle dc) override;

    int messageBox(WindowHandle owner, const char* text, const char* caption,
                   unsigned flags) override;
    bool browseForFolder(const char* title, char* path, std::size_t pathSize) override;

    bool openFileDialog(WindowHandle owner, const char* filterLabel, const char* filterPattern,
                        char* path, std::size_t pathSize) override;
    std::intptr_t dialogBox(const DialogTemplate& dialogTemplate, WindowHandle owner,
                            DialogProcedure procedure, std::intptr_t parameter) override;
    std::intptr_t sendDialogItemMessage(DialogHandle dialog, unsigned controlId, unsigned message,
                                        std::uintptr_t wParam, std::intptr_t lParam) override;
    bool endDialog(DialogHandle dialog, std::intptr_t result) override;

    unsigned dragQueryFile(DropHandle drop, unsigned index, char* path,
                           std::size_t pathSize) override;
    void dragFinish(DropHandle drop) override;
    bool trackMouseLeave(WindowHandle window) override;
    bool currentDirectory(char* buffer, std::size_t size) override;
    void exitProcess(int status) override;
    // Recorded as "setTimer window 1 300", "killTimer window 1", "setFullScreen window 1",
    // "watchFiles window PATH|PATH"; all succeed.
    bool setTimer(WindowHandle window, unsigned id, unsigned milliseconds) override;
    bool killTimer(WindowHandle window, unsigned id) override;
    bool setFullScreen(WindowHandle window, bool fullScreen) override;
    bool watchFiles(WindowHandle window, const std::vector<std::string>& paths) override;

  private:
    bool succeeds(const std::string& step) const { return failingSteps.count(step) == 0; }
    void record(const std::string& call);
    std::string nameOf(const void* handle) const;
    std::intptr_t deliver(WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam);
    std::intptr_t deliverToDialog(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    void perform(const DialogAction& action);
    // From dialogBox's start to its return, endDialog or not.
    bool dialogUp() const { return dialogProcedure != nullptr; }

    char windowTag = 0;
    char dcTag = 0;
    char glTag = 0;
    char dialogTag = 0;
    DialogProcedure dialogProcedure = nullptr;
    bool dialogEnded = false;
    std::intptr_t dialogResult = 0;
    std::set<std::string> failingSteps;
};

// A message number as the record writes it: "0x000F".
std::string messageName(unsigned message);
