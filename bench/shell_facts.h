// What the benchmark checks of a thickened result: its polygon count, and
// whether it is a closed shell that faces outward.
#pragma once

#include <cstddef>

struct MQObjectRec;

struct ShellFacts {
    size_t polygons = 0;  // live faces of three or four points
    // Every side of a polygon is the side of exactly one other polygon, run
    // the other way.
    bool closed = false;
    // The enclosed volume, positive when the polygons face outward (their
    // points run clockwise seen from outside, the host's front).
    double volume = 0.0;
};

ShellFacts FactsOf(const MQObjectRec& object);
