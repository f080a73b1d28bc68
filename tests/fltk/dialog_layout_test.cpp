// The Sensitivity dialog and the message boxes as the FLTK backend builds them, measured against
// a real X server at FLTK's default font size and at one half as large again (as users with
// large fonts set FL_NORMAL_SIZE): every label fits its control with its font as drawn, and no
// control covers another or leaves its window.
#include "platform/fltk/fltk_dialog.h"
#include "platform/fltk/fltk_message_box.h"
#include "platform/window_types.h"
#include "resources/about_text.h"
#include "resources/dialog_template.h"
#include "tests/fltk/private_xvfb.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Slider.H>
#include <FL/fl_draw.H>

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

::testing::Environment* const xvfb = ::testing::AddGlobalTestEnvironment(new PrivateXvfb);

struct FontSize {
    Fl_Fontsize normalSize;
    // Whether every label must be drawn at FL_NORMAL_SIZE itself; elsewhere the backend may
    // draw one that would not fit a size or two smaller.
    bool labelsAtNormalSize;
};

// FLTK's default, one half as large again, and a smaller size at which the whole-pixel base
// units leave "Default Settings" a few pixels short, so that its label is drawn smaller.
const FontSize fontSizes[] = {{14, true}, {21, true}, {12, false}};

// Free pixels beside a button's label, inside its border and clear of the return arrow.
constexpr int buttonLabelMargin = 2;
// FLTK draws a label aligned left or right this far in from its box's border.
constexpr int alignedLabelInset = 3;

struct Rect {
    int x, y, w, h;

    int right() const { return x + w; }
    int bottom() const { return y + h; }
    bool intersects(const Rect& other) const {
        return x < other.right() && other.x < right() && y < other.bottom() && other.y < bottom();
    }
    bool contains(const Rect& other) const {
        return other.x >= x && other.y >= y && other.right() <= right() &&
               other.bottom() <= bottom();
    }
};

std::ostream& operator<<(std::ostream& out, const Rect& rect) {
    return out << rect.w << "x" << rect.h << "+" << rect.x << "+" << rect.y;
}

Rect bounds(const Fl_Widget& widget) {
    return {widget.x(), widget.y(), widget.w(), widget.h()};
}

// Sets FL_NORMAL_SIZE for one scope, as a user's program start would, and puts it back.
class NormalSize {
  public:
    explicit NormalSize(Fl_Fontsize size) : saved(FL_NORMAL_SIZE) { FL_NORMAL_SIZE = size; }
    ~NormalSize() { FL_NORMAL_SIZE = saved; }
    NormalSize(const NormalSize&) = delete;
    NormalSize& operator=(const NormalSize&) = delete;

  private:
    Fl_Fontsize saved;
};

// The label's own size in its font and size, lines unwrapped.
void measureLabel(const Fl_Widget& widget, int& width, int& height) {
    fl_font(widget.labelfont(), widget.labelsize());
    width = 0;
    height = 0;
    fl_measure(widget.label(), width, height, 0);
}

bool hasLabel(const Fl_Widget& widget) {
    return widget.label() != nullptr && widget.label()[0] != '\0';
}

// A widget named in a failure: the first line of its label, or its place in the window.
std::string nameOf(const Fl_Widget& widget, int index) {
    if (!hasLabel(widget)) return "control " + std::to_string(index);
    std::string label = widget.label();
    return "\"" + label.substr(0, label.find('\n')) + "\"";
}

// Where FLTK draws the label of a widget, from its measured size and the widget's kind:
// - a return button centres it on its left w - W + 4 pixels, W the arrow's square (the
//   button's height, a third of its width at most), whose box starts W + 4 pixels from the
//   right end;
// - a button centres it inside its border;
// - a box aligns it as asked, inside its border, 3 pixels in from a side it is aligned to.
// `room` is where it must stay.
struct PlacedLabel {
    Rect drawn;
    Rect room;
};

PlacedLabel placeLabel(const Fl_Widget& widget) {
    int lw = 0;
    int lh = 0;
    measureLabel(widget, lw, lh);
    Rect box = bounds(widget);
    int dx = Fl::box_dx(widget.box());
    int dy = Fl::box_dy(widget.box());
    Rect inside{box.x + dx, box.y + dy, box.w - Fl::box_dw(widget.box()),
                box.h - Fl::box_dh(widget.box())};
    PlacedLabel placed{};
    if (dynamic_cast<const Fl_Return_Button*>(&widget)) {
        int arrow = box.h < box.w / 3 ? box.h : box.w / 3;
        int area = box.w - arrow + 4;
        placed.drawn = {box.x + (area - lw) / 2, box.y + (box.h - lh) / 2, lw, lh};
        int arrowLeft = box.right() - arrow - 4;
        placed.room = {inside.x + buttonLabelMargin, inside.y,
                       arrowLeft - buttonLabelMargin - (inside.x + buttonLabelMargin), inside.h};
    } else if (dynamic_cast<const Fl_Button*>(&widget)) {
        placed.drawn = {inside.x + (inside.w - lw) / 2, inside.y + (inside.h - lh) / 2, lw, lh};
        placed.room = {inside.x + buttonLabelMargin, inside.y, inside.w - 2 * buttonLabelMargin,
                       inside.h};
    } else {
        Fl_Align align = widget.align();
        EXPECT_TRUE((align & FL_ALIGN_INSIDE) || (align & FL_ALIGN_POSITION_MASK) == 0)
            << "a box label outside its box: " << widget.label();
        int x = inside.x + (inside.w - lw) / 2;
        if (align & FL_ALIGN_LEFT) x = inside.x + alignedLabelInset;
        if (align & FL_ALIGN_RIGHT) x = inside.right() - alignedLabelInset - lw;
        int y = inside.y + (inside.h - lh) / 2;
        if (align & FL_ALIGN_TOP) y = inside.y;
        if (align & FL_ALIGN_BOTTOM) y = inside.bottom() - lh;
        placed.drawn = {x, y, lw, lh};
        placed.room = {inside.x + alignedLabelInset, inside.y, inside.w - 2 * alignedLabelInset,
                       inside.h};
    }
    return placed;
}

