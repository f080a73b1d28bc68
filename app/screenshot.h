#pragma once

#include "platform/window_types.h"

// F12: the picture as it is on screen, saved as a new PNG in the pictures folder's Korvalin/
// (the start-up folder's where the system names no pictures folder), named after the mesh with
// a number that no file there has yet. The status line says where it went, or why not.
void takeScreenshot(WindowHandle window);
