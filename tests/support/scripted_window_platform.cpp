#include "tests/support/scripted_window_platform.h"

#include "platform/window_messages.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

std::string messageName(unsigned message) {
    char name[16];
    std::snprintf(name, sizeof name, "0x%04X", message);
    return name;
}

ScriptedWindowPlatform::ScriptedWindowPlatform() {
    setPlatformServices(this);
}

ScriptedWindowPlatform::~ScriptedWindowPlatform() {
    setPlatformServices(nullptr);
}

std::string ScriptedWindowPlatform::nameOf(const void* handle) const {
    if (handle == nullptr) return "none";
    if (handle == &windowTag) return "window";
    if (handle == &dcTag) return "dc";
    if (handle == &glTag) return "gl";
    if (handle == &dialogTag) return "dialog";
    return "unknown";
}

void ScriptedWindowPlatform::record(const std::string& call) {
    calls.push_back(call);
    if (onCall) onCall(call);
}

std::intptr_t ScriptedWindowPlatform::deliver(WindowHandle target, unsigned message,
                                              std::uintptr_t wParam, std::intptr_t lParam) {
    if (target != window() || registeredClass.procedure == nullptr) return 0;
    return registeredClass.procedure(target, message, wParam, lParam);
}

bool ScriptedWindowPlatform::registerWindowClass(const WindowClass& windowClass) {
    record(std::string("registerWindowClass ") + windowClass.name +
           " menu=" + (windowClass.menu ? std::to_string(windowClass.menu->resourceId) : "none"));
    if (!succeeds("registerWindowClass")) return false;
    registeredClass = windowClass;
    return true;
}

WindowHandle ScriptedWindowPlatform::createWindow(const char* className, const char* title,
                                                  int clientWidth, int clientHeight) {
    record(std::string("createWindow ") + className + " " + title + " " +
           std::to_string(clientWidth) + "x" + std::to_string(clientHeight));
    return succeeds("createWindow") ? window() : nullptr;
}

DeviceContextHandle ScriptedWindowPlatform::getDeviceContext(WindowHandle target) {
    record("getDeviceContext " + nameOf(target));
    return succeeds("getDeviceContext") ? dc() : nullptr;
}

int ScriptedWindowPlatform::choosePixelFormat(DeviceContextHandle target,
                                              const PixelFormatRequest& request) {
    record("choosePixelFormat " + nameOf(target));
    pixelFormatRequest = request;
    return succeeds("choosePixelFormat") ? pixelFormat : 0;
}

bool ScriptedWindowPlatform::setPixelFormat(DeviceContextHandle target, int format) {
    record("setPixelFormat " + nameOf(target) + " " + std::to_string(format));
    return succeeds("setPixelFormat");
}

GLContextHandle ScriptedWindowPlatform::createGLContext(DeviceContextHandle target) {
    record("createGLContext " + nameOf(target));
    return succeeds("createGLContext") ? gl() : nullptr;
}

bool ScriptedWindowPlatform::makeCurrent(DeviceContextHandle target, GLContextHandle context) {
    record("makeCurrent " + nameOf(target) + " " + nameOf(context));
    return succeeds("makeCurrent");
}

void ScriptedWindowPlatform::showWindow(WindowHandle target) {
    record("showWindow " + nameOf(target));
    deliver(target, WM_SIZE, 0, makeLParam(shownClientWidth, shownClientHeight));
    if (afterShow) afterShow();
}

bool ScriptedWindowPlatform::releaseCurrentContext() {
    record("releaseCurrentContext");
    return succeeds("releaseCurrentContext");
}

bool ScriptedWindowPlatform::deleteGLContext(GLContextHandle context) {
    record("deleteGLContext " + nameOf(context));
    return succeeds("deleteGLContext");
}

bool ScriptedWindowPlatform::releaseDeviceContext(WindowHandle target,
                                                  DeviceContextHandle context) {
    record("releaseDeviceContext " + nameOf(target) + " " + nameOf(context));
    return succeeds("releaseDeviceContext");
}

bool ScriptedWindowPlatform::destroyWindow(WindowHandle target) {
    record("destroyWindow " + nameOf(target));
    return succeeds("destroyWindow");
}

bool ScriptedWindowPlatform::unregisterWindowClass(const char* className) {
    record(std::string("unregisterWindowClass ") + className);
    if (!succeeds("unregisterWindowClass")) return false;
    registeredClass = WindowClass{};
    return true;
}

bool ScriptedWindowPlatform::getMessage(Message& message) {
    record("getMessage");
    if (quitPosted || queue.empty()) return false;
    message = queue.front();
    queue.pop_front();
    return true;
}

