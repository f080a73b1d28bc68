#pragma once

#include "tools/convert/import_placement.h"
#include "tools/convert/msh_model.h"

// The vertices and triangles of a placed mesh in the viewer's frame (see frame.h), its
// texture coordinates from set `uvChannel`, v turned for an image delivered top row first.
// Vertices equal in all eight numbers are kept once; faces that are not triangles, or whose
// corners lie outside the mesh, are left out.
MshGroup makeGroup(const Placement& placement, unsigned uvChannel, bool topRowFirst);
