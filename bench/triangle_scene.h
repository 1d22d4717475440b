// The input of the format benchmarks: one object of triangles over a bumpy
// square grid, with a UV pair per corner, the same bits on every run.
#pragma once

#include <cstddef>

#include "formats/scene.h"

// A scene of one object with `triangles` triangles (rounded down to an even
// count of at least two), every corner of a vertex with the same UV.
Scene MakeTriangleScene(size_t triangles);
