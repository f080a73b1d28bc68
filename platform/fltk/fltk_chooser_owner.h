#pragma once

#include <FL/Fl_Window.H>

// While alive, makes the desktop's file chooser a dialog of the owner window, as FLTK 1.3 did
// itself: FLTK 1.4 shows GTK's chooser on X11 with no owner, so a window manager may put the
// viewer's window above it while the viewer waits on it. Elsewhere it does nothing.
class ChooserOwner {
  public:
    explicit ChooserOwner(Fl_Window* owner);
    ~ChooserOwner();
    ChooserOwner(const ChooserOwner&) = delete;
    ChooserOwner& operator=(const ChooserOwner&) = delete;

  private:
    static void look(void* self);

    Fl_Window* owner;
    bool looking = false;
};
