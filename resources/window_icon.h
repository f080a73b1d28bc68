#pragma once

#include "platform/window_types.h"

// The viewer's icon, made in the build from resources/icons/korvalin-*.png.
extern const WindowIcon viewerIcon;
