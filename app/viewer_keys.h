#pragma once

#include "platform/window_types.h"

// The viewer's own keys (WM_KEYDOWN's virtual-key codes). False for a key that is not one of
// them, which then gets the system's default handling.
bool handleViewerKey(WindowHandle window, unsigned virtualKey);
