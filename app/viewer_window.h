#pragma once

// Opens the main window with a current, double-buffered GL context and the viewer's GL state.
// On failure a box says which step failed, and everything acquired is released first.
bool openViewerWindow();

// Releases the GL context, the device context, the window, the window class and then the
// mesh. Every step is attempted; a failing one shows a box and the rest go on.
void closeViewerWindow();
