#include "platform/fltk/fltk_dialog.h"

#include "platform/fltk/fltk_gl_context.h"

#include "platform/window_messages.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Slider.H>
#include <FL/fl_draw.H>

#include <cstring>

namespace {

constexpr Fl_Font dialogFont = FL_HELVETICA;
// A label that does not fit its control at FL_NORMAL_SIZE is drawn smaller, down to this.
constexpr Fl_Fontsize smallestLabelSize = 8;
// Free pixels on either side of a button's label, inside the button's border.
constexpr int buttonLabelMargin = 2;
// FLTK draws a label aligned left or right this far in from the box's border.
constexpr int alignedLabelInset = 3;

constexpr unsigned buttonKindMask = 0x0Fu;
constexpr unsigned defaultPushButton = 0x01u;
constexpr unsigned groupBox = 0x07u;

// As Windows' MulDiv: rounded to the nearest pixel, halves away from zero.
int scaled(int value, int numerator, int denominator) {
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

bool isTrackbar(const DialogControlTemplate& control) {
    return std::strcmp(control.className, "msctls_trackbar32") == 0;
}

// The width a control's label may take at most: a group box's caption between the frame's
// sides, a button's label inside its border with a margin, and on the default button clear of
// the return arrow as well.
int labelRoomWidth(const Fl_Widget& widget) {
    if (dynamic_cast<const Fl_Return_Button*>(&widget)) {
        // The arrow takes a square of the button's height (a third of its width at most) that
        // starts arrow + 4 pixels from the right end; the label is centred on the left
        // w - arrow + 4 pixels, so it ends before the arrow when at most w - arrow - 12 wide.
        int arrow = widget.h() < widget.w() / 3 ? widget.h() : widget.w() / 3;
        return widget.w() - arrow - 12 - 2 * buttonLabelMargin;
    }
    int border = Fl::box_dw(widget.box());
    if (dynamic_cast<const Fl_Button*>(&widget)) return widget.w() - border - 2 * buttonLabelMargin;
    return widget.w() - border - 2 * alignedLabelInset;
}

int labelRoomHeight(const Fl_Widget& widget) {
    return widget.h() - Fl::box_dh(widget.box());
}

// Base units are whole pixels, so a long label can come out a little wider than its control
// at some font sizes: that one label is drawn smaller, as large as it fits.
void shrinkLabelToFit(Fl_Widget& widget) {
    if (widget.label() == nullptr || widget.label()[0] == '\0') return;
    for (;;) {
        int width = 0;
        int height = 0;
        widget.measure_label(width, height);
        bool fits = width <= labelRoomWidth(widget) && height <= labelRoomHeight(widget);
        if (fits || widget.labelsize() <= smallestLabelSize) return;
        widget.labelsize(widget.labelsize() - 1);
    }
}

} // namespace

int DialogBaseUnits::pixelsX(int dialogUnits) const {
    return scaled(dialogUnits, x, 4);
}

int DialogBaseUnits::pixelsY(int dialogUnits) const {
    return scaled(dialogUnits, y, 8);
}

DialogBaseUnits dialogFontBaseUnits() {
    openToolkitDisplay();
    fl_font(dialogFont, FL_NORMAL_SIZE);
    // The average width of the 52 letters in whole pixels, as GdiGetCharDimensions has it.
    int letters =
        static_cast<int>(fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") + 0.5);
    return {(letters / 26 + 1) / 2, fl_height()};
}

FltkDialog::FltkDialog(const DialogTemplate& dialogTemplate, DialogProcedure dialogProcedure)
    : FltkDialog(dialogTemplate, dialogProcedure, dialogFontBaseUnits()) {}

FltkDialog::FltkDialog(const DialogTemplate& dialogTemplate, DialogProcedure dialogProcedure,
                       const DialogBaseUnits& units)
    : Fl_Window(units.pixelsX(dialogTemplate.width), units.pixelsY(dialogTemplate.height),
                dialogTemplate.caption),
      procedure(dialogProcedure) {
    for (int k = 0; k < dialogTemplate.controlCount; ++k)
        addControl(dialogTemplate.controls[k], units);
    end();
    callback(onCloseRequest);
}

void FltkDialog::addControl(const DialogControlTemplate& control, const DialogBaseUnits& units) {
    int x = units.pixelsX(control.x);
    int y = units.pixelsY(control.y);
    int w = units.pixelsX(control.width);
    int h = units.pixelsY(control.height);
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
    widget->labelfont(dialogFont);
    widget->labelsize(FL_NORMAL_SIZE);
    shrinkLabelToFit(*widget);
    widget->user_data(reinterpret_cast<void*>(std::uintptr_t{control.id}));
}

Fl_Widget* FltkDialog::control(unsigned controlId) const {
    for (int k = 0; k < children(); ++k) {
        Fl_Widget* widget = child(k);
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
