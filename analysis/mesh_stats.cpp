#include "analysis/mesh_stats.h"

#include <algorithm>
#include <cassert>
#include <functional>
#include <vector>

#include "analysis/run_sort.h"

namespace {

// One use of an edge, filed under its lower vertex: the other end times
// two, plus one when the face runs from the lower vertex to it. Four bytes,
// as a shell of a million faces has millions of them.
using EdgeUse = uint32_t;

uint32_t HighEnd(EdgeUse use) { return use >> 1; }

}  // namespace

MeshStats ComputeMeshStats(const SceneObject& object) {
    MeshStats stats;
    const size_t vertexCount = object.vertices.size();
    stats.vertices = vertexCount;

    // Edge uses bucketed by their lower vertex (a counting sort in two
    // passes), so that each edge's uses are found in a short bucket.
    std::vector<uint32_t> bucketStart(vertexCount + 1, 0);
    auto forEachPolygonEdge = [&](auto visit) {
        for (size_t f = 0; f < object.FaceCount(); ++f) {
            const uint32_t n = object.FaceSize(f);
            if (n < 3) continue;
            const int32_t* p = &object.points[object.faceStart[f]];
            for (uint32_t i = 0; i < n; ++i) visit(uint32_t(p[i]), uint32_t(p[i + 1 == n ? 0 : i + 1]));
        }
    };
    forEachPolygonEdge([&](uint32_t a, uint32_t b) {
        assert(a < vertexCount && b < vertexCount);
        ++bucketStart[std::min(a, b) + 1];
    });
    for (size_t v = 0; v < vertexCount; ++v) bucketStart[v + 1] += bucketStart[v];
    std::vector<EdgeUse> uses(bucketStart[vertexCount]);
    std::vector<uint32_t> fill(bucketStart.begin(), bucketStart.end() - 1);
    forEachPolygonEdge([&](uint32_t a, uint32_t b) {
        uses[fill[std::min(a, b)]++] = std::max(a, b) << 1 | (a < b ? 1u : 0u);
    });

    double sixVolume = 0;
    bool anyPolygon = false;
    for (size_t f = 0; f < object.FaceCount(); ++f) {
        const uint32_t n = object.FaceSize(f);
        switch (n) {
            case 2: ++stats.lines; continue;
            case 3: ++stats.triangles; break;
            case 4: ++stats.quads; break;
            default: ++stats.others; if (n < 3) continue;
        }
        anyPolygon = true;
        // The corners run clockwise seen from outside, so a·(c×b) is
        // positive for an outward face; fanned from the first corner.
        const int32_t* p = &object.points[object.faceStart[f]];
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
    stats.signedVolume = sixVolume / 6;

    // A mesh without polygons is no shell, closed or oriented.
    stats.closed = anyPolygon;
    stats.oriented = anyPolygon;
    for (size_t v = 0; v < vertexCount; ++v) {
        EdgeUse* begin = uses.data() + bucketStart[v];
        EdgeUse* end = uses.data() + bucketStart[v + 1];
        SortRun(begin, end, std::less<EdgeUse>());
        for (EdgeUse* e = begin; e != end;) {
            uint32_t count = 0, forward = 0;
            const uint32_t high = HighEnd(*e);
            for (; e != end && HighEnd(*e) == high; ++e) {
                ++count;
                forward += *e & 1;
            }
            if (count != 2) stats.closed = false;
            else if (forward != 1) stats.oriented = false;
            stats.openEdges += count == 1;
            stats.overusedEdges += count > 2;
        }
    }
    return stats;
}
