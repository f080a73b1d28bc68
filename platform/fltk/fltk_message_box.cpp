#include "platform/fltk/fltk_message_box.h"

#include "platform/window_types.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

namespace {

constexpr int margin = 12;
constexpr int iconSize = 40;
constexpr int buttonWidth = 80;
constexpr int buttonHeight = 26;

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

// The text's own size, line by line, in the box's font.
void measureText(const char* text, int& width, int& height) {
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    width = 0;
    height = 0;
    fl_measure(text, width, height, 0);
    // Room for the label's own inner margins, so the lines are never wrapped.
    width += 8;
}

} // namespace

int showMessageBox(Fl_Window* owner, const char* text, const char* caption, unsigned flags) {
    int textWidth = 0;
    int textHeight = 0;
    measureText(text, textWidth, textHeight);
    IconLook icon = iconFor(flags);
    int textLeft = margin + (icon.label ? iconSize + margin : 0);
    int width = textLeft + textWidth + margin;
    int bodyHeight = textHeight > iconSize ? textHeight : iconSize;
    int height = margin + bodyHeight + margin + buttonHeight + margin;
    if (width < buttonWidth + 2 * margin) width = buttonWidth + 2 * margin;

    Fl_Window box(width, height, caption);
    if (icon.label) {
        auto* iconBox = new Fl_Box(FL_OVAL_BOX, margin, margin, iconSize, iconSize, icon.label);
        iconBox->color(icon.colour);
        iconBox->labelfont(FL_HELVETICA_BOLD);
        iconBox->labelsize(22);
        iconBox->labelcolor(icon.colour == FL_YELLOW ? FL_BLACK : FL_WHITE);
    }
    auto* message = new Fl_Box(textLeft, margin, textWidth, bodyHeight, text);
    message->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    auto* ok = new Fl_Return_Button((width - buttonWidth) / 2, height - margin - buttonHeight,
                                    buttonWidth, buttonHeight, "OK");
    ok->callback(onOk);
    box.end();
    box.set_modal();
    if (owner && owner->shown())
        box.position(owner->x() + (owner->w() - width) / 2, owner->y() + (owner->h() - height) / 2);
    box.show();
    while (box.shown())
        Fl::wait();
    return IDOK;
}
