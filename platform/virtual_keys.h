#pragma once

// Virtual-key codes, the numbers Windows gives keys in WM_KEYDOWN's wParam. Letters and digits
// are their upper-case ASCII codes ('L', 'F', 'H').
constexpr unsigned VK_RETURN = 0x0D;
constexpr unsigned VK_PRIOR = 0x21; // Page Up
constexpr unsigned VK_NEXT = 0x22;  // Page Down
constexpr unsigned VK_END = 0x23;
constexpr unsigned VK_HOME = 0x24;
constexpr unsigned VK_LEFT = 0x25;
constexpr unsigned VK_UP = 0x26;
constexpr unsigned VK_RIGHT = 0x27;
constexpr unsigned VK_DOWN = 0x28;
constexpr unsigned VK_ADD = 0x6B;      // the keypad's +
constexpr unsigned VK_SUBTRACT = 0x6D; // the keypad's -
constexpr unsigned VK_F1 = 0x70;
constexpr unsigned VK_F5 = 0x74;
constexpr unsigned VK_F11 = 0x7A;
constexpr unsigned VK_F12 = 0x7B;
constexpr unsigned VK_OEM_PLUS = 0xBB;  // the main keyboard's + (= on a US layout)
constexpr unsigned VK_OEM_MINUS = 0xBD; // the main keyboard's -
