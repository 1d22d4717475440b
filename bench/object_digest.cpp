#include "bench/object_digest.h"

#include <cassert>
#include <cstring>
#include <vector>

#include "host/object.h"

namespace {

class Fnv1a {
public:
    void Add32(uint32_t value) {
        // Byte by byte from the least significant, whatever the machine.
        for (int i = 0; i < 4; ++i) {
            hash_ ^= (value >> (8 * i)) & 0xFF;
            hash_ *= 0x100000001B3ull;
        }
    }
    void AddInt(int32_t value) { Add32(static_cast<uint32_t>(value)); }
    void AddFloat(float value) {
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Add32(bits);
    }
    uint64_t Value() const { return hash_; }

private:
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

}  // namespace

ObjectDigest DigestOf(const MQObjectRec& object) {
    ObjectDigest digest;
    Fnv1a hash;
    std::vector<int32_t> index(static_cast<size_t>(object.VertexCount()), -1);
    for (int v = 0; v < object.VertexCount(); ++v) {
        if (!object.vertexLive[v]) continue;
        index[static_cast<size_t>(v)] = digest.vertices++;
        const MQPoint& p = object.positions[v];
        hash.AddFloat(p.x);
        hash.AddFloat(p.y);
        hash.AddFloat(p.z);
        hash.AddFloat(object.weights[v]);
    }
    for (const HostFace& face : object.faces) {
        if (face.count == 0) continue;
        ++digest.faces;
        if (face.count == 2) ++digest.lines;
        hash.AddInt(face.count);
        for (int k = 0; k < face.count; ++k) {
            const int32_t point = index[static_cast<size_t>(face.points[k])];
            assert(point >= 0);  // live faces name live vertices
            hash.AddInt(point);
        }
        for (int k = 0; k < face.count; ++k) {
            hash.AddFloat(face.uvs[k].u);
            hash.AddFloat(face.uvs[k].v);
        }
        hash.AddInt(face.material);
    }
    digest.hash = hash.Value();
    return digest;
}
