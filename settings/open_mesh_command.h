#pragma once

#include "platform/window_types.h"

// File > Open...: asks for a mesh file, replaces the mesh with it and draws it in mainWindow
// before returning. paintEnabled is clear while the chooser is up and the file is read, and
// set again on both outcomes. False when the user cancels (the mesh stays). A file that does
// not load ends the program, after a box, with status 1 and without saving the settings.
bool openMeshCommand(WindowHandle mainWindow, bool& paintEnabled);

// Opens the file at path as File > Open... opens the one chosen: a file dropped on the window or
// named on the command line. True when it loaded and was drawn.
bool openMeshPath(WindowHandle mainWindow, const char* path, bool& paintEnabled);
