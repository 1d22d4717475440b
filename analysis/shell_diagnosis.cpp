#include "analysis/shell_diagnosis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <vector>

#include "analysis/run_sort.h"
#include "thicken/weld_distances.h"

namespace {

constexpr double kFirstWeld = kHarvestWeldDistance;
constexpr double kFinalWeld = kShellWeldDistance;

struct PositionKey {
    uint32_t x, y, z;
    bool operator==(const PositionKey& o) const { return x == o.x && y == o.y && z == o.z; }
};
struct PositionHash {
    size_t operator()(const PositionKey& k) const {
        uint64_t h = k.x * 0x9E3779B97F4A7C15ull;
        h ^= (h >> 29) + k.y * 0xBF58476D1CE4E5B9ull;
        h ^= (h >> 31) + k.z * 0x94D049BB133111EBull;
        return static_cast<size_t>(h ^ (h >> 32));
    }
};

uint32_t Bits(float value) {
    if (value == 0) value = 0;  // -0 is the same place as +0
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return bits;
}

struct CellKey {
    int64_t x, y, z;
    bool operator==(const CellKey& o) const { return x == o.x && y == o.y && z == o.z; }
};
struct CellHash {
    size_t operator()(const CellKey& k) const {
        return PositionHash{}({uint32_t(k.x) ^ uint32_t(k.x >> 32), uint32_t(k.y) ^ uint32_t(k.y >> 32),
                               uint32_t(k.z) ^ uint32_t(k.z >> 32)});
    }
};

// The points of the selection by position: a flat open-addressing table
// from the bits of a position to the point's number.
class PointIndex {
public:
    // The number of the point at `key`, which becomes `next` when the
    // position is new; `added` says which.
    uint32_t Find(const PositionKey& key, uint32_t next, bool& added) {
        if (2 * (used_ + 1) > slots_.size()) Rehash(std::max<size_t>(1024, 2 * slots_.size()));
        size_t s = PositionHash{}(key) & (slots_.size() - 1);
        for (;; s = (s + 1) & (slots_.size() - 1)) {
            Slot& slot = slots_[s];
            if (slot.point == kEmpty) break;
            if (slot.key == key) {
                added = false;
                return slot.point;
            }
        }
        slots_[s] = {key, next};
        ++used_;
        added = true;
        return next;
    }

private:
    static constexpr uint32_t kEmpty = UINT32_MAX;
    struct Slot {
        PositionKey key;
        uint32_t point;
    };
    void Rehash(size_t size) {
        std::vector<Slot> old(size, Slot{{0, 0, 0}, kEmpty});
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.point == kEmpty) continue;
            size_t s = PositionHash{}(slot.key) & (size - 1);
            while (slots_[s].point != kEmpty) s = (s + 1) & (size - 1);
            slots_[s] = slot;
        }
    }
    std::vector<Slot> slots_;
    size_t used_ = 0;
};

// The grid of CountNearPoints: cells twice the final weld distance wide, so
// that the points within that distance of a point lie in its own cell or
// the next one on the nearer side, along each axis.
constexpr double kCell = 2 * kFinalWeld;

// The cell along one axis, and the fraction of the cell below the
// coordinate. Far from the origin no two distinct floats are within the
// weld distance on an axis; clamping keeps the cell index defined there.
int64_t Cell(double coordinate, double& fraction) {
    const double t = std::clamp(coordinate / kCell, -1e15, 1e15);
    const double c = std::floor(t);
    fraction = t - c;
    return static_cast<int64_t>(c);
}

uint32_t Find(std::vector<uint32_t>& parent, uint32_t i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
}

