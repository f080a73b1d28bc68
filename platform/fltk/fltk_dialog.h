#pragma once

#include "platform/window_types.h"

#include <FL/Fl_Window.H>

#include <cstdint>

// The dialog base units of a font, found as Windows finds them for a dialog's font: the average
// width of the 52 letters A-Z a-z, rounded as Windows rounds it, and the height of a line. A
// horizontal dialog unit is a quarter of x, a vertical one an eighth of y.
struct DialogBaseUnits {
    int x;
    int y;

    int pixelsX(int dialogUnits) const;
    int pixelsY(int dialogUnits) const;
};

// Of the dialog font here: FLTK's label font at FL_NORMAL_SIZE, the size its labels are drawn
// at. Opens the display if it is not open yet.
DialogBaseUnits dialogFontBaseUnits();

// A modal dialog built from a template: buttons, group boxes and trackbars, laid out in
// dialog units of the dialog font, so that the dialog, its controls and their labels grow
// together with FL_NORMAL_SIZE. Its events reach the dialog procedure as messages.
class FltkDialog : public Fl_Window {
  public:
    FltkDialog(const DialogTemplate& dialogTemplate, DialogProcedure procedure);

    // Shows the dialog after WM_INITDIALOG and waits until endDialog; returns its result.
    std::intptr_t run(Fl_Window* owner, std::intptr_t parameter);
    void finish(std::intptr_t result);
    std::intptr_t send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t sendToControl(unsigned controlId, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam);

  private:
    FltkDialog(const DialogTemplate& dialogTemplate, DialogProcedure procedure,
               const DialogBaseUnits& units);
    void addControl(const DialogControlTemplate& control, const DialogBaseUnits& units);
    Fl_Widget* control(unsigned controlId) const;
    static void onButton(Fl_Widget* button, void* controlId);
    static void onCloseRequest(Fl_Widget* dialog, void*);

    DialogProcedure procedure;
    bool ended = false;
    std::intptr_t result = 0;
};
