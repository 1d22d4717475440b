// MQObjectRec::Weld: joins vertices closer than a distance.
//
// Rules (deterministic, independent of hashing):
// - Vertices are visited in index order. A visited vertex joins the
//   lowest-indexed survivor so far that lies strictly closer than the
//   distance; if there is none it survives itself. Joined vertices never
//   attract others, so clusters do not chain and nothing moves by more than
//   the distance: survivors keep their positions and attributes.
// - Faces are remapped, consecutive repeated points (cyclically) dropped with
//   their UV pairs; a face of 3 or 4 points left with fewer than 3 points, a
//   line left with one, and a face whose remaining points are not distinct (a
//   quad folded along its diagonal, a b a c, which has no area) are deleted.
//   Joined vertices are deleted, and so are vertices that lose their last
//   face.
//
// Survivors are kept in a hash grid of cell size 4d: the ball of radius d
// around a point touches at most 2 cells per axis, and only one along an axis
// where the point lies at least d from both cell walls, so a query probes 8
// cells at worst and about 3.4 on average. Survivors are at least d apart, so
// a cell holds a bounded number of them and every query takes constant time:
// the weld is linear in vertices plus faces.
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "host/object.h"
#include "platform/side_thread.h"

namespace {

// The key of a cell: a hash of its block of 16 cells along x, with the
// cell's place in the block in the low 4 bits. Neighbouring cells along x
// thus get neighbouring bits and slots, which keeps a walk over a mesh in
// cache; keys of distinct cells differ unless two block hashes collide.
uint64_t CellKey(int64_t x, int64_t y, int64_t z) {
    uint64_t h = static_cast<uint64_t>(x >> 4) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<uint64_t>(y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    h ^= static_cast<uint64_t>(z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return (h & ~uint64_t(15)) | static_cast<uint64_t>(x & 15);
}

int64_t CellOf(double t) {
    // Beyond 2^62 cells the far-away points share cells; still correct.
    const double limit = 4.0e18;
    double c = std::floor(t);
    if (c > limit) c = limit;
    if (c < -limit) c = -limit;
    return static_cast<int64_t>(c);
}

// The cells of the grid around one point: its own cell and, per axis, the
// neighbour beyond the nearer wall when the point lies within d of it.
struct CellProbe {
    int64_t cell[3][2];
    int span[3];  // cells to probe along each axis: 1 or 2
    uint64_t ownKey;
};

// Cells are 8 d wide: a point probes the neighbour along an axis only when
// it lies within d of a wall, one point in four, so that most points probe
// one or two cells instead of the three or four of cells 4 d wide; a mesh
// denser than the cells costs a few more distance checks per probe.
class CellGrid {
public:
    explicit CellGrid(double distance) : inv_(1.0 / (8.0 * distance)) {}

    CellProbe Probe(const MQPoint& p) const {
        // The grid is shifted by an odd fraction of a cell so that round
        // coordinates (a plane at z = 0, a grid of 0.01) fall inside cells
        // rather than on their walls, where they would probe twice as much.
        const double t[3] = {p.x * inv_ + kPhase, p.y * inv_ + kPhase, p.z * inv_ + kPhase};
        CellProbe probe;
        for (int a = 0; a < 3; ++a) {
            const int64_t c = CellOf(t[a]);
            const double f = t[a] - std::floor(t[a]);
            probe.cell[a][0] = c;
            probe.cell[a][1] = f < kNearLow ? c - 1 : c + 1;
            probe.span[a] = (f < kNearLow || f > kNearHigh) ? 2 : 1;
        }
        probe.ownKey = CellKey(probe.cell[0][0], probe.cell[1][0], probe.cell[2][0]);
        return probe;
    }

private:
    static constexpr double kPhase = 0.3711;
    // Within an eighth of a cell (d) of a wall; the margin keeps rounding in t
    // from hiding a neighbour.
    static constexpr double kNearLow = 0.125 + 1e-6;
    static constexpr double kNearHigh = 0.875 - 1e-6;
    double inv_;
};

// Open-addressing map from a cell to the newest survivor in that cell;
// survivors of one cell are linked through next_. A slot holds 32 bits of
// the cell's key, from which its place in the table follows, and the head of
// the list: eight bytes, so that the table takes few cache lines and pages
// per cell. Distinct cells whose 32 bits agree (2^-32) share a list, which
// costs only distance checks that fail.
class SurvivorMap {
public:
    explicit SurvivorMap(int vertexCount)
        : slots_(kMinSlots, Slot{0, -1}), next_(new int32_t[static_cast<size_t>(vertexCount)]) {}

    // Head of the survivor list of the cell with this key, or -1.
    int32_t Head(uint64_t key) const {
        const uint32_t tag = Tag(key);
        for (size_t s = tag & Mask();; s = (s + 1) & Mask()) {
            const Slot& slot = slots_[s];
            if (slot.head < 0) return -1;
            if (slot.tag == tag) return slot.head;
        }
    }

    int32_t Next(int32_t v) const { return next_[v]; }

    // The slot where Head and Insert begin for this key, for the caller to
    // fetch ahead (only a hint: the weld is the same without it). GCC drops
    // a prefetch that is all a member function does, so the caller issues it.
    const void* HomeSlot(uint64_t key) const { return &slots_[Tag(key) & Mask()]; }

    // Number of cells with survivors.
    size_t Cells() const { return used_; }

    // Makes room for `cells` cells at once, instead of doubling the table
    // step by step: each step moves every cell to a random new place.
    void Reserve(size_t cells) {
        size_t size = slots_.size();
        while (size < 2 * cells) size *= 2;
        if (size > slots_.size()) Rehash(size);
    }

    // Prepends survivor v to the list of the cell with this key.
    void Insert(uint64_t key, int32_t v) {
        if ((used_ + 1) * 2 > slots_.size()) Rehash(slots_.size() * 2);
        const uint32_t tag = Tag(key);
        size_t s = tag & Mask();
        for (;; s = (s + 1) & Mask()) {
            Slot& slot = slots_[s];
            if (slot.head < 0) {
                slot.tag = tag;
                ++used_;
                break;
            }
            if (slot.tag == tag) break;
        }
        next_[v] = slots_[s].head;
        slots_[s].head = v;
    }

private:
    static constexpr size_t kMinSlots = 1024;

    struct Slot {
        uint32_t tag;
        int32_t head;  // -1: empty
    };

    // The low 4 bits of the key (the place in the block) stay low, so that
    // neighbouring cells along x get neighbouring slots; the rest comes from
    // the block hash's high bits.
    static uint32_t Tag(uint64_t key) {
        return static_cast<uint32_t>(((key >> 32) & ~uint64_t(15)) | (key & 15));
    }

    size_t Mask() const { return slots_.size() - 1; }

    void Rehash(size_t size) {
        std::vector<Slot> old(size, Slot{0, -1});
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (slot.head < 0) continue;
            size_t s = slot.tag & Mask();
            while (slots_[s].head >= 0) s = (s + 1) & Mask();
            slots_[s] = slot;
        }
    }

    std::vector<Slot> slots_;
    std::unique_ptr<int32_t[]> next_;  // written when a vertex becomes a survivor
    size_t used_ = 0;
};

// The cells each vertex of a weld probes, worked out a chunk of vertices at
// a time on a side thread while the weld itself walks the chunk before: the
// cells of a vertex follow from its position alone. A vertex that takes no
// part in the weld has no cells.
class ProbeChunks {
public:
    static constexpr int kChunk = 1 << 15;
    static constexpr uint8_t kNoPart = 0xFF;

    ProbeChunks(const MQObjectRec& object, const unsigned char* apply, const CellGrid& grid)
        : object_(object), apply_(apply), grid_(grid), n_(object.VertexCount()) {
        // Written before they are read, so left uninitialised: a small weld
        // touches little.
        const size_t size = static_cast<size_t>(std::min(n_, kChunk));
        for (int c = 0; c < std::min(Chunks(), 3); ++c) {
            chunks_[c].count.reset(new uint8_t[size]);
            chunks_[c].first.reset(new uint32_t[size]);
            chunks_[c].keys.reset(new uint64_t[size * 8]);
        }
        if (n_ == 0) return;
        Fill(0);
        if (Chunks() > 1) StartFilling(1);
    }
    ~ProbeChunks() { side_.reset(); }

    // Whether vertex v takes part: live, applied and finite.
    bool TakesPart(int v) const {
        const MQPoint& p = object_.positions[v];
        return object_.vertexLive[v] && (!apply_ || apply_[v]) && std::isfinite(p.x) && std::isfinite(p.y) &&
               std::isfinite(p.z);
    }

    // The cells of vertex v (keys[0] its own) and their number, or kNoPart.
    // The vertices must be asked in order: asking for the first vertex of a
    // chunk waits for that chunk and starts on the one after it.
    uint8_t CellsOf(int v, const uint64_t*& keys) {
        const int c = v / kChunk;
        if (v % kChunk == 0 && c > 0) {
            side_.reset();
            if (c + 1 < Chunks()) StartFilling(c + 1);
        }
        const Chunk& chunk = chunks_[c % 3];
        const int i = v - c * kChunk;
        keys = chunk.keys.get() + chunk.first[i];
        return chunk.count[i];
    }

private:
    struct Chunk {
        std::unique_ptr<uint8_t[]> count;
        std::unique_ptr<uint32_t[]> first;  // where its keys begin in keys
        std::unique_ptr<uint64_t[]> keys;
    };
    struct Job {
        ProbeChunks* self;
        int chunk;
    };

    int Chunks() const { return (n_ + kChunk - 1) / kChunk; }

    // Three chunks in turn: the one walked, the next (which the look-ahead
    // of the walk reaches into) and the one being filled.
    void StartFilling(int c) {
        job_ = Job{this, c};
        side_.reset(new SideThread([](void* job) {
            const Job* j = static_cast<const Job*>(job);
            j->self->Fill(j->chunk);
        }, &job_));
    }

    void Fill(int c) {
        Chunk& chunk = chunks_[c % 3];
        const int begin = c * kChunk, end = std::min(n_, begin + kChunk);
        uint32_t next = 0;
        for (int v = begin; v < end; ++v) {
            const int i = v - begin;
            chunk.first[i] = next;
            if (!TakesPart(v)) {
                chunk.count[i] = kNoPart;
                continue;
            }
            const CellProbe probe = grid_.Probe(object_.positions[v]);
            uint8_t count = 0;
            for (int k = 0; k < 8; ++k) {
                const int ix = k & 1, iy = (k >> 1) & 1, iz = (k >> 2) & 1;
                if (ix >= probe.span[0] || iy >= probe.span[1] || iz >= probe.span[2]) continue;
                chunk.keys[next + count++] =
                    k == 0 ? probe.ownKey : CellKey(probe.cell[0][ix], probe.cell[1][iy], probe.cell[2][iz]);
            }
            chunk.count[i] = count;
            next += count;
        }
    }

    const MQObjectRec& object_;
    const unsigned char* apply_;
    const CellGrid& grid_;
    const int n_;
    Chunk chunks_[3];
    Job job_{};
    std::unique_ptr<SideThread> side_;
};

// Vertices at exactly one place (the copies of a point that a harvest makes
// for every face around it) join one and the same survivor: a vertex at the
// place of an earlier one joins what that one joined, or that one itself,
// since every survivor made after it has a higher index. This table of
// recent places, by the bits of their coordinates, answers most such
// vertices without the grid; a place it has lost is found in the grid.
class RecentPlaces {
public:
    RecentPlaces() : entries_(kSize, Entry{0, 0, 0, -1}) {}

    // The vertex an earlier vertex at exactly `p` went to, or -1.
    int32_t Find(const MQPoint& p) const {
        const Entry key = KeyOf(p, -1);
        const Entry& e = entries_[Slot(key)];
        return e.x == key.x && e.y == key.y && e.z == key.z ? e.target : -1;
    }

    // Notes that a vertex at `p` went to `target`.
    void Note(const MQPoint& p, int32_t target) {
        const Entry key = KeyOf(p, target);
        entries_[Slot(key)] = key;
    }

private:
    static constexpr size_t kSize = size_t(1) << 14;
    struct Entry {
        uint32_t x, y, z;
        int32_t target;  // -1: empty
    };
    static Entry KeyOf(const MQPoint& p, int32_t target) {
        Entry e;
        std::memcpy(&e.x, &p.x, 4);
        std::memcpy(&e.y, &p.y, 4);
        std::memcpy(&e.z, &p.z, 4);
        e.target = target;
        return e;
    }
    static size_t Slot(const Entry& e) {
        uint64_t h = (uint64_t(e.x) * 0x9E3779B97F4A7C15ull) ^ (uint64_t(e.y) * 0xC2B2AE3D27D4EB4Full) ^
                     (uint64_t(e.z) * 0x165667B19E3779F9ull);
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        return static_cast<size_t>(h >> 50);  // 14 bits
    }
    std::vector<Entry> entries_;
};

// True when the weld leaves `face` as it is: no point moves and the points
// are distinct, so that remapping it would give the same face.
bool Unchanged(const HostFace& face, const int32_t* target) {
    const int32_t* p = face.points;
    for (int i = 0; i < face.count; ++i)
        if (target[p[i]] != p[i]) return false;
    for (int i = 1; i < face.count; ++i)
        for (int j = 0; j < i; ++j)
            if (p[j] == p[i]) return false;
    return true;
}

// Remaps the points of one face; returns false when the face collapses.
bool RemapFace(HostFace& face, const int32_t* target) {
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
    // What is left must be distinct points: a quad folded along its diagonal
    // (a b a c) keeps 3 distinct points but no area, and goes too.
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < i; ++j)
            if (points[j] == points[i]) return false;
    const int needed = original >= 3 ? 3 : original;
    if (n < needed) return false;
    for (int i = 0; i < n; ++i) {
        face.points[i] = points[i];
        face.uvs[i] = uvs[i];
    }
    face.count = static_cast<uint8_t>(n);
    return true;
}

// Remaps the faces of `object` through target (one entry per vertex slot).
void RemapFaces(MQObjectRec& object, const int32_t* target) {
    std::vector<int32_t>& refs = object.vertexRefs;
    std::vector<uint8_t>& live = object.vertexLive;
    // Only a face that names a joined vertex, or that repeats a point, can
    // change; the others are passed over. A face that changes gives up the
    // references of its old points and takes those of its new ones, if it
    // stays. A vertex that had faces and has none now goes with them; one
    // that is taken up again by a later face stays (every new point is a
    // survivor or a vertex that took no part, live either way).
    for (HostFace& face : object.faces) {
        if (face.count == 0 || Unchanged(face, target)) continue;
        for (int i = 0; i < face.count; ++i)
            if (--refs[face.points[i]] == 0) live[face.points[i]] = 0;
        if (!RemapFace(face, target)) {
            face.count = 0;
            face.selected = 0;
            ++object.emptyFaceSlots;
            continue;
        }
        for (int i = 0; i < face.count; ++i)
            if (refs[face.points[i]]++ == 0) live[face.points[i]] = 1;
    }
}

}  // namespace

