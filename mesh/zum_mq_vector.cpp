#include "mesh/zum_mq_vector.h"

bool ZUM_MQVector::Normalize() {
    const double length = Length();
    // A zero vector has no direction; dividing would turn every component
    // into NaN. It stays (0, 0, 0), which callers read as "do not move".
    if (length == 0.0) return true;
    x /= length;
    y /= length;
    z /= length;
    return true;
}
