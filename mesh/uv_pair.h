// One UV table entry of a polygon, in double precision; the host keeps UV
// values as floats and they are widened on load and narrowed on write-back.
#pragma once

struct UVPair {
    double u;
    double v;
};
