#include "tests/fuzz/shell_check.h"

#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace {

uint64_t EdgeKey(int32_t a, int32_t b) {
    if (a > b) std::swap(a, b);
    return uint64_t(uint32_t(a)) << 32 | uint32_t(b);
}

struct EdgeUse {
    int forward = 0;   // runs from the lower index to the higher
    int backward = 0;
};

}  // namespace

ShellShape MeasureShell(const MQObjectRec& object) {
    ShellShape shape;
    for (int v = 0; v < object.VertexCount(); ++v) {
        if (!object.IsLiveVertex(v)) continue;
        ++shape.vertices;
        const MQPoint& p = object.positions[v];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) shape.finite = false;
    }
    std::unordered_map<uint64_t, EdgeUse> edges;
    for (const HostFace& face : object.faces) {
        if (face.count == 0) continue;
        for (int i = 0; i < face.count; ++i) {
            if (!object.IsLiveVertex(face.points[i])) shape.wellFormed = false;
            for (int j = 0; j < i; ++j)
                if (face.points[i] == face.points[j]) shape.wellFormed = false;
        }
        if (!shape.wellFormed) return shape;
        if (face.count < 3) {
            ++shape.others;
            continue;
        }
        ++shape.faces;
        for (int i = 0; i < face.count; ++i) {
            const int32_t a = face.points[i], b = face.points[(i + 1) % face.count];
            EdgeUse& use = edges[EdgeKey(a, b)];
            (a < b ? use.forward : use.backward) += 1;
        }
        // Clockwise corners seen from outside: the fan's triple products are
        // negative for an outward face.
        const MQPoint& p0 = object.positions[face.points[0]];
        for (int i = 1; i + 1 < face.count; ++i) {
            const MQPoint& p1 = object.positions[face.points[i]];
            const MQPoint& p2 = object.positions[face.points[i + 1]];
            const double cx = double(p1.y) * p2.z - double(p1.z) * p2.y;
            const double cy = double(p1.z) * p2.x - double(p1.x) * p2.z;
            const double cz = double(p1.x) * p2.y - double(p1.y) * p2.x;
            shape.volume -= (p0.x * cx + p0.y * cy + p0.z * cz) / 6.0;
        }
    }
    shape.closed = shape.faces > 0;
    shape.oriented = true;
    for (const auto& [key, use] : edges) {
        if (use.forward + use.backward != 2) shape.closed = false;
        if (use.forward + use.backward == 2 && use.forward != 1) shape.oriented = false;
        if (use.forward > 1 || use.backward > 1) shape.oriented = false;
    }
    return shape;
}
