#pragma once

// The start-up view and a view that frames the whole model. After a fit the eye looks at the
// model's centre rather than the origin, and the camera turns about that point, until a reset.
// Arithmetic on meshScene's camera only: no GL context needed.

// The start-up view: both angles 0, the distance 10, the eye looking at the origin.
void resetView();

// Frames the whole model of meshScene at the current angles in a width × height window
// (the viewer's projection: 70° vertical field of view, aspect width/height, near 0.1,
// far 1000): the model's box centred and filling most of the picture. The eye then looks at
// the model's centre, not the origin, until resetView; the mouse and arrow keys keep
// turning the model about that centre. False, with the view unchanged, when there is
// nothing to frame. A height of 0 counts as 1, as in resizeViewport. The distance is the one
// the framing asks for even past the far plane, which then cuts the model's far side; a model
// smaller than the near plane's distance is framed as large as the near plane allows.
bool fitView(int width, int height);

// The point the eye looks at since the last fit, in the draw pass's axes (the file's second and
// third exchanged); false while it looks at the origin.
bool fittedCentre(double centre[3]);
