// Writers of PLY files: one composed from a scene, and the file a scene was
// read from with the new objects' records spliced in.
#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/float_text_cache.h"
#include "formats/little_endian.h"
#include "formats/number_text.h"
#include "formats/ply_format.h"
#include "formats/ply_header.h"
#include "formats/shown_text.h"
#include "formats/text_sink.h"

namespace {

uint64_t UvBits(SceneUv uv) {
    uint32_t u, v;
    std::memcpy(&u, &uv.u, 4);
    std::memcpy(&v, &uv.v, 4);
    return uint64_t(u) << 32 | v;
}

// PLY readers take polygons: faces of fewer points are left out.
bool Written(const SceneObject& object, size_t f) { return object.FaceSize(f) >= 3; }

enum class UvForm { None, PerVertex, PerCorner };

// What the objects from `first` on come to as one PLY mesh.
struct MeshPlan {
    size_t vertices = 0, faces = 0;
    size_t shortFaces = 0;   // left out
    size_t largest = 0;      // points of the largest face written
    bool materials = false;  // a face has one
    UvForm uv = UvForm::None;
    // Per object, the UV of each vertex (when UVs go per vertex: the one all
    // its corners have), v as the scene has it.
    std::vector<std::vector<SceneUv>> vertexUvs;
};

MeshPlan PlanMesh(const Scene& scene, size_t first) {
    MeshPlan plan;
    bool anyUv = false, allUv = true, agree = true;
    std::vector<uint8_t> seen;
    for (size_t o = first; o < scene.objects.size(); ++o) {
        const SceneObject& object = scene.objects[o];
        plan.vertices += object.vertices.size();
        std::vector<SceneUv>& uvs = plan.vertexUvs.emplace_back(object.vertices.size());
        seen.assign(object.vertices.size(), 0);
        for (size_t f = 0; f < object.FaceCount(); ++f) {
            if (!Written(object, f)) {
                ++plan.shortFaces;
                continue;
            }
            ++plan.faces;
            plan.largest = std::max<size_t>(plan.largest, object.FaceSize(f));
            plan.materials = plan.materials || object.faceMaterial[f] >= 0;
            if (!object.faceHasUv[f]) {
                allUv = false;
                continue;
            }
            anyUv = true;
            for (uint32_t p = object.faceStart[f]; p < object.faceStart[f + 1]; ++p) {
                const auto v = static_cast<size_t>(object.points[p]);
                if (!seen[v]) {
                    seen[v] = 1;
                    uvs[v] = object.uvs[p];
                } else {
                    agree = agree && UvBits(uvs[v]) == UvBits(object.uvs[p]);
                }
            }
        }
    }
    plan.uv = !anyUv ? UvForm::None : allUv && agree ? UvForm::PerVertex : UvForm::PerCorner;
    return plan;
}

// The least count type that holds `n`.
PlyType CountType(size_t n) {
    return n <= 255 ? PlyType::Uint8 : n <= 65535 ? PlyType::Uint16 : PlyType::Int32;
}

inline char* StoreCount(char* p, PlyType type, size_t n) {
    if (type == PlyType::Uint8) {
        *p++ = static_cast<char>(n);
        return p;
    }
    if (type == PlyType::Uint16) {
        *p++ = static_cast<char>(n);
        *p++ = static_cast<char>(n >> 8);
        return p;
    }
    return StoreLittle32(p, static_cast<uint32_t>(n));
}

// Writes the composed mesh: binary little-endian or ASCII records.
class MeshWriter {
public:
    MeshWriter(const Scene& scene, const MeshPlan& plan, bool ascii, TextSink& out)
        : scene_(scene), plan_(plan), ascii_(ascii), out_(out),
          indexCount_(CountType(plan.largest)), uvCount_(CountType(2 * plan.largest)) {}

    void Write() {
        std::string header = "ply\nformat ";
        header += ascii_ ? "ascii" : "binary_little_endian";
        header += " 1.0\ncomment written by mqthicken\nelement vertex ";
        AppendInt(header, int64_t(plan_.vertices));
        header += "\nproperty float x\nproperty float y\nproperty float z\n";
        if (plan_.uv == UvForm::PerVertex) header += "property float s\nproperty float t\n";
        header += "element face ";
        AppendInt(header, int64_t(plan_.faces));
        header += std::string("\nproperty list ") + PlyTypeName(indexCount_) + " int vertex_indices\n";
        if (plan_.uv == UvForm::PerCorner)
            header += std::string("property list ") + PlyTypeName(uvCount_) + " float texcoord\n";
        header += "end_header\n";
        out_.Append(header);
        for (size_t o = 0; o < plan_.vertexUvs.size(); ++o) WriteVertices(o);
        size_t base = 0;
        for (const SceneObject& object : scene_.objects) {
            for (size_t f = 0; f < object.FaceCount(); ++f)
                if (Written(object, f)) WriteFace(object, f, base);
            base += object.vertices.size();
        }
    }

private:
    void WriteVertices(size_t o) {
        const SceneObject& object = scene_.objects[o];
        const bool uv = plan_.uv == UvForm::PerVertex;
        const std::vector<SceneUv>& uvs = plan_.vertexUvs[o];
        for (size_t v = 0; v < object.vertices.size(); ++v) {
            const ScenePoint& point = object.vertices[v];
            char* p = out_.Room(5 * (kMaxFloatText + 1));
            if (ascii_) {
                p = floats_.Format(p, point.x);
                *p++ = ' ';
                p = floats_.Format(p, point.y);
                *p++ = ' ';
                p = floats_.Format(p, point.z);
                if (uv) {
                    *p++ = ' ';
                    p = floats_.Format(p, uvs[v].u);
                    *p++ = ' ';
                    p = floats_.Format(p, 1 - uvs[v].v);
                }
                *p++ = '\n';
            } else {
                p = StoreLittleFloat(p, point.x);
                p = StoreLittleFloat(p, point.y);
                p = StoreLittleFloat(p, point.z);
                if (uv) {
                    p = StoreLittleFloat(p, uvs[v].u);
                    p = StoreLittleFloat(p, 1 - uvs[v].v);
                }
            }
            out_.Commit(p);
        }
    }

