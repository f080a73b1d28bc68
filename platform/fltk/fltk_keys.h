#pragma once

// A key press as the window procedure gets it: WM_KEYDOWN, or WM_SYSKEYDOWN for F10 as Windows
// sends it, with the key's virtual-key code in wParam.
struct WindowKey {
    unsigned message;
    unsigned virtualKey;
};

// The message for an FLTK key (Fl::event_key()) pressed in a modifier state (Fl::event_state()).
// False for keys left to FLTK: those held with Ctrl, Alt or Meta (FLTK 1.4 rescales the window
// with Ctrl+plus and Ctrl+minus, the menu bar opens with Alt), Escape, and keys without a code.
bool windowKeyFor(int fltkKey, int state, WindowKey& key);