// Points within the weld distances of another point. The points are sorted
// by cell, and a flat table finds the run of each cell.
void CountNearPoints(const std::vector<ScenePoint>& points, SelectionFaults& faults) {
    struct Placed {
        CellKey cell;
        uint32_t point;
    };
    std::vector<Placed> placed(points.size());
    double fraction;
    for (uint32_t i = 0; i < points.size(); ++i) {
        const ScenePoint& p = points[i];
        placed[i] = {{Cell(p.x, fraction), Cell(p.y, fraction), Cell(p.z, fraction)}, i};
    }
    auto before = [](const CellKey& a, const CellKey& b) {
        return a.x != b.x ? a.x < b.x : a.y != b.y ? a.y < b.y : a.z < b.z;
    };
    std::sort(placed.begin(), placed.end(),
              [&](const Placed& a, const Placed& b) { return before(a.cell, b.cell); });

    struct Run {
        CellKey cell;
        uint32_t begin, end;  // end 0: an empty slot
    };
    size_t slots = 16;
    while (slots < 2 * placed.size()) slots *= 2;
    std::vector<Run> table(slots, Run{{0, 0, 0}, 0, 0});
    const size_t mask = slots - 1;
    for (uint32_t begin = 0, end; begin < placed.size(); begin = end) {
        for (end = begin + 1; end < placed.size() && placed[end].cell == placed[begin].cell;) ++end;
        size_t s = CellHash{}(placed[begin].cell) & mask;
        while (table[s].end != 0) s = (s + 1) & mask;
        table[s] = {placed[begin].cell, begin, end};
    }
    auto runOf = [&](const CellKey& cell) -> const Run* {
        for (size_t s = CellHash{}(cell) & mask; table[s].end != 0; s = (s + 1) & mask)
            if (table[s].cell == cell) return &table[s];
        return nullptr;
    };

    for (const Placed& at : placed) {
        const ScenePoint& p = points[at.point];
        // Per axis, the cells to look in: the own one and the nearer
        // neighbour, or both neighbours for a point so near the middle that
        // rounding might hide which is nearer.
        int64_t offsets[3][3];
        int spans[3];
        const double coordinates[3] = {p.x, p.y, p.z};
        for (int a = 0; a < 3; ++a) {
            Cell(coordinates[a], fraction);
            offsets[a][0] = 0;
            if (std::fabs(fraction - 0.5) < 1e-6) {
                offsets[a][1] = -1;
                offsets[a][2] = 1;
                spans[a] = 3;
            } else {
                offsets[a][1] = fraction < 0.5 ? -1 : 1;
                spans[a] = 2;
            }
        }
        double nearest = INFINITY;
        for (int i = 0; i < spans[0]; ++i)
            for (int j = 0; j < spans[1]; ++j)
                for (int k = 0; k < spans[2]; ++k) {
                    const Run* run = runOf({at.cell.x + offsets[0][i], at.cell.y + offsets[1][j],
                                            at.cell.z + offsets[2][k]});
                    if (!run) continue;
                    for (uint32_t m = run->begin; m < run->end; ++m) {
                        const uint32_t other = placed[m].point;
                        if (other == at.point) continue;
                        const ScenePoint& q = points[other];
                        const double ex = double(q.x) - p.x, ey = double(q.y) - p.y, ez = double(q.z) - p.z;
                        nearest = std::min(nearest, std::sqrt(ex * ex + ey * ey + ez * ez));
                    }
                }
        if (nearest <= kFinalWeld) {
            ++faults.nearPoints;
            faults.nearestGap = std::min(faults.nearestGap, nearest);
        }
        if (nearest <= kFirstWeld) ++faults.veryNearPoints;
    }
}

// A weld distance as a message gives it ("0.001").
std::string Distance(double distance) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", distance);
    return text;
}

std::string Count(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// What to do about points the welds join: a model in metres wants --scale.
std::string ScaleAdvice(const SelectionFaults& faults, double thickness, double current) {
    const double scale = SuggestedScale(faults, thickness) * current;
    if (scale == 0) return "";
    char text[96];
    std::snprintf(text, sizeof text, "; a model in metres may want --scale %g", scale);
    return text;
}

}  // namespace