    // The most bytes one item takes: an index or a count, a UV pair.
    static constexpr size_t kIndexRoom = kMaxIntText + 1;
    static constexpr size_t kItemRoom = 2 * (kMaxFloatText + 1);

    // Reversed: PLY runs counter-clockwise seen from the front.
    void WriteFace(const SceneObject& object, size_t f, size_t base) {
        const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
        const size_t n = end - begin;
        // Small faces have their room at once, large ones item by item.
        const bool small = n <= 64;
        char* p = out_.Room(small ? (n + 1) * kIndexRoom : kIndexRoom);
        p = ascii_ ? FormatInt(p, int64_t(n)) : StoreCount(p, indexCount_, n);
        for (uint32_t k = end; k-- > begin;) {
            if (!small) {
                out_.Commit(p);
                p = out_.Room(kIndexRoom);
            }
            const auto index = static_cast<int32_t>(base + static_cast<size_t>(object.points[k]));
            if (ascii_) {
                *p++ = ' ';
                p = FormatInt(p, index);
            } else {
                p = StoreLittle32(p, static_cast<uint32_t>(index));
            }
        }
        out_.Commit(p);
        if (plan_.uv == UvForm::PerCorner) WriteCornerUvs(object, f);
        if (ascii_) out_.Append('\n');
    }

    void WriteCornerUvs(const SceneObject& object, size_t f) {
        const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
        const size_t n = object.faceHasUv[f] ? end - begin : 0;
        char* p = out_.Room(kItemRoom);
        if (ascii_) {
            *p++ = ' ';
            p = FormatInt(p, int64_t(2 * n));
        } else {
            p = StoreCount(p, uvCount_, 2 * n);
        }
        out_.Commit(p);
        if (n == 0) return;
        for (uint32_t k = end; k-- > begin;) {
            const SceneUv uv = object.uvs[k];
            p = out_.Room(kItemRoom);
            if (ascii_) {
                *p++ = ' ';
                p = floats_.Format(p, uv.u);
                *p++ = ' ';
                p = floats_.Format(p, 1 - uv.v);
            } else {
                p = StoreLittleFloat(p, uv.u);
                p = StoreLittleFloat(p, 1 - uv.v);
            }
            out_.Commit(p);
        }
    }

    const Scene& scene_;
    const MeshPlan& plan_;
    const bool ascii_;
    TextSink& out_;
    const PlyType indexCount_, uvCount_;
    FloatTextCache floats_;
};

}  // namespace

void WritePly(const Scene& scene, bool ascii, TextSink& out) {
    const MeshPlan plan = PlanMesh(scene, 0);
    MeshWriter(scene, plan, ascii, out).Write();
}

std::string PlyLosses(const Scene& scene, bool spliced) {
    const MeshPlan plan = PlanMesh(scene, 0);
    std::vector<std::string> parts;
    if (scene.objects.size() > 1)
        parts.push_back("the " + std::to_string(scene.objects.size()) +
                        " objects are merged into one mesh");
    if (plan.materials) parts.push_back("the faces' materials are dropped");
    // Spliced, the file's own layout takes the UVs: a texcoord list keeps
    // them per corner, UVs per vertex are kept by writing vertices again.
    const size_t copies = spliced ? PlyVertexCopiesForUvs(scene) : 0;
    if (copies)
        parts.push_back(copies == 1 ? "1 vertex is written again for another UV of its corners"
                                    : std::to_string(copies) + " vertices are written again for "
                                                               "other UVs of their corners");
    if (copies) parts.back() += " (the file keeps one UV per vertex)";
    if (plan.uv == UvForm::PerCorner && !spliced)
        parts.push_back("UVs that differ between the corners of a vertex are written per face "
                        "corner (texcoord), which fewer programs read");
    if (plan.shortFaces)
        parts.push_back(std::to_string(plan.shortFaces) +
                        (plan.shortFaces == 1 ? " face" : " faces") +
                        " of fewer than three points (lines and points) " +
                        (plan.shortFaces == 1 ? "is" : "are") + " left out");
    return parts.empty() ? std::string() : "written as PLY, " + ListedInProse(parts);
}
