#include "platform/fltk/fltk_keys.h"

#include "platform/virtual_keys.h"
#include "platform/window_messages.h"

#include <FL/Enumerations.H>

namespace {

// Codes Windows gives that the viewer's own header has no name for.
constexpr unsigned VK_F10 = VK_F1 + 9;
constexpr unsigned VK_NUMPAD0 = 0x60;
constexpr int lastFunctionKey = 24;

struct KeyRow {
    int fltkKey;
    unsigned virtualKey;
};

// Keys whose code is not their own character. The keypad's navigation keys (Num Lock off) reach
// here as the keys they stand for, as on Windows.
constexpr KeyRow namedKeys[] = {
    {FL_Enter, VK_RETURN},
    {FL_KP_Enter, VK_RETURN},
    {FL_Home, VK_HOME},
    {FL_End, VK_END},
    {FL_Page_Up, VK_PRIOR},
    {FL_Page_Down, VK_NEXT},
    {FL_Left, VK_LEFT},
    {FL_Up, VK_UP},
    {FL_Right, VK_RIGHT},
    {FL_Down, VK_DOWN},
    // A US layout has + as Shift and the = key; other layouts have a key of its own for it.
    {'=', VK_OEM_PLUS},
    {'+', VK_OEM_PLUS},
    {'-', VK_OEM_MINUS},
    {FL_KP + '+', VK_ADD},
    {FL_KP + '-', VK_SUBTRACT},
};

unsigned virtualKeyFor(int fltkKey) {
    if (fltkKey >= 'a' && fltkKey <= 'z') return static_cast<unsigned>(fltkKey - 'a' + 'A');
    if ((fltkKey >= 'A' && fltkKey <= 'Z') || (fltkKey >= '0' && fltkKey <= '9'))
        return static_cast<unsigned>(fltkKey);
    if (fltkKey >= FL_KP + '0' && fltkKey <= FL_KP + '9')
        return VK_NUMPAD0 + static_cast<unsigned>(fltkKey - (FL_KP + '0'));
    if (fltkKey > FL_F && fltkKey <= FL_F + lastFunctionKey)
        return VK_F1 + static_cast<unsigned>(fltkKey - (FL_F + 1));
    for (const KeyRow& row : namedKeys)
        if (row.fltkKey == fltkKey) return row.virtualKey;
    return 0;
}

} // namespace

bool windowKeyFor(int fltkKey, int state, WindowKey& key) {
    if (state & (FL_CTRL | FL_ALT | FL_META)) return false;
    unsigned virtualKey = virtualKeyFor(fltkKey);
    if (virtualKey == 0) return false;
    key = {virtualKey == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey};
    return true;
}
