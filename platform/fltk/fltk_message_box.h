#pragma once

#include <FL/Fl_Window.H>

class Fl_Box;
class Fl_Return_Button;

// A box with an icon for the MB_ICON* flag, the text and an "OK" button, laid out for the
// text at FL_NORMAL_SIZE: margins, icon and button in dialog units of the dialog font, so
// they grow with the text.
class FltkMessageBox : public Fl_Window {
  public:
    FltkMessageBox(const char* text, const char* caption, unsigned flags);

    // Shows the box modal, centred on the owner when it is shown, and waits until it is closed.
    void run(Fl_Window* owner);

    // The icon is null when the flags ask for none.
    const Fl_Box* icon() const { return iconBox; }
    const Fl_Box* message() const { return messageBox; }
    const Fl_Return_Button* okButton() const { return ok; }

  private:
    Fl_Box* iconBox = nullptr;
    Fl_Box* messageBox = nullptr;
    Fl_Return_Button* ok = nullptr;
};

// The main window keeps receiving its events (paints) while the box is up. Returns IDOK.
int showMessageBox(Fl_Window* owner, const char* text, const char* caption, unsigned flags);
