#pragma once

#include "bench/mesh_generator.h"

// The load benchmark's mesh: closed tori side by side, exactly this many in all.
constexpr int benchVertexCount = 1'000'000;
constexpr int benchTriangleCount = 2'000'000;

// Group counts that split the mesh evenly: the divisors of 2000 up to 64.
bool isValidBenchGroupCount(int groupCount);

// Fills mesh with groupCount tori and two untextured materials; false for an invalid count.
bool makeBenchMesh(int groupCount, GenMesh& mesh);
