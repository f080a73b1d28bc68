#pragma once

#include "platform/window_types.h"

#include <FL/Fl_Gl_Window.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Window.H>

#include <cstdint>

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

  private:
    bool pointerInside() const;
    void sendLeaveOnce();
    int handlePointer(int event);

    FltkMainWindow& owner;
    bool leaveTracked = false;
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

  private:
    void buildMenu(const MenuTemplate& menu);
    static void onMenuItem(Fl_Widget* widget, void* commandId);
    static void onCloseRequest(Fl_Widget* widget, void*);

    WindowProcedure procedure;
    Fl_Menu_Bar* menuBar = nullptr;
    FltkClientArea* area = nullptr;
    bool minimised = false;
    bool closing = false;
};
