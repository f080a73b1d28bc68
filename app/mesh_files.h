#pragma once

#include "platform/window_types.h"

// The keys and events that read mesh files other than through File > Open...: reading the shown
// file again, its folder's other meshes, and following the file while it changes on disk. None
// of them ends the program: a file that does not load leaves the shown mesh and says so in the
// status line.

// F5.
void reloadShownMesh(WindowHandle window);
// Page Down (step 1) and Page Up (step -1): the next .msh of the shown file's folder in name
// order, wrapping at the ends; files that do not load are skipped.
void showNeighbourMesh(WindowHandle window, int step);

// --watch: a change to the shown file or one of its images reads it again once it settles.
void setWatching(bool watching);
// To be called once a mesh has been opened by any way, so the watch follows it.
void followShownMesh(WindowHandle window);
void onFileChanged(WindowHandle window);
// True when the timer was the watch's.
bool onWatchTimer(WindowHandle window, unsigned timerId);
