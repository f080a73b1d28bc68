#pragma once

#include "platform/window_types.h"

#include <string>

// The main window's handles, held from opening to closing.
extern WindowHandle mainWindow;
extern DeviceContextHandle deviceContext;
extern GLContextHandle glContext;

// Paint messages draw the mesh only while this is set; cleared at start.
extern bool paintEnabled;

// The client area's size as the last WM_SIZE gave it, in pixels. Until the first resize after
// start-up the GL viewport keeps the size asked for, which may be taller than this.
extern int clientAreaWidth;
extern int clientAreaHeight;

// The folder the viewer was started in.
extern std::string startupFolder;