double SuggestedScale(const SelectionFaults& faults, double thickness) {
    if (faults.nearPoints == 0 || !(faults.nearestGap > 0)) return 0;
    // Twice the final weld distance apart, the nearest points stay apart
    // after the copies' rounding to single precision; so must the front and
    // back surfaces.
    double gap = faults.nearestGap;
    if (std::fabs(thickness) > 0) gap = std::min(gap, std::fabs(thickness));
    for (double scale = 10; scale <= 1e6; scale *= 10)
        if (gap * scale >= 2 * kFinalWeld) return scale;
    return 0;
}

std::string DescribeFolds(size_t folded, size_t atOnce, double unfoldedBelow) {
    std::string text = Count(folded, "face", "faces") +
                       " of the front and back surfaces folded over (turned more than 90 degrees "
                       "from the faces they came from): the thickness is more than the surface's "
                       "bend can take there";
    if (atOnce)
        text += "; " + std::string(atOnce == folded ? "they" : std::to_string(atOnce) + " of them") +
                " fold at any thickness (slivers, or faces set against the faces around their "
                "corners)";
    if (atOnce == folded) return text;
    if (unfoldedBelow > 0) {
        char below[96];
        std::snprintf(below, sizeof below, "; %s stay unfolded below a thickness of %.3g",
                      atOnce ? "the others" : "they", unfoldedBelow);
        text += below;
    } else {
        text += "; try a smaller thickness";
    }
    return text;
}

SelectionFaults DiagnoseSelection(const Scene& scene, const std::vector<SceneFaceRef>& faces,
                                  double scale) {
    SelectionFaults faults;
    // Points joined by position; per face corner, its point.
    PointIndex pointOf;
    std::vector<ScenePoint> points;
    std::vector<uint32_t> cornerPoint, faceStart{0};
    for (const SceneFaceRef& ref : faces) {
        const SceneObject& object = scene.objects[ref.first];
        const uint32_t n = object.FaceSize(ref.second);
        if (n < 3) continue;
        const int32_t* p = &object.points[object.faceStart[ref.second]];
        for (uint32_t k = 0; k < n; ++k) {
            ScenePoint v = object.vertices[p[k]];
            if (scale != 1)
                v = {float(v.x * scale), float(v.y * scale), float(v.z * scale)};
            bool added;
            cornerPoint.push_back(pointOf.Find(PositionKey{Bits(v.x), Bits(v.y), Bits(v.z)},
                                               static_cast<uint32_t>(points.size()), added));
            if (added) points.push_back(v);
        }
        faceStart.push_back(static_cast<uint32_t>(cornerPoint.size()));
    }

    // Each corner files its two edges under its point: (point, other end,
    // corner). Sorted, the uses of an edge stand together: bucketed by
    // point (a counting sort in two passes over the corners), then each
    // point's few uses by their other end.
    struct Use {
        uint32_t point, other, corner;
    };
    // Calls visit(corner, next corner, previous corner) for every corner.
    auto forEachCorner = [&](auto visit) {
        for (size_t f = 0; f + 1 < faceStart.size(); ++f) {
            const uint32_t begin = faceStart[f], n = faceStart[f + 1] - begin;
            for (uint32_t k = 0; k < n; ++k) visit(begin + k, begin + (k + 1) % n, begin + (k + n - 1) % n);
        }
    };
    std::vector<uint32_t> bucket(points.size() + 1, 0);
    forEachCorner([&](uint32_t c, uint32_t next, uint32_t prev) {
        if (cornerPoint[c] == cornerPoint[next]) ++faults.zeroLengthEdges;
        for (uint32_t end : {next, prev})
            if (cornerPoint[end] != cornerPoint[c]) ++bucket[cornerPoint[c] + 1];
    });
    for (size_t i = 0; i < points.size(); ++i) bucket[i + 1] += bucket[i];
    std::vector<Use> uses(bucket[points.size()]);
    forEachCorner([&](uint32_t c, uint32_t next, uint32_t prev) {
        for (uint32_t end : {next, prev})
            if (cornerPoint[end] != cornerPoint[c])
                uses[bucket[cornerPoint[c]]++] = Use{cornerPoint[c], cornerPoint[end], c};
    });
    // Each bucket's start moved to its end, which is the next one's start.
    for (size_t i = 0, begin = 0; i < points.size(); begin = bucket[i++])
        SortRun(uses.begin() + begin, uses.begin() + bucket[i],
                [](const Use& a, const Use& b) { return a.other < b.other; });

    // Corners around a point that share an edge belong to one fan.
    std::vector<uint32_t> parent(cornerPoint.size());
    std::iota(parent.begin(), parent.end(), 0u);
    for (size_t i = 0; i < uses.size();) {
        size_t j = i + 1;
        while (j < uses.size() && uses[j].point == uses[i].point && uses[j].other == uses[i].other) {
            parent[Find(parent, uses[j].corner)] = Find(parent, uses[i].corner);
            ++j;
        }
        if (uses[i].point < uses[i].other && j - i >= 3) ++faults.crowdedEdges;
        i = j;
    }
    std::vector<std::pair<uint32_t, uint32_t>> fans;  // (point, fan root)
    fans.reserve(cornerPoint.size());
    for (uint32_t c = 0; c < cornerPoint.size(); ++c)
        fans.emplace_back(cornerPoint[c], Find(parent, c));
    std::sort(fans.begin(), fans.end());
    fans.erase(std::unique(fans.begin(), fans.end()), fans.end());
    for (size_t i = 1; i < fans.size(); ++i)
        if (fans[i].first == fans[i - 1].first && (i < 2 || fans[i - 2].first != fans[i].first))
            ++faults.fanVertices;

    CountNearPoints(points, faults);
    return faults;
}

