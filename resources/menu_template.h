#pragma once

#include "platform/window_types.h"

// Menu resource 100: "File", "Options" and "Help" with the viewer's five commands.
extern const MenuTemplate viewerMenu;
