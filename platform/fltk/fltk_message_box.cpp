#include "platform/fltk/fltk_message_box.h"

#include "platform/fltk/fltk_dialog.h"
#include "platform/window_types.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

namespace {

// In dialog units of the dialog font (as the Sensitivity dialog's): the margins, the icon's
// side and the OK button, the size of the dialog's buttons.
constexpr int marginUnits = 6;
constexpr int iconUnits = 19;
constexpr int buttonWidthUnits = 50;
constexpr int buttonHeightUnits = 14;
// The icon's letter takes about half of the icon's height.
constexpr int iconLetterPercent = 55;
// Free pixels on either side of the OK button's label, besides its border and return arrow.
constexpr int buttonLabelMargin = 2;
// FLTK draws a label aligned left this far in from either side of its box.
constexpr int alignedLabelInset = 3;

struct IconLook {
    const char* label;
    Fl_Color colour;
};

IconLook iconFor(unsigned flags) {
    switch (flags & 0xF0u) {
    case MB_ICONERROR:
        return {"X", FL_RED};
    case MB_ICONEXCLAMATION:
        return {"!", FL_YELLOW};
    case MB_ICONINFORMATION:
        return {"i", FL_BLUE};
    default:
        return {nullptr, FL_BACKGROUND_COLOR};
    }
}

void onOk(Fl_Widget* button, void*) {
    button->window()->hide();
}

// The text's own size, line by line, in the box's font; the lines are never wrapped.
void measureText(const char* text, int& width, int& height) {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    width = 0;
    height = 0;
    fl_measure(text, width, height, 0);
}

// The OK button: the dialog's button size, wider where its label and arrow need it. The
// return arrow takes a square of the button's height at its right end, and 4 pixels beside.
int okButtonWidth(const DialogBaseUnits& units, int height) {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int label = static_cast<int>(fl_width("OK") + 0.5);
    int needed = label + 2 * buttonLabelMargin + height + 12;
    int standard = units.pixelsX(buttonWidthUnits);
    return needed > standard ? needed : standard;
}

} // namespace

FltkMessageBox::FltkMessageBox(const char* text, const char* caption, unsigned flags)
    : Fl_Window(1, 1, caption) {
    DialogBaseUnits units = dialogFontBaseUnits();
    int marginX = units.pixelsX(marginUnits);
    int marginY = units.pixelsY(marginUnits);
    int iconSize = units.pixelsY(iconUnits);
    int buttonHeight = units.pixelsY(buttonHeightUnits);
    int buttonWidth = okButtonWidth(units, buttonHeight);

    int textWidth = 0;
    int textHeight = 0;
    measureText(text, textWidth, textHeight);
    // Room for the label's inner margins, and a pixel to spare on either side.
    textWidth += 2 * alignedLabelInset + 2;
    IconLook look = iconFor(flags);
    int textLeft = marginX + (look.label ? iconSize + marginX : 0);
    int width = textLeft + textWidth + marginX;
    int bodyHeight = textHeight > iconSize ? textHeight : iconSize;
    int height = marginY + bodyHeight + marginY + buttonHeight + marginY;
    if (width < buttonWidth + 2 * marginX) width = buttonWidth + 2 * marginX;
    // Sized before any child is added, so that no child is resized with the window.
    size(width, height);

    if (look.label) {
        iconBox = new Fl_Box(FL_OVAL_BOX, marginX, marginY, iconSize, iconSize, look.label);
        iconBox->color(look.colour);
        iconBox->labelfont(FL_HELVETICA_BOLD);
        iconBox->labelsize(iconSize * iconLetterPercent / 100);
        iconBox->labelcolor(look.colour == FL_YELLOW ? FL_BLACK : FL_WHITE);
    }
    messageBox = new Fl_Box(textLeft, marginY, textWidth, bodyHeight, text);
    messageBox->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    messageBox->labelfont(FL_HELVETICA);
    messageBox->labelsize(FL_NORMAL_SIZE);
    ok = new Fl_Return_Button((width - buttonWidth) / 2, height - marginY - buttonHeight,
                              buttonWidth, buttonHeight, "OK");
    ok->labelfont(FL_HELVETICA);
    ok->labelsize(FL_NORMAL_SIZE);
    ok->callback(onOk);
    end();
}

void FltkMessageBox::run(Fl_Window* owner) {
    set_modal();
    if (owner && owner->shown())
        position(owner->x() + (owner->w() - w()) / 2, owner->y() + (owner->h() - h()) / 2);
    show();
    while (shown())
        Fl::wait();
}

int showMessageBox(Fl_Window* owner, const char* text, const char* caption, unsigned flags) {
    FltkMessageBox box(text, caption, flags);
    box.run(owner);
    return IDOK;
}
