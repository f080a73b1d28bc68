#pragma once

#include "platform/file_watch.h"
#include "platform/window_types.h"

#include <FL/Fl_Gl_Window.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Window.H>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class FltkMainWindow;

// The client area: every paint, size and pointer event becomes a window message.
class FltkClientArea : public Fl_Gl_Window {
  public:
    FltkClientArea(FltkMainWindow& owner, int x, int y, int width, int height);

    // Drawing goes through WM_PAINT, which swaps itself: FLTK's own swap is left out.
    void flush() override;
    void draw() override {}
    void resize(int x, int y, int width, int height) override;
    int handle(int event) override;

    void trackLeave() { leaveTracked = true; }
    // Reports the size in pixels, which the GL viewport covers: at a screen scale other than 1
    // FLTK's own units are not pixels.
    void sendSize();
    // While held, resizing reports nothing; letting go reports the size if it changed, so that
    // a change of layout made of several steps is one WM_SIZE.
    void holdSize(bool hold);

  private:
    std::intptr_t pointerLParam();
    bool pointerInside() const;
    void sendLeaveOnce();
    int handlePointer(int event);
    int handleDrop(int event);

    FltkMainWindow& owner;
    bool leaveTracked = false;
    bool sizeHeld = false;
    int sentWidth = -1;
    int sentHeight = -1;
};

// The top-level window: menu bar above, client area below.
class FltkMainWindow : public Fl_Window {
  public:
    FltkMainWindow(WindowProcedure procedure, const MenuTemplate* menu, const char* title,
                   int clientWidth, int clientHeight);

    std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    FltkClientArea& clientArea() { return *area; }
    int handle(int event) override;
    // Hides the window for good: no size messages on the way out.
    void closeWindow();
    ~FltkMainWindow() override;

    // The text of a drop on the client area: its local files reach the window procedure as
    // WM_DROPFILES once the toolkit has finished with the drag.
    void receiveDrop(const char* text, int length);
    // The files of a drop handed out with WM_DROPFILES, or null when it is not one of ours.
    const std::vector<std::string>* droppedFiles(DropHandle drop) const;
    void finishDrop(DropHandle drop);

    // WM_TIMER with wParam id every `milliseconds`; setting a running timer starts it anew.
    bool setTimer(unsigned id, unsigned milliseconds);
    bool killTimer(unsigned id);
    // The client area alone over the whole screen, or the window back as it was; either way
    // the client area reports its new size.
    bool setFullScreen(bool on);
    // WM_FILE_CHANGED when one of these files changes; an empty list stops watching.
    bool watchFiles(const std::vector<std::string>& paths);

  private:
    void buildMenu(const MenuTemplate& menu);
    static void onMenuItem(Fl_Widget* widget, void* commandId);
    static void onCloseRequest(Fl_Widget* widget, void*);
    static void deliverDrop(void* drop);
    bool deliverKey();
    void placeChildren();
    void stopTimersAndWatch();
    static void onTimer(void* timer);
    static void onFilesChanged(int fd, void* window);

    struct Drop {
        FltkMainWindow* window;
        std::vector<std::string> files;
    };
    std::vector<std::unique_ptr<Drop>> drops;

    struct Timer {
        FltkMainWindow* window;
        unsigned id;
        double seconds;
    };
    std::vector<std::unique_ptr<Timer>> timers;

    struct Bounds {
        int x, y, w, h;
    };
    bool fullScreen = false;
    // Where the window was before full screen, when it was laid over the screen by hand.
    Bounds windowedBounds{};

    FileWatch fileWatch;

    WindowProcedure procedure;
    Fl_Menu_Bar* menuBar = nullptr;
    FltkClientArea* area = nullptr;
    bool minimised = false;
    bool closing = false;
};
