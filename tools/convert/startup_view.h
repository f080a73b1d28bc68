#pragma once

#include "tools/convert/msh_model.h"
#include "tools/convert/notes.h"

#include <string>

// The viewer's view right after start-up, in a .msh file's coordinates: the eye at
// (-10, 0, 0) looking along +x with y up, a vertical field of view of 70 degrees, aspect 4/3,
// near plane 0.1 and far plane 1000 (render/viewport.cpp, render/draw_pass.cpp).
struct ModelBounds {
    double low[3] = {0, 0, 0};
    double high[3] = {0, 0, 0};
    bool empty = true;
};

// The box around every vertex a triangle uses.
ModelBounds boundsOf(const MshModel& model);

// Centres the model's box at the origin and scales the model uniformly so that its bounding
// sphere (about the box's centre) fills most of the start-up view and stays inside it however
// the model is turned. False when the model has no extent to scale.
bool fitToStartupView(MshModel& model);

// Why the model would not be seen from the start-up camera (the eye inside its box, the box or
// every triangle outside the view, a few pixels across at most), or empty when it would be.
std::string whyUnseenAtStartup(const MshModel& model);

// With fit, fitToStartupView; without it, a note when the model would not be seen.
void placeForStartupView(MshModel& model, bool fit, Notes& notes);
