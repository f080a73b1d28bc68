#pragma once

#include <cstdint>

// Window messages keep the numbers and parameter layout Windows gives them.
constexpr unsigned WM_SIZE = 0x0005;
constexpr unsigned WM_ACTIVATE = 0x0006;
constexpr unsigned WM_PAINT = 0x000F;
constexpr unsigned WM_CLOSE = 0x0010;
// A key pressed (again while held); wParam carries its virtual-key code (platform/virtual_keys.h).
constexpr unsigned WM_KEYDOWN = 0x0100;
// The same for a key pressed with Alt, or F10.
constexpr unsigned WM_SYSKEYDOWN = 0x0104;
constexpr unsigned WM_INITDIALOG = 0x0110;
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_SYSCOMMAND = 0x0112;
// A timer set with setTimer has run out; wParam carries its id.
constexpr unsigned WM_TIMER = 0x0113;
constexpr unsigned WM_MOUSEMOVE = 0x0200;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_MOUSEWHEEL = 0x020A;
constexpr unsigned WM_MOUSELEAVE = 0x02A3;
// Files dropped on the window; wParam carries the drop (DropHandle).
constexpr unsigned WM_DROPFILES = 0x0233;
// The first number Windows leaves to a program's own messages.
constexpr unsigned WM_APP = 0x8000;
// A file given to watchFiles has changed on disk.
constexpr unsigned WM_FILE_CHANGED = WM_APP + 1;

// Trackbar messages.
constexpr unsigned TBM_GETPOS = 0x0400;
constexpr unsigned TBM_SETPOS = 0x0405;
constexpr unsigned TBM_SETRANGE = 0x0406;

// Escape in a dialog arrives as this command.
constexpr unsigned IDCANCEL = 2;

constexpr std::uintptr_t SC_SCREENSAVE = 0xF140;
constexpr std::uintptr_t SC_MONITORPOWER = 0xF170;
constexpr int WHEEL_DELTA = 120;

constexpr std::intptr_t makeLParam(unsigned low, unsigned high) {
    return static_cast<std::intptr_t>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}
constexpr unsigned lowWord(std::uintptr_t value) {
    return value & 0xFFFFu;
}
constexpr unsigned highWord(std::uintptr_t value) {
    return (value >> 16) & 0xFFFFu;
}
// Pointer coordinates and wheel deltas are signed 16-bit words.
constexpr int signedLowWord(std::uintptr_t value) {
    return static_cast<std::int16_t>(value & 0xFFFFu);
}
constexpr int signedHighWord(std::uintptr_t value) {
    return static_cast<std::int16_t>((value >> 16) & 0xFFFFu);
}
