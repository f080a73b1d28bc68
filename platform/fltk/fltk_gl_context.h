#pragma once

#include <FL/Fl_Gl_Window.H>

// What differs between FLTK 1.3 (X11 and GLX only) and FLTK 1.4 (Wayland with EGL, or X11
// with GLX, chosen when the display opens): the rest of the backend stays version-free.

// Connects to the display once; later calls do nothing.
void openToolkitDisplay();

// Whether the calling thread's current GL context is the one FLTK made for a window.
bool isCurrentGLContext(GLContext context);

// Leaves no GL context current on the calling thread.
bool releaseCurrentGLContext();
