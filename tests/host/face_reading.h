// Reading a face back through the C interface, for the host's tests.
#pragma once

#include <vector>

#include "host/mq_functions.h"

// The vertex indices of face `f` of `o`, in face order.
inline std::vector<int> Points(MQObject o, int f) {
    std::vector<int> pts(MQObj_GetFacePointCount(o, f));
    MQObj_GetFacePointArray(o, f, pts.data());
    return pts;
}

// The u of each of face `f`'s UV pairs, in face order.
inline std::vector<float> Us(MQObject o, int f) {
    std::vector<MQCoordinate> uv(MQObj_GetFacePointCount(o, f));
    MQObj_GetFaceCoordinateArray(o, f, uv.data());
    std::vector<float> u;
    for (const MQCoordinate& c : uv) u.push_back(c.u);
    return u;
}
