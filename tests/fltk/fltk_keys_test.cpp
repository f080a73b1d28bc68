// The keys the FLTK backend hands to the window procedure, as FLTK names them (Fl::event_key()
// and Fl::event_state()), and the keys it leaves to FLTK.
#include "platform/fltk/fltk_keys.h"
#include "platform/virtual_keys.h"
#include "platform/window_messages.h"

#include <FL/Enumerations.H>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr unsigned none = 0;

TEST(FltkKeysTest, KeysBecomeWindowsKeyMessagesAndModifiedKeysStayWithFltk) {
    struct Case {
        const char* what;
        int key;
        int state;
        unsigned message; // none: not delivered
        unsigned virtualKey;
    } cases[] = {
        {"l", 'l', 0, WM_KEYDOWN, 'L'},
        {"Shift+l", 'l', FL_SHIFT, WM_KEYDOWN, 'L'},
        {"l with Caps Lock and Num Lock on", 'l', FL_CAPS_LOCK | FL_NUM_LOCK, WM_KEYDOWN, 'L'},
        {"an upper-case key symbol", 'F', 0, WM_KEYDOWN, 'F'},
        {"h", 'h', 0, WM_KEYDOWN, 'H'},
        {"z", 'z', 0, WM_KEYDOWN, 'Z'},
        {"7", '7', 0, WM_KEYDOWN, '7'},
        {"Enter", FL_Enter, 0, WM_KEYDOWN, VK_RETURN},
        {"keypad Enter", FL_KP_Enter, 0, WM_KEYDOWN, VK_RETURN},
        {"Home", FL_Home, 0, WM_KEYDOWN, VK_HOME},
        {"End", FL_End, 0, WM_KEYDOWN, VK_END},
        {"Page Up", FL_Page_Up, 0, WM_KEYDOWN, VK_PRIOR},
        {"Page Down", FL_Page_Down, 0, WM_KEYDOWN, VK_NEXT},
        {"Left", FL_Left, 0, WM_KEYDOWN, VK_LEFT},
        {"Up", FL_Up, 0, WM_KEYDOWN, VK_UP},
        {"Right", FL_Right, 0, WM_KEYDOWN, VK_RIGHT},
        {"Shift+Down", FL_Down, FL_SHIFT, WM_KEYDOWN, VK_DOWN},
        {"F1", FL_F + 1, 0, WM_KEYDOWN, VK_F1},
        {"F5", FL_F + 5, 0, WM_KEYDOWN, VK_F5},
        {"F10, a system key on Windows", FL_F + 10, 0, WM_SYSKEYDOWN, VK_F1 + 9},
        {"F11", FL_F + 11, 0, WM_KEYDOWN, VK_F11},
        {"F12", FL_F + 12, 0, WM_KEYDOWN, VK_F12},
        {"the + key of a US layout", '=', 0, WM_KEYDOWN, VK_OEM_PLUS},
        {"Shift and the + key of a US layout", '=', FL_SHIFT, WM_KEYDOWN, VK_OEM_PLUS},
        {"a + key of its own", '+', 0, WM_KEYDOWN, VK_OEM_PLUS},
        {"-", '-', 0, WM_KEYDOWN, VK_OEM_MINUS},
        {"keypad +", FL_KP + '+', 0, WM_KEYDOWN, VK_ADD},
        {"keypad -", FL_KP + '-', FL_NUM_LOCK, WM_KEYDOWN, VK_SUBTRACT},
        {"keypad 4 with Num Lock", FL_KP + '4', FL_NUM_LOCK, WM_KEYDOWN, 0x64},
        {"Ctrl+l", 'l', FL_CTRL, none, 0},
        {"Ctrl+plus, FLTK 1.4's rescaling", '=', FL_CTRL, none, 0},
        {"Ctrl+minus", '-', FL_CTRL | FL_SHIFT, none, 0},
        {"Ctrl+keypad +", FL_KP + '+', FL_CTRL, none, 0},
        {"Alt+f, the menu's", 'f', FL_ALT, none, 0},
        {"Alt+Enter", FL_Enter, FL_ALT, none, 0},
        {"Meta+Home", FL_Home, FL_META, none, 0},
        {"Ctrl+F11", FL_F + 11, FL_CTRL, none, 0},
        {"Escape", FL_Escape, 0, none, 0},
        {"Tab", FL_Tab, 0, none, 0},
        {"Shift alone", FL_Shift_L, FL_SHIFT, none, 0},
        {"a key beyond F24", FL_F + 25, 0, none, 0},
        {"keypad *", FL_KP + '*', 0, none, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowKey key{none, 0};
        bool delivered = windowKeyFor(c.key, c.state, key);
        EXPECT_EQ(delivered, c.message != none);
        if (!delivered) continue;
        EXPECT_EQ(key.message, c.message);
        EXPECT_EQ(key.virtualKey, c.virtualKey);
    }
}

} // namespace
