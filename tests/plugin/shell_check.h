// Reading a host object back as a surface: its live faces as positions, and
// the properties a thickened shell must have.
#pragma once

#include <vector>

#include "host/object.h"

struct FaceView {
    std::vector<MQPoint> points;
    std::vector<MQCoordinate> uvs;
    int material;
};

// The live faces of `object`, in face order, with their points' positions.
std::vector<FaceView> LiveFaces(const MQObjectRec& object);

// The positions of the live vertices, in index order.
std::vector<MQPoint> LivePositions(const MQObjectRec& object);

// Every edge of the live faces of three or four points (lines left out) is
// used by exactly two faces, once in each direction: the faces form a closed
// surface with one orientation.
bool IsClosedAndConsistentlyOriented(const MQObjectRec& object);

// The enclosed volume, positive when the faces point outward by the host's
// rule (a face's normal points to the side from which its points run
// clockwise).
double SignedVolume(const MQObjectRec& object);

// True when the two point sequences are the same cycle (same order, any
// starting point), position by position within `tolerance`.
bool SameCycle(const std::vector<MQPoint>& a, const std::vector<MQPoint>& b, float tolerance);
