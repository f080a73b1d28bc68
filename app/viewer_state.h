#pragma once

#include "platform/window_types.h"

#include <string>

// The main window's handles, held from opening to closing.
extern WindowHandle mainWindow;
extern DeviceContextHandle deviceContext;
extern GLContextHandle glContext;

// Paint messages draw the mesh only while this is set; cleared at start.
extern bool paintEnabled;

// The folder the viewer was started in.
extern std::string startupFolder;