std::string DescribeOpenShell(const MeshStats& result, const SelectionFaults& faults,
                              double thickness, double scale) {
    std::string text = "the new object is ";
    text += !result.closed && !result.oriented ? "not closed and not consistently oriented"
            : !result.closed                   ? "not closed"
                                               : "not consistently oriented";
    std::vector<std::string> causes;
    if (faults.fanVertices)
        causes.push_back(Count(faults.fanVertices, "point where separate fans of faces meet",
                               "points where separate fans of faces meet"));
    if (faults.crowdedEdges)
        causes.push_back(Count(faults.crowdedEdges, "edge shared by three or more faces",
                               "edges shared by three or more faces"));
    if (faults.nearPoints)
        causes.push_back(Count(faults.nearPoints, "point", "points") +
                         " within " + Distance(kFinalWeld) + " of another point (" +
                         std::to_string(faults.veryNearPoints) + " within " +
                         Distance(kFirstWeld) +
                         "), which the welds join" + ScaleAdvice(faults, thickness, scale));
    if (faults.zeroLengthEdges)
        causes.push_back(Count(faults.zeroLengthEdges, "edge", "edges") + " of zero length");
    // Edges of the result that more than two faces use, from a selection
    // without faults: its surfaces were welded onto one another, as when the
    // thickness is more than the shape can take (the back copy of a closed
    // shape turned through itself, say).
    if (causes.empty() && result.overusedEdges)
        return text + "; " + Count(result.overusedEdges, "edge", "edges") +
               " of the new object shared by more than two faces, where its surfaces were "
               "welded together (is the thickness more than the shape can take?)";
    if (causes.empty())
        return text + "; the selected faces show none of the usual causes (separate fans "
                      "meeting at a point, edges of three or more faces, points within the weld "
                      "distances " + Distance(kFirstWeld) + " and " + Distance(kFinalWeld) +
                      ", edges of zero length)";
    text += "; in the selected faces: ";
    for (size_t i = 0; i < causes.size(); ++i) text += (i ? ", " : "") + causes[i];
    return text;
}
