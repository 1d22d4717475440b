// Writer of Wavefront .obj files.
#include <cassert>
#include <cstring>
#include <vector>

#include "formats/float_text_cache.h"
#include "formats/number_text.h"
#include "formats/obj_format.h"
#include "formats/text_sink.h"

namespace {

uint64_t UvKey(SceneUv uv) {
    uint32_t u, v;
    std::memcpy(&u, &uv.u, 4);
    std::memcpy(&v, &uv.v, 4);
    return (uint64_t(u) << 32) | v;
}

// The number of each distinct UV pair (by its bits) of one object: a flat
// open-addressing table, since every point of every face asks it once.
class UvNumbers {
public:
    // Forgets every pair and makes room for about `pairs` of them.
    void Reset(size_t pairs) {
        size_t capacity = 64;
        while (capacity < 2 * pairs) capacity *= 2;
        slots_.assign(capacity, Slot{0, 0});
        used_ = 0;
    }

    // The number of `key`, or `next` when it is new (recorded for it);
    // `added` tells which.
    uint32_t FindOrAdd(uint64_t key, uint32_t next, bool& added) {
        if ((used_ + 1) * 2 > slots_.size()) Grow();
        Slot& slot = slots_[SlotOf(key)];
        added = slot.number == 0;
        if (added) {
            slot = Slot{key, next};
            ++used_;
        }
        return slot.number;
    }

    // Starts loading the slot where the search for `key` begins: the slots
    // of a large table lie far apart, and a search a few points later then
    // need not wait for memory.
    void Prefetch(uint64_t key) const { __builtin_prefetch(&slots_[Home(key)]); }

private:
    struct Slot {
        uint64_t key;
        uint32_t number;  // 0: empty (numbers start at 1)
    };

    size_t Home(uint64_t key) const {
        // Every bit of the key reaches the low bits: the UV pairs of a grid
        // differ mostly in their high bits.
        uint64_t h = key;
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdull;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ull;
        h ^= h >> 33;
        return static_cast<size_t>(h) & (slots_.size() - 1);
    }

    size_t SlotOf(uint64_t key) const {
        const size_t mask = slots_.size() - 1;
        size_t i = Home(key);
        while (slots_[i].number != 0 && slots_[i].key != key) i = (i + 1) & mask;
        return i;
    }

    void Grow() {
        std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2, Slot{0, 0});
        old.swap(slots_);
        for (const Slot& slot : old)
            if (slot.number != 0) slots_[SlotOf(slot.key)] = slot;
    }

    std::vector<Slot> slots_;
    size_t used_ = 0;
};

// A vertex's last UV pair and the sighting that brought it (see
// NumberTextures).
struct VertexUv {
    uint64_t key;
    uint32_t sighting;  // kNoSighting: none yet
};

constexpr uint32_t kNoSighting = UINT32_MAX;

class ObjWriter {
public:
    ObjWriter(const Scene& scene, TextSink& out) : scene_(scene), out_(out) {}

    void Write() {
        out_.Append("# written by mqthicken\n");
        for (const std::string& library : scene_.materialLibraries) Line("mtllib ", library);
        // The material list, so that numbering and unused materials survive.
        for (const SceneMaterial& material : scene_.materials)
            Line("# mqthicken: material ", material.name);
        for (const SceneObject& object : scene_.objects) WriteObject(object);
    }

private:
    // A line of `key` and `text`. A '\' at the end of a line would join the
    // next line to it: a name that ends in one is followed by a blank, which
    // readers trim.
    void Line(std::string_view key, std::string_view text) {
        out_.Append(key);
        out_.Append(text);
        if (!text.empty() && text.back() == '\\') out_.Append(' ');
        out_.Append('\n');
    }

    void WriteObject(const SceneObject& object) {
        Line("o ", object.name);
        if (!object.visible) out_.Append("# mqthicken: hidden\n");
        if (object.locked) out_.Append("# mqthicken: locked\n");
        for (const ScenePoint& v : object.vertices) {
            char* p = out_.Room(3 * kMaxFloatText + 8);
            *p++ = 'v';
            *p++ = ' ';
            p = floats_.Format(p, v.x);
            *p++ = ' ';
            p = floats_.Format(p, v.y);
            *p++ = ' ';
            p = floats_.Format(p, v.z);
            *p++ = '\n';
            out_.Commit(p);
        }
        NumberTextures(object);
        for (size_t f = 0; f < object.FaceCount(); ++f) WriteFace(object, f);
        vertexBase_ += object.vertices.size();
        textureBase_ += objectTextures_;
    }

