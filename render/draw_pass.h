#pragma once

// Multiplies the view of meshScene's camera into the current matrix: the eye on the negative
// X axis at cameraDistance, Z up, then the turns rotationY and rotationZ; after a fit
// (render/view_fit.h), all of it about the fitted centre instead of the origin.
void applyCamera();

// Draws meshScene once, group after group, and flushes; never swaps. Resolves material -1 to
// the previous group's number and stores it. Numbers out of range draw safely: a material
// outside -1..materialCount with the default material, a texture outside 0..textureCount
// untextured, and a triangle with a corner outside its group's vertices not at all. While the
// headlight is on (render/shading.h), a corner whose normal has length 0 gets its triangle's
// front normal.
void renderScene();
