#include "platform/fltk/fltk_dialog.h"

#include "platform/window_messages.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Slider.H>

#include <cstring>

namespace {

// Dialog base units of the 8-point dialog font at 96 dots per inch.
constexpr int baseUnitX = 6;
constexpr int baseUnitY = 13;
constexpr int labelSize = 12;

constexpr unsigned buttonKindMask = 0x0Fu;
constexpr unsigned defaultPushButton = 0x01u;
constexpr unsigned groupBox = 0x07u;

int pixelsX(int dialogUnits) {
    return dialogUnits * baseUnitX / 4;
}
int pixelsY(int dialogUnits) {
    return dialogUnits * baseUnitY / 8;
}

bool isTrackbar(const DialogControlTemplate& control) {
    return std::strcmp(control.className, "msctls_trackbar32") == 0;
}

} // namespace

FltkDialog::FltkDialog(const DialogTemplate& dialogTemplate, DialogProcedure procedure)
    : Fl_Window(pixelsX(dialogTemplate.width), pixelsY(dialogTemplate.height),
                dialogTemplate.caption),
      procedure(procedure) {
    for (int i = 0; i < dialogTemplate.controlCount; ++i)
        addControl(dialogTemplate.controls[i]);
    end();
    callback(onCloseRequest);
}

void FltkDialog::addControl(const DialogControlTemplate& control) {
    int x = pixelsX(control.x);
    int y = pixelsY(control.y);
    int w = pixelsX(control.width);
    int h = pixelsY(control.height);
    Fl_Widget* widget = nullptr;
    if (isTrackbar(control)) {
        auto* slider = new Fl_Slider(FL_HOR_NICE_SLIDER, x, y, w, h, nullptr);
        slider->step(1);
        widget = slider;
    } else if ((control.style & buttonKindMask) == groupBox) {
        auto* frame = new Fl_Box(FL_ENGRAVED_FRAME, x, y, w, h, control.text);
        frame->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE);
        widget = frame;
    } else {
        Fl_Button* button = (control.style & buttonKindMask) == defaultPushButton
                                ? new Fl_Return_Button(x, y, w, h, control.text)
                                : new Fl_Button(x, y, w, h, control.text);
        button->callback(onButton, reinterpret_cast<void*>(std::uintptr_t{control.id}));
        widget = button;
    }
    widget->labelsize(labelSize);
    widget->user_data(reinterpret_cast<void*>(std::uintptr_t{control.id}));
}

Fl_Widget* FltkDialog::control(unsigned controlId) const {
    for (int i = 0; i < children(); ++i) {
        Fl_Widget* widget = child(i);
        if (reinterpret_cast<std::uintptr_t>(widget->user_data()) == controlId) return widget;
    }
    return nullptr;
}

std::intptr_t FltkDialog::run(Fl_Window* owner, std::intptr_t parameter) {
    set_modal();
    // Centred on the screen; the owner only stops taking input while the dialog is up.
    (void)owner;
    position((Fl::w() - w()) / 2, (Fl::h() - h()) / 2);
    send(WM_INITDIALOG, 0, parameter);
    if (!ended) show();
    while (!ended && shown())
        Fl::wait();
    hide();
    return result;
}

void FltkDialog::finish(std::intptr_t endResult) {
    ended = true;
    result = endResult;
    hide();
}

std::intptr_t FltkDialog::send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return procedure(this, message, wParam, lParam);
}

// The trackbar messages, on a slider.
std::intptr_t FltkDialog::sendToControl(unsigned controlId, unsigned message, std::uintptr_t,
                                        std::intptr_t lParam) {
    auto* slider = dynamic_cast<Fl_Slider*>(control(controlId));
    if (!slider) return 0;
    auto parameter = static_cast<std::uintptr_t>(lParam);
    switch (message) {
    case TBM_SETRANGE:
        slider->bounds(lowWord(parameter), highWord(parameter));
        return 0;
    case TBM_SETPOS:
        // A trackbar keeps its position within its range.
        slider->value(slider->clamp(static_cast<double>(lParam)));
        return 0;
    case TBM_GETPOS:
        return static_cast<std::intptr_t>(slider->value());
    default:
        return 0;
    }
}

void FltkDialog::onButton(Fl_Widget* button, void* controlId) {
    auto* dialog = static_cast<FltkDialog*>(button->window());
    dialog->send(WM_COMMAND, reinterpret_cast<std::uintptr_t>(controlId), 0);
}

// Escape arrives as the cancel command, which the dialog may ignore; the close box closes.
void FltkDialog::onCloseRequest(Fl_Widget* widget, void*) {
    auto* dialog = static_cast<FltkDialog*>(widget);
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape)
        dialog->send(WM_COMMAND, IDCANCEL, 0);
    else
        dialog->send(WM_CLOSE, 0, 0);
}
