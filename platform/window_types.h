#pragma once

#include <cstddef>
#include <cstdint>

// Handles and records of the window services, in the shape the program's window code uses.
using WindowHandle = void*;
using DeviceContextHandle = void*;
using GLContextHandle = void*;

using WindowProcedure = std::intptr_t (*)(WindowHandle window, unsigned message,
                                          std::uintptr_t wParam, std::intptr_t lParam);

// A dialog is a window too: its procedure gets the same four arguments.
using DialogHandle = void*;
using DialogProcedure = WindowProcedure;

// The files of one drop on a window, until dragFinish frees them.
using DropHandle = void*;

struct Message {
    WindowHandle window = nullptr;
    unsigned id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

// One item of a menu bar: the popup it sits in, its text and the command id it sends.
struct MenuTemplateItem {
    const char* popup;
    const char* text;
    unsigned commandId;
};

struct MenuTemplate {
    int resourceId;
    const MenuTemplateItem* items;
    int itemCount;
};

// A window's icon: the same picture as PNG files of several sizes, smallest first.
struct WindowIconImage {
    const unsigned char* png;
    std::size_t size;
};

struct WindowIcon {
    const WindowIconImage* images;
    int imageCount;
};

struct WindowClass {
    const char* name;
    WindowProcedure procedure;
    const MenuTemplate* menu;
    const WindowIcon* icon = nullptr;
};

// The drawing surface a window asks for.
struct PixelFormatRequest {
    bool doubleBuffer;
    bool rgba;
    int colourBits;
    int depthBits;
};

// Message box buttons and icons, with the values Windows gives them.
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;

// One control of a dialog template; positions and sizes in dialog units.
struct DialogControlTemplate {
    unsigned id;
    const char* className; // "Button" or "msctls_trackbar32"
    const char* text;
    int x, y, width, height;
    unsigned style;
};

struct DialogTemplate {
    int resourceId;
    const char* caption;
    int x, y, width, height;
    unsigned style;
    const char* fontName;
    int fontPoints;
    const DialogControlTemplate* controls; // in tab order
    int controlCount;
};