void ScriptedWindowPlatform::dispatchMessage(const Message& message) {
    record("dispatchMessage " + messageName(message.id));
    deliver(message.window, message.id, message.wParam, message.lParam);
}

void ScriptedWindowPlatform::postQuitMessage(int exitCode) {
    record("postQuitMessage " + std::to_string(exitCode));
    quitPosted = true;
}

std::intptr_t ScriptedWindowPlatform::sendMessage(WindowHandle target, unsigned message,
                                                  std::uintptr_t wParam, std::intptr_t lParam) {
    record("sendMessage " + messageName(message) + " " + nameOf(target) + " " +
           std::to_string(wParam) + " " + std::to_string(lParam));
    if (target == dialog() && dialogUp()) return deliverToDialog(message, wParam, lParam);
    return deliver(target, message, wParam, lParam);
}

std::intptr_t ScriptedWindowPlatform::defaultWindowProc(WindowHandle target, unsigned message,
                                                        std::uintptr_t wParam,
                                                        std::intptr_t lParam) {
    record("default " + messageName(message) + " " + nameOf(target) + " " + std::to_string(wParam) +
           " " + std::to_string(lParam));
    return defaultAnswer;
}

bool ScriptedWindowPlatform::validateRect(WindowHandle target) {
    record("validateRect " + nameOf(target));
    return succeeds("validateRect");
}

bool ScriptedWindowPlatform::swapBuffers(DeviceContextHandle target) {
    record("swapBuffers " + nameOf(target));
    return succeeds("swapBuffers");
}

int ScriptedWindowPlatform::messageBox(WindowHandle owner, const char* text, const char* caption,
                                       unsigned flags) {
    char flagText[16];
    std::snprintf(flagText, sizeof flagText, "0x%02X", flags);
    record(std::string("messageBox ") + caption + "|" + text + "|" + flagText +
           "|owner=" + nameOf(owner));
    return IDOK;
}

bool ScriptedWindowPlatform::browseForFolder(const char* title, char* path, std::size_t pathSize) {
    record(std::string("browseForFolder ") + title);
    if (folderAnswer.empty() || folderAnswer.size() >= pathSize) {
        path[0] = '\0';
        return false;
    }
    std::memcpy(path, folderAnswer.c_str(), folderAnswer.size() + 1);
    return true;
}

unsigned ScriptedWindowPlatform::dragQueryFile(DropHandle, unsigned index, char* path,
                                               std::size_t pathSize) {
    record("dragQueryFile " + std::to_string(static_cast<int>(index)));
    if (index == allDroppedFiles) return static_cast<unsigned>(droppedFiles.size());
    if (index >= droppedFiles.size() || droppedFiles[index].size() >= pathSize) return 0;
    std::memcpy(path, droppedFiles[index].c_str(), droppedFiles[index].size() + 1);
    return static_cast<unsigned>(droppedFiles[index].size());
}

void ScriptedWindowPlatform::dragFinish(DropHandle) {
    record("dragFinish");
}

bool ScriptedWindowPlatform::trackMouseLeave(WindowHandle target) {
    record("trackMouseLeave " + nameOf(target));
    return succeeds("trackMouseLeave");
}

bool ScriptedWindowPlatform::currentDirectory(char* buffer, std::size_t size) {
    record("currentDirectory");
    if (directory.size() >= size) return false;
    std::memcpy(buffer, directory.c_str(), directory.size() + 1);
    return true;
}

bool ScriptedWindowPlatform::openFileDialog(WindowHandle owner, const char* filterLabel,
                                            const char* filterPattern, char* path,
                                            std::size_t pathSize) {
    record(std::string("openFileDialog ") + filterLabel + "|" + filterPattern + "|" +
           std::to_string(pathSize) + "|owner=" + nameOf(owner));
    if (fileAnswer.empty() || fileAnswer.size() >= pathSize) {
        if (pathSize > 0) path[0] = '\0';
        return false;
    }
    std::memcpy(path, fileAnswer.c_str(), fileAnswer.size() + 1);
    return true;
}

std::intptr_t ScriptedWindowPlatform::deliverToDialog(unsigned message, std::uintptr_t wParam,
                                                      std::intptr_t lParam) {
    std::intptr_t answer = dialogProcedure(dialog(), message, wParam, lParam);
    dialogAnswers.push_back(answer);
    return answer;
}

void ScriptedWindowPlatform::perform(const DialogAction& action) {
    switch (action.kind) {
    case DialogAction::Kind::MoveSlider: {
        record("user moves " + std::to_string(action.controlId) + " to " +
               std::to_string(action.position));
        auto found = trackbars.find(action.controlId);
        if (found == trackbars.end()) return;
        ScriptedTrackbar& bar = found->second;
        bar.position = std::clamp(action.position, bar.minimum, std::max(bar.minimum, bar.maximum));
        return;
    }
    case DialogAction::Kind::Press:
        record("user presses " + std::to_string(action.controlId));
        deliverToDialog(WM_COMMAND, action.controlId, 0);
        return;
    case DialogAction::Kind::CloseBox:
        record("user closes the dialog");
        deliverToDialog(WM_CLOSE, 0, 0);
        return;
    case DialogAction::Kind::Look:
        if (action.check) action.check();
        return;
    }
}

