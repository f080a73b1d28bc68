#pragma once

#include "platform/window_types.h"

#include <cstdint>

// The main window's message handler: size, paint, close, menu commands and system commands;
// everything else goes to the system's default handling.
std::intptr_t viewerWindowProc(WindowHandle window, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam);
