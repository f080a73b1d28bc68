#pragma once

// The one way into the Windows headers. The program's own constants carry the names that
// Windows gives its macros (WM_PAINT, MB_OK, ...), with the same values: they are declared
// first, and windows.h then only adds its macros over them.
#include "platform/platform_services.h"
#include "platform/window_messages.h"
#include "platform/window_types.h"

// The portable code's GL headers get these from the build; windows.h defines its own.
#undef APIENTRY
#undef CALLBACK
#undef WINGDIAPI

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