std::intptr_t ScriptedWindowPlatform::dialogBox(const DialogTemplate& dialogTemplate,
                                                WindowHandle owner, DialogProcedure procedure,
                                                std::intptr_t parameter) {
    record("dialogBox " + std::to_string(dialogTemplate.resourceId) + "|" + dialogTemplate.caption +
           "|owner=" + nameOf(owner) + "|" + std::to_string(parameter));
    // One dialog at a time, as a modal dialog allows.
    if (dialogUp() || procedure == nullptr || !succeeds("dialogBox")) return -1;
    trackbars.clear();
    for (int i = 0; i < dialogTemplate.controlCount; ++i) {
        const DialogControlTemplate& control = dialogTemplate.controls[i];
        if (std::strcmp(control.className, "msctls_trackbar32") == 0)
            trackbars[control.id] = ScriptedTrackbar{};
    }
    dialogProcedure = procedure;
    dialogEnded = false;
    dialogResult = 0;
    dialogLeftOpen = false;
    dialogAnswers.clear();

    deliverToDialog(WM_INITDIALOG, 0, parameter);
    while (!dialogEnded && !dialogScript.empty()) {
        DialogAction action = std::move(dialogScript.front());
        dialogScript.pop_front();
        perform(action);
    }

    dialogLeftOpen = !dialogEnded;
    dialogProcedure = nullptr;
    // A dialog the user never closed has no result; -1 is what a failed dialog answers.
    return dialogEnded ? dialogResult : -1;
}

std::intptr_t ScriptedWindowPlatform::sendDialogItemMessage(DialogHandle target, unsigned controlId,
                                                            unsigned message, std::uintptr_t wParam,
                                                            std::intptr_t lParam) {
    record("sendDialogItemMessage " + nameOf(target) + " " + std::to_string(controlId) + " " +
           messageName(message) + " " + std::to_string(wParam) + " " + std::to_string(lParam));
    if (target != dialog() || !dialogUp()) return 0;
    auto found = trackbars.find(controlId);
    if (found == trackbars.end()) return 0;
    ScriptedTrackbar& bar = found->second;
    auto parameter = static_cast<std::uintptr_t>(lParam);
    switch (message) {
    case TBM_SETRANGE:
        // Low word the minimum, high word the maximum; the position moves into the new range.
        bar.minimum = static_cast<int>(lowWord(parameter));
        bar.maximum = static_cast<int>(highWord(parameter));
        bar.position = std::clamp(bar.position, bar.minimum, std::max(bar.minimum, bar.maximum));
        return 0;
    case TBM_SETPOS: {
        long long wanted = lParam;
        wanted = std::clamp<long long>(wanted, bar.minimum, std::max(bar.minimum, bar.maximum));
        bar.position = static_cast<int>(wanted);
        return 0;
    }
    case TBM_GETPOS:
        return bar.position;
    default:
        return 0;
    }
}

bool ScriptedWindowPlatform::endDialog(DialogHandle target, std::intptr_t result) {
    record("endDialog " + nameOf(target) + " " + std::to_string(result));
    if (target != dialog() || !dialogUp() || !succeeds("endDialog")) return false;
    // The dialog goes once the message being handled returns.
    dialogEnded = true;
    dialogResult = result;
    return true;
}

void ScriptedWindowPlatform::exitProcess(int status) {
    record("exitProcess " + std::to_string(status));
    exitStatus = status;
}

bool ScriptedWindowPlatform::setTimer(WindowHandle target, unsigned id, unsigned milliseconds) {
    record("setTimer " + nameOf(target) + " " + std::to_string(id) + " " +
           std::to_string(milliseconds));
    return true;
}

bool ScriptedWindowPlatform::killTimer(WindowHandle target, unsigned id) {
    record("killTimer " + nameOf(target) + " " + std::to_string(id));
    return true;
}

bool ScriptedWindowPlatform::setFullScreen(WindowHandle target, bool fullScreen) {
    record("setFullScreen " + nameOf(target) + " " + std::to_string(fullScreen));
    return true;
}

bool ScriptedWindowPlatform::watchFiles(WindowHandle target,
                                        const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths)
        list += (list.empty() ? "" : "|") + path;
    record("watchFiles " + nameOf(target) + " " + list);
    return true;
}
