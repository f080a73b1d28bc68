#pragma once

#include "bench/mesh_generator.h"

// The committed sample models.
GenMesh makeHullExample(); // the format's worked example, two groups, one texture
GenMesh makeCubeSample();  // textured cube, two materials, a translucent lid
GenMesh makeTorusSample(); // 50,000 triangles in two halves, one of them textured

// Writes hull.msh, cube.msh, torus.msh and the images they name into folder, then reads each
// image back. False at the first file that cannot be written or read back.
bool writeSamples(const char* folder);
