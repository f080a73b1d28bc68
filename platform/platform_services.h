#pragma once

#include "platform/window_types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// dragQueryFile's index that asks for the number of files dropped.
constexpr unsigned allDroppedFiles = 0xFFFFFFFFu;

// The operating-system services the program's own code calls, one call for each service it
// needs, with the arguments and results it uses. The backend that runs the program installs
// itself; until then the headless backend answers (no windows, dialogs cancelled, boxes on
// the standard error stream).
class PlatformServices {
  public:
    virtual ~PlatformServices() = default;

    // Opening a window with a GL context, step by step; each step can fail.
    virtual bool registerWindowClass(const WindowClass& windowClass) = 0;
    // The window is created hidden, with a client area of the given size (a menu bar takes
    // its height from it).
    virtual WindowHandle createWindow(const char* className, const char* title, int clientWidth,
                                      int clientHeight) = 0;
    virtual DeviceContextHandle getDeviceContext(WindowHandle window) = 0;
    // A format number, 0 when none matches.
    virtual int choosePixelFormat(DeviceContextHandle dc, const PixelFormatRequest& request) = 0;
    virtual bool setPixelFormat(DeviceContextHandle dc, int format) = 0;
    virtual GLContextHandle createGLContext(DeviceContextHandle dc) = 0;
    virtual bool makeCurrent(DeviceContextHandle dc, GLContextHandle context) = 0;
    // Shows the window, brings it to the front and gives it the keyboard focus.
    virtual void showWindow(WindowHandle window) = 0;
    // Pixels per unit of the sizes createWindow takes: above 1 on a scaled (HiDPI) screen,
    // where a window keeps its size to the eye and gets more pixels.
    virtual float windowScale(WindowHandle) { return 1.0f; }

    // Closing, step by step; each step reports failure and the caller goes on.
    virtual bool releaseCurrentContext() = 0;
    virtual bool deleteGLContext(GLContextHandle context) = 0;
    virtual bool releaseDeviceContext(WindowHandle window, DeviceContextHandle dc) = 0;
    virtual bool destroyWindow(WindowHandle window) = 0;
    virtual bool unregisterWindowClass(const char* className) = 0;

    // Messages. getMessage is false once the quit message has come.
    virtual bool getMessage(Message& message) = 0;
    virtual void dispatchMessage(const Message& message) = 0;
    virtual void postQuitMessage(int exitCode) = 0;
    // Calls the window's procedure at once and returns its answer.
    virtual std::intptr_t sendMessage(WindowHandle window, unsigned message, std::uintptr_t wParam,
                                      std::intptr_t lParam) = 0;
    // What the system does with a message the window procedure does not take.
    virtual std::intptr_t defaultWindowProc(WindowHandle window, unsigned message,
                                            std::uintptr_t wParam, std::intptr_t lParam) = 0;
    virtual bool validateRect(WindowHandle window) = 0;
    virtual bool swapBuffers(DeviceContextHandle dc) = 0;

    // Modal message box; flags are MB_* values. Returns the button pressed.
    virtual int messageBox(WindowHandle owner, const char* text, const char* caption,
                           unsigned flags) = 0;
    // Modal folder chooser owned by the active window. Writes the chosen folder into path;
    // writes an empty text when the user cancels or the folder does not fit pathSize.
    // True when a folder was chosen.
    virtual bool browseForFolder(const char* title, char* path, std::size_t pathSize) = 0;

    // Modal file chooser offering one filter (a label and a pattern such as "*.msh"). Writes
    // the chosen path into path; false when the user cancels or the path does not fit.
    virtual bool openFileDialog(WindowHandle owner, const char* filterLabel,
                                const char* filterPattern, char* path, std::size_t pathSize) = 0;
    // Modal dialog built from a template; the procedure gets WM_INITDIALOG first. Returns
    // the result given to endDialog.
    virtual std::intptr_t dialogBox(const DialogTemplate& dialogTemplate, WindowHandle owner,
                                    DialogProcedure procedure, std::intptr_t parameter) = 0;
    virtual std::intptr_t sendDialogItemMessage(DialogHandle dialog, unsigned controlId,
                                                unsigned message, std::uintptr_t wParam,
                                                std::intptr_t lParam) = 0;
    virtual bool endDialog(DialogHandle dialog, std::intptr_t result) = 0;

    // The files of a drop (WM_DROPFILES). With index allDroppedFiles: how many there are.
    // Otherwise writes the path of file index into path and returns its length; 0 when there is
    // no such file or its path does not fit pathSize (a path is never cut short).
    virtual unsigned dragQueryFile(DropHandle drop, unsigned index, char* path,
                                   std::size_t pathSize) = 0;
    // Frees the drop; its handle means nothing afterwards.
    virtual void dragFinish(DropHandle drop) = 0;

    // Asks for a WM_MOUSELEAVE when the pointer leaves the window's client area.
    virtual bool trackMouseLeave(WindowHandle window) = 0;
    // The process's current directory; false when it does not fit size.
    virtual bool currentDirectory(char* buffer, std::size_t size) = 0;
    // Ends the process at once with this status: no cleanup of the program's own runs.
    virtual void exitProcess(int status) = 0;

    // The services below serve the viewer's own keys, beyond what the window needs to work;
    // a backend without them answers false, and those keys then do nothing.

    // WM_TIMER with wParam id reaches the window every `milliseconds` until killTimer; setting a
    // running timer again starts its wait anew.
    virtual bool setTimer(WindowHandle, unsigned /*id*/, unsigned /*milliseconds*/) {
        return false;
    }
    virtual bool killTimer(WindowHandle, unsigned /*id*/) { return false; }
    // On: the client area alone covers the whole screen, without frame or menu bar. Off: the
    // window is back as it was. Either way a WM_SIZE reports the new client size.
    virtual bool setFullScreen(WindowHandle, bool /*fullScreen*/) { return false; }
    // The user's pictures folder; false when the system names none or it does not fit size.
    virtual bool picturesDirectory(char* /*buffer*/, std::size_t /*size*/) { return false; }
    // Watches these files: when one of them is written, created, or replaced by a rename, a
    // WM_FILE_CHANGED reaches the window, sent from the thread that runs the window. A new
    // list replaces the old one; an empty list stops watching. False when nothing is watched.
    virtual bool watchFiles(WindowHandle, const std::vector<std::string>& /*paths*/) {
        return false;
    }
};

PlatformServices& platformServices();
// Installs services (nullptr puts the headless backend back).
void setPlatformServices(PlatformServices* services);
