#include "cli/mesh_stats.h"

#include <unordered_map>

namespace {

// Uses of an undirected edge, split by direction relative to (low, high).
struct EdgeUses {
    uint32_t forward = 0;   // low -> high
    uint32_t backward = 0;  // high -> low
};

uint64_t EdgeKey(uint32_t a, uint32_t b) {
    return a < b ? (uint64_t(a) << 32) | b : (uint64_t(b) << 32) | a;
}

}  // namespace

MeshStats ComputeMeshStats(const SceneObject& object) {
    MeshStats stats;
    stats.vertices = object.vertices.size();
    std::unordered_map<uint64_t, EdgeUses> edges;
    edges.reserve(object.points.size());
    double sixVolume = 0;
    bool anyPolygon = false;
    for (size_t f = 0; f < object.FaceCount(); ++f) {
        const uint32_t begin = object.faceStart[f], n = object.FaceSize(f);
        switch (n) {
            case 2: ++stats.lines; continue;
            case 3: ++stats.triangles; break;
            case 4: ++stats.quads; break;
            default: ++stats.others; if (n < 3) continue;
        }
        anyPolygon = true;
        const int32_t* p = &object.points[begin];
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t a = uint32_t(p[i]), b = uint32_t(p[(i + 1) % n]);
            EdgeUses& uses = edges[EdgeKey(a, b)];
            (a < b ? uses.forward : uses.backward) += 1;
        }
        // The corners run clockwise seen from outside, so a·(c×b) is
        // positive for an outward face.
        const ScenePoint& o = object.vertices[p[0]];
        for (uint32_t i = 1; i + 1 < n; ++i) {
            const ScenePoint& b = object.vertices[p[i]];
            const ScenePoint& c = object.vertices[p[i + 1]];
            const double cx = double(c.y) * b.z - double(c.z) * b.y;
            const double cy = double(c.z) * b.x - double(c.x) * b.z;
            const double cz = double(c.x) * b.y - double(c.y) * b.x;
            sixVolume += o.x * cx + o.y * cy + o.z * cz;
        }
    }
    stats.closed = anyPolygon;
    stats.oriented = true;
    for (const auto& [key, uses] : edges) {
        if (uses.forward + uses.backward != 2) stats.closed = false;
        if (uses.forward + uses.backward == 2 && uses.forward != 1) stats.oriented = false;
    }
    stats.signedVolume = sixVolume / 6;
    return stats;
}
