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

// Reads the file at path in place of the mesh shown, keeping the view, as Open reads a file; a
// file that does not load leaves the shown mesh as it was and never ends the program. Draws in
// mainWindow either way. True when it loaded.
bool reopenMeshPath(WindowHandle mainWindow, const char* path, bool& paintEnabled);

// The whole path of the mesh shown, or an empty text before any has loaded.
const char* shownMeshFile();
