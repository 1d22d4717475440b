// The shape of the object the command added, measured on the host's own
// arrays: counts, closedness, orientation, volume and finiteness.
#pragma once

#include <cstddef>

#include "host/object.h"

struct ShellShape {
    size_t vertices = 0;  // live vertices
    size_t faces = 0;     // live faces of three or four points
    size_t others = 0;    // live faces of one or two points
    bool closed = false;  // every edge of the faces used by exactly two of them
    bool oriented = false;  // every edge used twice is used once each way
    // Positive when the faces point outward (corners clockwise seen from the
    // front, as the host's run).
    double volume = 0;
    bool finite = true;  // every live vertex has finite coordinates
    bool wellFormed = true;  // every live face names distinct live vertices
};

ShellShape MeasureShell(const MQObjectRec& object);
