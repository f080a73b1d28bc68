#pragma once

#include "tools/convert/msh_model.h"
#include "tools/convert/notes.h"

// The viewer has no lights: a surface shows its ambient colour (plus emission), with the
// diffuse alpha as its opacity. Materials that would show nothing there are made visible,
// each change said once in `notes`:
// - a black ambient colour beside a diffuse one that is not black takes the diffuse colour;
// - when every material is fully transparent (a misread file, almost always), all are opaque.
void makeMaterialsVisible(MshModel& model, Notes& notes);
