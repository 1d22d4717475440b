// Writer of Wavefront .obj files.
#include <algorithm>
#include <cassert>
#include <cstring>
#include <vector>

#include "formats/float_text_cache.h"
#include "formats/number_text.h"
#include "formats/obj_format.h"
#include "formats/text_sink.h"
#include "platform/text_encoding.h"

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

    // The slot where the search for `key` begins, for the caller to fetch
    // ahead: the slots of a large table lie far apart, and a search a few
    // points later then need not wait for memory. (GCC drops a prefetch that
    // is all a member function does, so the caller issues it.)
    const void* HomeSlot(uint64_t key) const { return &slots_[Home(key)]; }

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

// Writes objects as OBJ text: each one's o (or g) line, its v and vt lines
// and its faces, whose vertex and UV numbers go on from those written before.
class ObjObjectWriter {
public:
    // Each object starts with a line of `keyword` ("o " or "g ") and its
    // name; `positions` v and `textures` vt lines come before the first;
    // `noMaterial`: no material is current there (else the first face names
    // its own, "(null)" included).
    ObjObjectWriter(const Scene& scene, TextSink& out, std::string_view keyword, bool crlf,
                    size_t positions, int64_t textures, bool noMaterial)
        : scene_(scene), out_(out), keyword_(keyword), crlf_(crlf), vertexBase_(positions),
          textureBase_(textures), material_(noMaterial ? -1 : kUnknownMaterial) {}

    // A line of `key` and `text`. A '\' at the end of a line would join the
    // next line to it: a name that ends in one is followed by a blank, which
    // readers trim.
    void Line(std::string_view key, std::string_view text) {
        out_.Append(key);
        if (!text.empty()) {
            out_.Append(text);
            if (text.back() == '\\') out_.Append(' ');
        }
        EndLine();
    }

    void WriteObject(const SceneObject& object) {
        Line(keyword_, object.name);
        if (!object.visible) Line("# mqthicken: hidden", {});
        if (object.locked) Line("# mqthicken: locked", {});
        for (const ScenePoint& v : object.vertices) {
            char* p = out_.Room(3 * kMaxFloatText + 9);
            *p++ = 'v';
            *p++ = ' ';
            p = floats_.Format(p, v.x);
            *p++ = ' ';
            p = floats_.Format(p, v.y);
            *p++ = ' ';
            p = floats_.Format(p, v.z);
            out_.Commit(EndLine(p));
        }
        NumberTextures(object);
        for (size_t f = 0; f < object.FaceCount(); ++f) WriteFace(object, f);
        vertexBase_ += object.vertices.size();
        textureBase_ += objectTextures_;
    }

private:
    // No face has it, so the next face names its material.
    static constexpr int64_t kUnknownMaterial = INT64_MIN;

    char* EndLine(char* p) const {
        if (crlf_) *p++ = '\r';
        *p++ = '\n';
        return p;
    }
    void EndLine() { out_.Commit(EndLine(out_.Room(2))); }

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
            if (s + kLookAhead < sightings)
                __builtin_prefetch(textureOf_.HomeSlot(sightingKeys_[s + kLookAhead]));
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
        char* p = out_.Room(2 * kMaxFloatText + 7);
        *p++ = 'v';
        *p++ = 't';
        *p++ = ' ';
        p = floats_.Format(p, uv.u);
        *p++ = ' ';
        p = floats_.Format(p, 1 - uv.v);
        out_.Commit(EndLine(p));
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
        EndLine();
    }

    const Scene& scene_;
    TextSink& out_;
    const std::string_view keyword_;
    const bool crlf_;  // lines end in CR LF, else LF
    FloatTextCache floats_;
    size_t vertexBase_;            // v lines of the objects before this one
    int64_t textureBase_;          // vt lines of the objects before this one
    uint32_t objectTextures_ = 0;  // vt lines of this object so far
    int64_t material_;             // of the last face written
    UvNumbers textureOf_;
    std::vector<uint32_t> pointSightings_;   // per face point
    std::vector<VertexUv> vertexUvs_;        // per vertex
    std::vector<uint64_t> sightingKeys_;     // per sighting, its pair's bits
    std::vector<uint32_t> sightingNumbers_;  // per sighting, its number within the object
};

