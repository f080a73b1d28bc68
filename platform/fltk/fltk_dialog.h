#pragma once

#include "platform/window_types.h"

#include <FL/Fl_Window.H>

#include <cstdint>

// A modal dialog built from a template: buttons, group boxes and trackbars, laid out in
// dialog units of the 8-point dialog font. Its events reach the dialog procedure as messages.
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
    void addControl(const DialogControlTemplate& control);
    Fl_Widget* control(unsigned controlId) const;
    static void onButton(Fl_Widget* button, void* controlId);
    static void onCloseRequest(Fl_Widget* dialog, void*);

    DialogProcedure procedure;
    bool ended = false;
    std::intptr_t result = 0;
};