    // Writes one vt per distinct UV pair of the object, in the order of
    // first use, and numbers each face point's pair among them (from 1).
    // In three passes, as the table's slots lie far apart: each vertex's
    // points share a "sighting" while its pair stays the same (in most
    // meshes a vertex keeps one pair in every face around it); the
    // sightings' pairs are then looked up in a loop that does nothing else,
    // fetching slots ahead so that the look-ups overlap; and the vt lines
    // follow, a number's first sighting giving its pair.
    void NumberTextures(const SceneObject& object) {
        pointSightings_.assign(object.points.size(), 0);
        vertexUvs_.assign(object.vertices.size(), VertexUv{0, kNoSighting});
        sightingKeys_.clear();
        for (size_t f = 0; f < object.FaceCount(); ++f) {
            if (!object.faceHasUv[f]) continue;
            for (uint32_t p = object.faceStart[f]; p < object.faceStart[f + 1]; ++p) {
                const uint64_t key = UvKey(object.uvs[p]);
                const auto v = static_cast<uint32_t>(object.points[p]);
                const auto next = static_cast<uint32_t>(sightingKeys_.size());
                if (v >= vertexUvs_.size()) {  // no vertex of the object: nothing to remember
                    sightingKeys_.push_back(key);
                    pointSightings_[p] = next;
                    continue;
                }
                VertexUv& known = vertexUvs_[v];
                if (known.sighting == kNoSighting || known.key != key) {
                    known = VertexUv{key, next};
                    sightingKeys_.push_back(key);
                }
                pointSightings_[p] = known.sighting;
            }
        }

        const size_t sightings = sightingKeys_.size();
        // Grid-like meshes share each pair among about four points.
        textureOf_.Reset(object.points.size() / 4);
        sightingNumbers_.resize(sightings);
        objectTextures_ = 0;
        for (size_t s = 0; s < sightings; ++s) {
            if (s + kLookAhead < sightings) textureOf_.Prefetch(sightingKeys_[s + kLookAhead]);
            bool added = false;
            sightingNumbers_[s] = textureOf_.FindOrAdd(sightingKeys_[s], objectTextures_ + 1, added);
            objectTextures_ += added;
        }

        uint32_t written = 0;
        for (size_t s = 0; s < sightings; ++s)
            if (sightingNumbers_[s] > written) {
                ++written;
                WriteTexture(sightingKeys_[s]);
            }
    }

    // How many look-ups ahead the table's slots are fetched: about as many
    // as are made while one slot comes from memory.
    static constexpr size_t kLookAhead = 16;

    // The vt line of the pair whose bits are `key`.
    void WriteTexture(uint64_t key) {
        SceneUv uv;
        const auto u = static_cast<uint32_t>(key >> 32), v = static_cast<uint32_t>(key);
        std::memcpy(&uv.u, &u, 4);
        std::memcpy(&uv.v, &v, 4);
        char* p = out_.Room(2 * kMaxFloatText + 6);
        *p++ = 'v';
        *p++ = 't';
        *p++ = ' ';
        p = floats_.Format(p, uv.u);
        *p++ = ' ';
        p = floats_.Format(p, 1 - uv.v);
        *p++ = '\n';
        out_.Commit(p);
    }

    void WriteFace(const SceneObject& object, size_t f) {
        const int32_t material = object.faceMaterial[f];
        if (material != material_) {
            material_ = material;
            if (material >= 0 && size_t(material) < scene_.materials.size() &&
                !scene_.materials[material].name.empty())
                Line("usemtl ", scene_.materials[material].name);
            else
                Line("usemtl ", kObjNoMaterial);
        }
        const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
        const uint32_t n = end - begin;
        const bool uv = object.faceHasUv[f];
        out_.Append(n == 1 ? 'p' : n == 2 ? 'l' : 'f');
        // Reversed: OBJ runs counter-clockwise seen from the front.
        for (uint32_t p = end; p-- > begin;) {
            char* at = out_.Room(2 * kMaxIntText + 2);
            *at++ = ' ';
            at = FormatInt(at, int64_t(vertexBase_) + object.points[p] + 1);
            if (uv) {
                *at++ = '/';
                at = FormatInt(at, textureBase_ + sightingNumbers_[pointSightings_[p]]);
            }
            out_.Commit(at);
        }
        out_.Append('\n');
    }

    const Scene& scene_;
    TextSink& out_;
    FloatTextCache floats_;
    size_t vertexBase_ = 0;
    int64_t textureBase_ = 0;     // vt lines of the objects before this one
    uint32_t objectTextures_ = 0;  // vt lines of this object so far
    int32_t material_ = -1;
    UvNumbers textureOf_;
    std::vector<uint32_t> pointSightings_;   // per face point
    std::vector<VertexUv> vertexUvs_;        // per vertex
    std::vector<uint64_t> sightingKeys_;     // per sighting, its pair's bits
    std::vector<uint32_t> sightingNumbers_;  // per sighting, its number within the object
};

}  // namespace

void WriteObj(const Scene& scene, TextSink& out) {
    assert(scene.encoding == TextEncoding::Utf8);
    ObjWriter(scene, out).Write();
}

std::string WriteObj(const Scene& scene) {
    std::string text;
    {
        TextSink out(text);
        WriteObj(scene, out);
    }
    return text;
}
