// Why a shell comes out open: what in the selected faces keeps the module's
// result from being a closed, consistently oriented shell.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "analysis/mesh_stats.h"
#include "formats/scene.h"

// A face of the scene: (object, face).
using SceneFaceRef = std::pair<uint32_t, uint32_t>;

struct SelectionFaults {
    // Points where two or more separate fans of faces meet (each such
    // point makes edges that four walls share).
    size_t fanVertices = 0;
    // Edges used by three or more faces.
    size_t crowdedEdges = 0;
    // Distinct points within the final weld distance (0.001) of another
    // distinct point, and of those, within the first weld's (0.0001): the
    // welds join them.
    size_t nearPoints = 0;
    size_t veryNearPoints = 0;
    // The least distance between two of those points (infinite: none).
    double nearestGap = INFINITY;
    // Edges whose two ends are the same point.
    size_t zeroLengthEdges = 0;
};

// Examines the faces `faces` of `scene` (faces of three or more points
// count) with their points joined where they have the same position, as
// the module's first weld joins them. `scale` is the factor the points are
// handed to the module with (--scale).
SelectionFaults DiagnoseSelection(const Scene& scene, const std::vector<SceneFaceRef>& faces,
                                  double scale = 1);

// The power of ten that --scale should take so that the points the welds
// would join (`faults`), and the surfaces `thickness` apart, lie apart; 0
// when no points are that near or no factor up to a million does.
double SuggestedScale(const SelectionFaults& faults, double thickness);

// The warning for `folded` faces of the front and back surfaces that the
// offset turned over, `atOnce` of them at any thickness, with the thickness
// below which the others were not yet turned (`unfoldedBelow`; 0 when not
// known).
std::string DescribeFolds(size_t folded, size_t atOnce, double unfoldedBelow);

// The warning for a result that is not closed or not oriented (`result`),
// naming the faults found, with their counts; `thickness` is the one the
// module was given (0: not known), and `scale` the factor the selection was
// diagnosed at, by which a suggested --scale is multiplied.
std::string DescribeOpenShell(const MeshStats& result, const SelectionFaults& faults,
                              double thickness = 0, double scale = 1);