// How the file a scene was read from ends, in its own encoding.
struct SourceEnd {
    bool empty = true;
    bool lineEnd = false;    // it ends with a line end
    bool cr = false;         // with a CR that no LF follows
    bool crlf = false;       // its last line end is CR LF
    bool continued = false;  // its last line ends in '\', going on on the next
};

SourceEnd EndOf(const SceneSource& source) {
    const std::string_view bytes = source.bytes;
    // Code units after the byte-order mark of UTF-16 (its bytes are even).
    const size_t first = source.utf16 ? 2 : 0, width = source.utf16 ? 2 : 1;
    const size_t units = bytes.size() > first ? (bytes.size() - first) / width : 0;
    auto unit = [&](size_t i) -> uint32_t {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + first + i * width);
        if (!source.utf16) return b[0];
        return source.bigEndian ? uint32_t(b[0] << 8 | b[1]) : uint32_t(b[1] << 8 | b[0]);
    };
    SourceEnd end;
    if (units == 0) return end;
    end.empty = false;
    size_t last = units;  // past the last line's text
    if (unit(units - 1) == '\n') {
        end.lineEnd = true;
        --last;
    } else {
        end.cr = unit(units - 1) == '\r';
    }
    if (last > 0 && unit(last - 1) == '\r') --last;
    end.continued = last > 0 && unit(last - 1) == '\\';
    for (size_t i = units; i-- > 0;)
        if (unit(i) == '\n') {
            end.crlf = i > 0 && unit(i - 1) == '\r';
            break;
        }
    return end;
}

// The word that starts a new object after the text of `source` so that the
// file's own lines read as before: "g" in a file whose "g" lines name its
// objects (an "o" line would make them groups of one object), else "o".
std::string_view ObjectKeyword(const SceneSource& source) {
    std::string decoded;
    std::string_view text = source.bytes;
    if (source.utf16) {
        Utf8FromUtf16(text.substr(std::min<size_t>(text.size(), 2)), source.bigEndian, decoded);
        text = decoded;
    } else if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    return ObjObjectLinesOf(text) == ObjObjectLines::Groups ? "g " : "o ";
}

// Writes the objects of `scene` from `source.objects` on, after the file's
// last line: a line end first when the file lacks one, and an empty line
// when its last line goes on on the next.
void WriteAddedObjects(const Scene& scene, TextSink& out) {
    const SceneSource& source = scene.source;
    const SourceEnd end = EndOf(source);
    const std::string_view lineEnd = end.crlf ? "\r\n" : "\n";
    if (!end.empty && !end.lineEnd) out.Append(end.cr ? "\n" : lineEnd);
    if (end.continued) out.Append(lineEnd);
    // A file with materials may end with one current (its last usemtl), so
    // that the first new face names its own; one without has none.
    ObjObjectWriter writer(scene, out, ObjectKeyword(source), end.crlf, source.positions,
                           int64_t(source.textures), scene.materials.empty());
    for (size_t o = source.objects; o < scene.objects.size(); ++o)
        writer.WriteObject(scene.objects[o]);
}

}  // namespace

void WriteObj(const Scene& scene, TextSink& out) {
    assert(scene.encoding == TextEncoding::Utf8);
    ObjObjectWriter writer(scene, out, "o ", false, 0, 0, true);
    out.Append("# written by mqthicken\n");
    for (const std::string& library : scene.materialLibraries) writer.Line("mtllib ", library);
    // The material list, so that numbering and unused materials survive.
    for (const SceneMaterial& material : scene.materials)
        writer.Line("# mqthicken: material ", material.name);
    for (const SceneObject& object : scene.objects) writer.WriteObject(object);
}

std::string WriteObj(const Scene& scene) {
    std::string text;
    {
        TextSink out(text);
        WriteObj(scene, out);
    }
    return text;
}

void WriteObjSplice(const Scene& scene, TextSink& out) {
    assert(scene.encoding == TextEncoding::Utf8);
    const SceneSource& source = scene.source;
    out.Append(source.bytes);
    if (source.objects >= scene.objects.size()) return;
    if (!source.utf16) {
        WriteAddedObjects(scene, out);
        return;
    }
    // The text is written in UTF-8 and then encoded as the file is, without
    // a second byte-order mark.
    std::string text, encoded;
    {
        TextSink sink(text);
        WriteAddedObjects(scene, sink);
    }
    Utf16FromUtf8(text, source.bigEndian, encoded);
    out.Append(encoded);
}
