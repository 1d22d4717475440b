// Writer of Wavefront .obj files.
#include <cassert>
#include <cstring>
#include <vector>

#include "cli/number_text.h"
#include "cli/obj_format.h"

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
    int64_t FindOrAdd(uint64_t key, int64_t next, bool& added) {
        if ((used_ + 1) * 2 > slots_.size()) Grow();
        Slot& slot = slots_[SlotOf(key)];
        added = slot.number == 0;
        if (added) {
            slot = Slot{key, next};
            ++used_;
        }
        return slot.number;
    }

private:
    struct Slot {
        uint64_t key;
        int64_t number;  // 0: empty (numbers start at 1)
    };

    size_t SlotOf(uint64_t key) const {
        // Every bit of the key reaches the low bits: the UV pairs of a grid
        // differ mostly in their high bits.
        uint64_t h = key;
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdull;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ull;
        h ^= h >> 33;
        const size_t mask = slots_.size() - 1;
        size_t i = static_cast<size_t>(h) & mask;
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

class ObjWriter {
public:
    explicit ObjWriter(const Scene& scene) : scene_(scene) {}

    std::string Write() {
        // Room for the usual length at once: growing a text of hundreds of
        // megabytes step by step copies it again at every step. (Room that
        // goes unused costs no memory until it is written.)
        size_t expected = 1024;
        for (const SceneObject& object : scene_.objects)
            expected += 48 * object.vertices.size() + 24 * object.points.size() + 8 * object.FaceCount();
        out_.reserve(expected);
        out_ = "# written by mqthicken\n";
        for (const std::string& library : scene_.materialLibraries)
            out_.append("mtllib ").append(library).append("\n");
        // The material list, so that numbering and unused materials survive.
        for (const SceneMaterial& material : scene_.materials)
            out_.append("# mqthicken: material ").append(material.name).append("\n");
        for (const SceneObject& object : scene_.objects) WriteObject(object);
        return std::move(out_);
    }

private:
    void WriteObject(const SceneObject& object) {
        out_.append("o ").append(object.name).append("\n");
        if (!object.visible) out_ += "# mqthicken: hidden\n";
        if (object.locked) out_ += "# mqthicken: locked\n";
        for (const ScenePoint& v : object.vertices) {
            out_ += "v ";
            AppendFloat(out_, v.x);
            out_ += ' ';
            AppendFloat(out_, v.y);
            out_ += ' ';
            AppendFloat(out_, v.z);
            out_ += '\n';
        }
        // One vt per distinct UV pair of the object.
        // Grid-like meshes share each pair among about four points.
        textureOf_.Reset(object.points.size() / 4);
        faceTextures_.assign(object.points.size(), 0);
        for (size_t f = 0; f < object.FaceCount(); ++f) {
            if (!object.faceHasUv[f]) continue;
            for (uint32_t p = object.faceStart[f]; p < object.faceStart[f + 1]; ++p) {
                bool inserted = false;
                const int64_t number = textureOf_.FindOrAdd(UvKey(object.uvs[p]), textureCount_ + 1, inserted);
                if (inserted) {
                    ++textureCount_;
                    out_ += "vt ";
                    AppendFloat(out_, object.uvs[p].u);
                    out_ += ' ';
                    AppendFloat(out_, 1 - object.uvs[p].v);
                    out_ += '\n';
                }
                faceTextures_[p] = number;
            }
        }
        for (size_t f = 0; f < object.FaceCount(); ++f) WriteFace(object, f);
        vertexBase_ += object.vertices.size();
    }

    void WriteFace(const SceneObject& object, size_t f) {
        const int32_t material = object.faceMaterial[f];
        if (material != material_) {
            material_ = material;
            out_ += "usemtl ";
            if (material >= 0 && size_t(material) < scene_.materials.size() &&
                !scene_.materials[material].name.empty())
                out_.append(scene_.materials[material].name);
            else
                out_.append(kObjNoMaterial);
            out_ += '\n';
        }
        const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
        const uint32_t n = end - begin;
        out_ += n == 1 ? "p" : n == 2 ? "l" : "f";
        // Reversed: OBJ runs counter-clockwise seen from the front.
        for (uint32_t p = end; p-- > begin;) {
            out_ += ' ';
            AppendInt(out_, int64_t(vertexBase_) + object.points[p] + 1);
            if (object.faceHasUv[f]) {
                out_ += '/';
                AppendInt(out_, faceTextures_[p]);
            }
        }
        out_ += '\n';
    }

    const Scene& scene_;
    std::string out_;
    size_t vertexBase_ = 0;
    int64_t textureCount_ = 0;
    int32_t material_ = -1;
    UvNumbers textureOf_;
    std::vector<int64_t> faceTextures_;
};

}  // namespace

std::string WriteObj(const Scene& scene) {
    assert(scene.encoding == TextEncoding::Utf8);
    return ObjWriter(scene).Write();
}
