// MQObjectRec::Weld: joins vertices closer than a distance.
//
// Rules (deterministic, independent of hashing):
// - Vertices are visited in index order. A visited vertex joins the
//   lowest-indexed survivor so far that lies strictly closer than the
//   distance; if there is none it survives itself. Joined vertices never
//   attract others, so clusters do not chain and nothing moves by more than
//   the distance: survivors keep their positions and attributes.
// - Faces are remapped, consecutive repeated points (cyclically) dropped with
//   their UV pairs; a face of 3 or 4 points left with fewer than 3 distinct
//   points, or a line left with one, is deleted. Joined vertices are deleted,
//   and so are vertices that lose their last face.
//
// Survivors are kept in a hash grid of cell size 2d: the ball of radius d
// around a point then touches at most 2 cells per axis, 8 in all. Survivors
// are at least d apart, so a cell holds a bounded number of them and every
// query takes constant time: the weld is linear in vertices plus faces.
#include <cassert>
#include <cmath>
#include <cstdint>
#include <vector>

#include "host/object.h"

namespace {

uint64_t MixCell(int64_t x, int64_t y, int64_t z) {
    uint64_t h = static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    h ^= static_cast<uint64_t>(z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return h;
}

int64_t CellOf(double t) {
    // Beyond 2^62 cells the far-away points share cells; still correct.
    const double limit = 4.0e18;
    double c = std::floor(t);
    if (c > limit) c = limit;
    if (c < -limit) c = -limit;
    return static_cast<int64_t>(c);
}

// Open-addressing map from a cell key to the newest survivor in that cell.
// Distinct cells whose keys collide share a list, which costs only time.
class SurvivorGrid {
public:
    explicit SurvivorGrid(int vertexCount) : next_(vertexCount, -1) { Resize(1024); }

    // Head of the survivor list of the cell with this key, or -1.
    int32_t Head(uint64_t key) const {
        for (size_t s = key & mask_;; s = (s + 1) & mask_) {
            const Slot& slot = slots_[s];
            if (slot.head < 0) return -1;
            if (slot.key == key) return slot.head;
        }
    }

    int32_t Next(int32_t v) const { return next_[v]; }

    void Insert(uint64_t key, int32_t v) {
        if ((used_ + 1) * 2 > slots_.size()) Resize(slots_.size() * 2);
        size_t s = key & mask_;
        for (;; s = (s + 1) & mask_) {
            Slot& slot = slots_[s];
            if (slot.head < 0) {
                slot.key = key;
                ++used_;
                break;
            }
            if (slot.key == key) break;
        }
        next_[v] = slots_[s].head;
        slots_[s].head = v;
    }

private:
    struct Slot {
        uint64_t key;
        int32_t head;  // -1: empty
    };

    void Resize(size_t size) {
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(size, Slot{0, -1});
        mask_ = size - 1;
        for (const Slot& slot : old) {
            if (slot.head < 0) continue;
            size_t s = slot.key & mask_;
            while (slots_[s].head >= 0) s = (s + 1) & mask_;
            slots_[s] = slot;
        }
    }

    std::vector<Slot> slots_;
    std::vector<int32_t> next_;
    size_t mask_ = 0;
    size_t used_ = 0;
};

// Remaps the points of one face; returns false when the face collapses.
bool RemapFace(HostFace& face, const std::vector<int32_t>& target) {
    const int original = face.count;
    int32_t points[kMaxFacePoints];
    MQCoordinate uvs[kMaxFacePoints];
    int n = 0;
    for (int i = 0; i < original; ++i) {
        int32_t p = target[face.points[i]];
        if (n > 0 && points[n - 1] == p) continue;
        points[n] = p;
        uvs[n] = face.uvs[i];
        ++n;
    }
    while (n > 1 && points[n - 1] == points[0]) --n;
    int distinct = 0;
    for (int i = 0; i < n; ++i) {
        bool seen = false;
        for (int j = 0; j < i; ++j) seen = seen || points[j] == points[i];
        distinct += seen ? 0 : 1;
    }
    const int needed = original >= 3 ? 3 : original;
    if (distinct < needed) return false;
    for (int i = 0; i < n; ++i) {
        face.points[i] = points[i];
        face.uvs[i] = uvs[i];
    }
    face.count = static_cast<uint8_t>(n);
    return true;
}

}  // namespace

int MQObjectRec::Weld(float distance, const unsigned char* apply) {
    if (!(distance > 0.0f)) return 0;  // also refuses NaN
    const int n = VertexCount();
    const double d = distance;
    const double d2 = d * d;
    const double inv = 1.0 / (2.0 * d);

    std::vector<int32_t> target(n);
    SurvivorGrid grid(n);
    int joined = 0;
    for (int v = 0; v < n; ++v) {
        target[v] = v;
        if (!vertexLive[v] || (apply && !apply[v])) continue;
        const MQPoint& p = positions[v];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) continue;

        const double t[3] = {p.x * inv, p.y * inv, p.z * inv};
        int64_t cell[3][2];
        for (int a = 0; a < 3; ++a) {
            int64_t c = CellOf(t[a]);
            cell[a][0] = c;
            cell[a][1] = (t[a] - std::floor(t[a]) < 0.5) ? c - 1 : c + 1;
        }
        int32_t best = -1;
        for (int k = 0; k < 8; ++k) {
            uint64_t key = MixCell(cell[0][k & 1], cell[1][(k >> 1) & 1], cell[2][(k >> 2) & 1]);
            for (int32_t s = grid.Head(key); s >= 0; s = grid.Next(s)) {
                if (best >= 0 && s > best) continue;
                const MQPoint& q = positions[s];
                const double dx = double(p.x) - double(q.x);
                const double dy = double(p.y) - double(q.y);
                const double dz = double(p.z) - double(q.z);
                if (dx * dx + dy * dy + dz * dz < d2) best = s;
            }
        }
        if (best >= 0) {
            target[v] = best;
            vertexLive[v] = 0;
            ++joined;
        } else {
            grid.Insert(MixCell(cell[0][0], cell[1][0], cell[2][0]), v);
        }
    }
    if (joined == 0) return 0;

    for (HostFace& face : faces) {
        if (face.count == 0) continue;
        if (!RemapFace(face, target)) {
            face.count = 0;
            face.selected = 0;
        }
    }
    // Vertices that had faces and have none now go with them.
    std::vector<uint8_t> wasUsed(n);
    for (int v = 0; v < n; ++v) wasUsed[v] = vertexRefs[v] > 0;
    RecountVertexRefs();
    for (int v = 0; v < n; ++v)
        if (wasUsed[v] && vertexRefs[v] == 0) vertexLive[v] = 0;
    return joined;
}