// Every label inside its room, at FL_NORMAL_SIZE where asked; every widget inside the window;
// no two widgets overlapping unless one is a frame (a group box) holding the other; no label
// over another widget than its own or the frame around it.
void expectLaidOut(const Fl_Window& window, const FontSize& size,
                   const std::vector<const Fl_Widget*>& frames) {
    Rect client{0, 0, window.w(), window.h()};
    auto isFrame = [&](const Fl_Widget* widget) {
        for (const Fl_Widget* frame : frames)
            if (frame == widget) return true;
        return false;
    };
    for (int i = 0; i < window.children(); ++i) {
        const Fl_Widget& widget = *window.child(i);
        std::string name = nameOf(widget, i);
        Rect box = bounds(widget);
        EXPECT_TRUE(client.contains(box))
            << name << " at " << box << " leaves the " << client << " window";
        if (hasLabel(widget)) {
            if (size.labelsAtNormalSize) {
                EXPECT_EQ(widget.labelsize(), size.normalSize) << name << "'s label size";
            }
            PlacedLabel label = placeLabel(widget);
            EXPECT_TRUE(label.room.contains(label.drawn))
                << name << "'s label, drawn at " << label.drawn << " (size " << widget.labelsize()
                << "), leaves its room " << label.room << " in " << box;
            for (int j = 0; j < window.children(); ++j) {
                const Fl_Widget& other = *window.child(j);
                if (j == i || (isFrame(&other) && bounds(other).contains(box))) continue;
                EXPECT_FALSE(label.drawn.intersects(bounds(other)))
                    << name << "'s label at " << label.drawn << " covers control " << j << " at "
                    << bounds(other);
            }
        }
        for (int j = i + 1; j < window.children(); ++j) {
            const Fl_Widget& other = *window.child(j);
            Rect otherBox = bounds(other);
            if (!box.intersects(otherBox)) continue;
            bool framed = (isFrame(&widget) && box.contains(otherBox)) ||
                          (isFrame(&other) && otherBox.contains(box));
            EXPECT_TRUE(framed) << name << " at " << box << " overlaps control " << j << " at "
                                << otherBox;
        }
    }
}

std::intptr_t ignoreMessages(WindowHandle, unsigned, std::uintptr_t, std::intptr_t) {
    return 0;
}

TEST(FltkDialogLayout, SensitivityLabelsFitTheirControlsAtEachFontSize) {
    for (const FontSize& size : fontSizes) {
        SCOPED_TRACE("FL_NORMAL_SIZE " + std::to_string(size.normalSize));
        NormalSize normal(size.normalSize);
        FltkDialog dialog(sensitivityDialog, ignoreMessages);
        ASSERT_EQ(dialog.children(), sensitivityDialog.controlCount);
        std::vector<const Fl_Widget*> frames;
        for (int i = 0; i < dialog.children(); ++i) {
            const DialogControlTemplate& control = sensitivityDialog.controls[i];
            const Fl_Widget* widget = dialog.child(i);
            EXPECT_STREQ(widget->label() ? widget->label() : "", control.text);
            if (dynamic_cast<const Fl_Slider*>(widget) == nullptr &&
                dynamic_cast<const Fl_Button*>(widget) == nullptr)
                frames.push_back(widget);
        }
        EXPECT_EQ(frames.size(), 2u) << "the two group boxes";
        expectLaidOut(dialog, size, frames);
    }
}

// Each layout of message box the program shows: the About box, the Error box of a failed
// File > Open... (its text as settings/open_mesh_command.cpp has it), an opening error and a
// box without an icon.
struct BoxCase {
    const char* caption;
    const char* text;
    unsigned flags;
};

const BoxCase messageBoxes[] = {
    {"About", aboutText, MB_OK | MB_ICONINFORMATION},
    {"Error",
     "Could not load the Ismarel Mesh file.\n"
     "Correct the path and check if it is an Ismarel Mesh file.",
     MB_OK | MB_ICONERROR},
    {"ERROR", "Can't Find A Suitable PixelFormat.", MB_OK | MB_ICONEXCLAMATION},
    {"Note", "OK", MB_OK},
};

TEST(FltkMessageBoxLayout, TextsFitTheirBoxesAtEachFontSize) {
    for (const FontSize& size : fontSizes) {
        NormalSize normal(size.normalSize);
        for (const BoxCase& box : messageBoxes) {
            SCOPED_TRACE("FL_NORMAL_SIZE " + std::to_string(size.normalSize) + ", " + box.caption +
                         " box");
            FltkMessageBox messageBox(box.text, box.caption, box.flags);
            ASSERT_NE(messageBox.message(), nullptr);
            ASSERT_NE(messageBox.okButton(), nullptr);
            EXPECT_EQ(messageBox.icon() != nullptr, (box.flags & 0xF0u) != 0);
            EXPECT_STREQ(messageBox.message()->label(), box.text);
            // The text and OK are the message box's own: drawn at FL_NORMAL_SIZE at every size.
            EXPECT_EQ(messageBox.message()->labelsize(), size.normalSize);
            EXPECT_EQ(messageBox.okButton()->labelsize(), size.normalSize);
            expectLaidOut(messageBox, {size.normalSize, false}, {});
        }
    }
}

} // namespace