int MQObjectRec::Weld(float distance, const unsigned char* apply) {
    if (!(distance > 0.0f)) return 0;  // also refuses NaN
    const int n = VertexCount();
    const double d = distance;
    const double d2 = d * d;
    const CellGrid grid(d);
    SurvivorMap survivors(n);

    // Nearly every vertex reads a random place of the survivor map, which
    // is far larger than the caches: the cells of the vertex kAhead places
    // on are worked out and fetched early, so that its reads find them in
    // cache and the fetches of several vertices overlap.
    constexpr int kAhead = 16;
    // A vertex at a recent place needs no cells: it is settled when it is
    // prepared, since the vertex it goes to has been visited by then. Where
    // the sample shows few such vertices (a shell whose surfaces share no
    // points), the table only costs time and is no longer asked: the grid
    // finds the same vertex.
    RecentPlaces recent;
    bool askRecent = true;
    int recentHits = 0;
    struct Cells {
        bool part;         // the vertex takes part
        int count;
        int32_t known;     // the vertex it goes to, when its place is recent; else -1
        uint64_t keys[8];  // keys[0]: the vertex's own cell
    };
    Cells ahead[kAhead];
    // Every vertex is prepared, in order, for the probes to follow.
    ProbeChunks probes(*this, apply, grid);
    auto prepare = [&](int v) {
        Cells& cells = ahead[v % kAhead];
        const uint64_t* keys = nullptr;
        const uint8_t count = probes.CellsOf(v, keys);
        cells.part = count != ProbeChunks::kNoPart;
        cells.count = 0;
        cells.known = -1;
        if (!cells.part) return;
        cells.known = askRecent ? recent.Find(positions[v]) : -1;
        if (cells.known >= 0) return;
        for (int k = 0; k < count; ++k) {
            cells.keys[k] = keys[k];
            __builtin_prefetch(survivors.HomeSlot(keys[k]));
        }
        cells.count = count;
    };
    // Once a sample of vertices has been welded, the survivor map is sized
    // for as many cells as the sample's share foretells for all of them. A
    // weld too small for that takes room for a cell per vertex at once (a
    // table of 1 MB at most) instead of doubling its table step by step.
    constexpr int kSample = 1 << 14;
    if (n < 4 * kSample) survivors.Reserve(static_cast<size_t>(n));
    for (int v = 0; v < n && v < kAhead; ++v) prepare(v);

    // Where each vertex goes; written for every vertex before it is read.
    std::unique_ptr<int32_t[]> target(new int32_t[static_cast<size_t>(n)]);
    int joined = 0;
    for (int v = 0; v < n; ++v) {
        if (v == kSample && n >= 4 * kSample) {
            survivors.Reserve(survivors.Cells() * (static_cast<size_t>(n) / kSample));
            askRecent = recentHits * 8 >= kSample;
        }
        target[v] = v;
        // The slot of v is read before the vertex kAhead on overwrites it.
        const Cells cells = ahead[v % kAhead];
        if (v + kAhead < n) prepare(v + kAhead);
        if (!cells.part) continue;
        const MQPoint& p = positions[v];

        const int32_t known = cells.known >= 0 ? cells.known : askRecent ? recent.Find(p) : -1;
        if (known >= 0) {
            ++recentHits;
            target[v] = known;
            vertexLive[v] = 0;
            ++joined;
            continue;
        }
        int32_t best = -1;
        for (int k = 0; k < cells.count; ++k) {
            for (int32_t s = survivors.Head(cells.keys[k]); s >= 0; s = survivors.Next(s)) {
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
            survivors.Insert(cells.keys[0], v);
        }
        if (askRecent) recent.Note(p, target[v]);
    }
    if (joined == 0) return 0;

    RemapFaces(*this, target.get());
    return joined;
}
