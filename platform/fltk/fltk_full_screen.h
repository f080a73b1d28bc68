#pragma once

#include <FL/Fl_Window.H>

// Full screen differs between window systems and between FLTK 1.3 and 1.4: the rest of the
// backend stays free of both.

// Whether Fl_Window::fullscreen() may be used on the toolkit's display: on Wayland, and on X11
// under a window manager that does full screen (EWMH). Without one, FLTK hides the window and
// shows it again: 1.3 destroys the client area's GL context with it, 1.4 makes a new X window
// and grabs the keyboard. The window is then laid over the screen by hand instead (placeWindow).
// Opens the display if it is not open yet.
bool windowSystemDoesFullScreen();

// Where a shown top-level window is, in FLTK units, as the X server has it: without a window
// manager FLTK never hears where it put the window first (it keeps it clear of a border).
void windowPosition(Fl_Window& window, int& x, int& y);

// Moves and sizes a shown top-level window, also when FLTK believes it is there already.
void placeWindow(Fl_Window& window, int x, int y, int w, int h);
