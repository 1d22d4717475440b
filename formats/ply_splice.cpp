// The PLY file a scene was read from, with the records of the objects added
// since appended to its vertex and face elements, in its own layout.
#include <algorithm>
#include <cstring>
#include <vector>

#include "formats/number_text.h"
#include "formats/ply_format.h"
#include "formats/ply_header.h"
#include "formats/text_sink.h"

namespace {

// The vertex records of an object added. A vertex's UV is that of its first
// corner with one. In a file that keeps UVs per vertex, a vertex whose
// corners have other UVs as well is written once more for each of them,
// after the object's vertices, so that no corner's UV is lost.
struct ObjectRecords {
    std::vector<SceneUv> uvs;          // per record, v as the scene has it
    std::vector<int32_t> extraVertex;  // per record after the vertices, its vertex
    std::vector<int32_t> pointRecord;  // per face point, its record; empty: its vertex
    size_t Count() const { return uvs.size(); }
};

uint64_t UvBits(SceneUv uv) {
    uint32_t u, v;
    std::memcpy(&u, &uv.u, 4);
    std::memcpy(&v, &uv.v, 4);
    return uint64_t(u) << 32 | v;
}

ObjectRecords RecordsOf(const SceneObject& object, bool uvPerVertex) {
    ObjectRecords records;
    const size_t vertices = object.vertices.size();
    records.uvs.assign(vertices, SceneUv{0, 1});
    std::vector<uint8_t> seen(vertices, 0);
    // Corners whose UV is not their vertex's, sorted so that each vertex's
    // other UVs come together.
    struct Other {
        int32_t vertex;
        uint64_t uv;
        uint32_t point;
        bool operator<(const Other& o) const {
            return vertex != o.vertex ? vertex < o.vertex : uv < o.uv;
        }
    };
    std::vector<Other> others;
    for (size_t f = 0; f < object.FaceCount(); ++f) {
        if (!object.faceHasUv[f]) continue;
        for (uint32_t p = object.faceStart[f]; p < object.faceStart[f + 1]; ++p) {
            const auto v = static_cast<size_t>(object.points[p]);
            const uint64_t uv = UvBits(object.uvs[p]);
            if (!seen[v]) {
                seen[v] = 1;
                records.uvs[v] = object.uvs[p];
            } else if (uvPerVertex && UvBits(records.uvs[v]) != uv) {
                others.push_back({int32_t(v), uv, p});
            }
        }
    }
    if (others.empty()) return records;
    std::sort(others.begin(), others.end());
    records.pointRecord.assign(object.points.begin(), object.points.end());
    for (size_t i = 0; i < others.size(); ++i) {
        const Other& other = others[i];
        if (i == 0 || other.vertex != others[i - 1].vertex || other.uv != others[i - 1].uv) {
            records.extraVertex.push_back(other.vertex);
            records.uvs.push_back(object.uvs[other.point]);
        }
        records.pointRecord[other.point] = static_cast<int32_t>(records.Count() - 1);
    }
    return records;
}

// The records of every object added.
std::vector<ObjectRecords> RecordsOfAdded(const Scene& scene, bool uvPerVertex) {
    std::vector<ObjectRecords> records;
    for (size_t o = scene.source.objects; o < scene.objects.size(); ++o)
        records.push_back(RecordsOf(scene.objects[o], uvPerVertex));
    return records;
}

// What the objects added to a scene come to.
struct Added {
    size_t vertices = 0, faces = 0;
    size_t largest = 0;       // points of the largest face
    size_t largestUv = 0;     // points of the largest face with UVs
    bool uvs = false;         // a face has UVs
};

// With `records`, the vertices are the records written for them.
Added AddedOf(const Scene& scene, const std::vector<ObjectRecords>* records = nullptr) {
    Added added;
    for (size_t o = scene.source.objects; o < scene.objects.size(); ++o) {
        const SceneObject& object = scene.objects[o];
        added.vertices += records ? (*records)[o - scene.source.objects].Count()
                                  : object.vertices.size();
        for (size_t f = 0; f < object.FaceCount(); ++f) {
            const size_t n = object.FaceSize(f);
            if (n < 3) continue;  // as WritePly leaves them out
            ++added.faces;
            added.largest = std::max(added.largest, n);
            if (!object.faceHasUv[f]) continue;
            added.uvs = true;
            added.largestUv = std::max(added.largestUv, n);
        }
    }
    return added;
}

std::string TypeText(PlyType type) { return std::string("\"") + PlyTypeName(type) + "\""; }

// Writes the records of the new objects in the layout of a header.
class RecordWriter {
public:
    RecordWriter(const Scene& scene, const PlyHeader& header, const PlyMeshLayout& layout,
                 const std::vector<ObjectRecords>& records, TextSink& out)
        : scene_(scene), header_(header), layout_(layout), records_(records), out_(out),
          ascii_(header.encoding == PlyEncoding::Ascii),
          big_(header.encoding == PlyEncoding::BinaryBigEndian),
          lineEnd_(header.LineEnd()) {}

    // The vertex records (see ObjectRecords): each property in its place,
    // 0 where the scene has no value.
    void Vertices() {
        const PlyElement& element = header_.elements[layout_.vertex];
        for (size_t o = scene_.source.objects; o < scene_.objects.size(); ++o) {
            const SceneObject& object = scene_.objects[o];
            const ObjectRecords& records = records_[o - scene_.source.objects];
            const std::vector<SceneUv>& uvs = records.uvs;
            const size_t vertices = object.vertices.size();
            for (size_t v = 0; v < records.Count(); ++v) {
                const ScenePoint& point =
                    object.vertices[v < vertices ? v : size_t(records.extraVertex[v - vertices])];
                const double values[3] = {point.x, point.y, point.z};
                for (size_t p = 0; p < element.properties.size(); ++p) {
                    const PlyProperty& property = element.properties[p];
                    const int at = static_cast<int>(p);
                    double value = 0;
                    if (at == layout_.xyz[0] || at == layout_.xyz[1] || at == layout_.xyz[2])
                        value = values[at == layout_.xyz[0] ? 0 : at == layout_.xyz[1] ? 1 : 2];
                    else if (at == layout_.u) value = uvs[v].u;
                    else if (at == layout_.v) value = 1 - uvs[v].v;
                    if (property.list) Number(property.countType, 0, p == 0);
                    else Number(property.type, value, p == 0);
                }
                EndRecord();
            }
        }
    }

    // The faces of three or more points, reversed, with indices after the
    // file's vertices and those written before.
    void Faces(size_t fileVertices) {
        const PlyElement& element = header_.elements[layout_.face];
        size_t base = fileVertices;
        for (size_t o = scene_.source.objects; o < scene_.objects.size(); ++o) {
            const SceneObject& object = scene_.objects[o];
            const ObjectRecords& records = records_[o - scene_.source.objects];
            const std::vector<int32_t>& record =
                records.pointRecord.empty() ? object.points : records.pointRecord;
            for (size_t f = 0; f < object.FaceCount(); ++f) {
                const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
                if (end - begin < 3) continue;
                for (size_t p = 0; p < element.properties.size(); ++p) {
                    const PlyProperty& property = element.properties[p];
                    const int at = static_cast<int>(p);
                    if (!property.list) {
                        Number(property.type, 0, p == 0);
                        continue;
                    }
                    if (at == layout_.indices) {
                        Number(property.countType, end - begin, p == 0);
                        for (uint32_t k = end; k-- > begin;)
                            Number(property.type, double(base + size_t(record[k])), false);
                    } else if (at == layout_.texcoord && object.faceHasUv[f]) {
                        Number(property.countType, 2.0 * (end - begin), p == 0);
                        for (uint32_t k = end; k-- > begin;) {
                            Number(property.type, object.uvs[k].u, false);
                            Number(property.type, 1 - object.uvs[k].v, false);
                        }
                    } else {
                        Number(property.countType, 0, p == 0);
                    }
                }
                EndRecord();
            }
            base += records.Count();
        }
    }

private:
    // One value: binary in the file's byte order, or ASCII after a blank
    // (but for a record's first).
    void Number(PlyType type, double value, bool first) {
        char* p = out_.Room(kMaxFloatText + 2);
        if (!ascii_) {
            out_.Commit(PlyStore(p, type, value, big_));
            return;
        }
        if (!first) *p++ = ' ';
        if (PlyTypeIsInteger(type)) p = FormatInt(p, static_cast<int64_t>(value));
        else p = FormatFloat(p, static_cast<float>(value));
        out_.Commit(p);
    }

    void EndRecord() {
        if (ascii_) out_.Append(lineEnd_);
    }

    const Scene& scene_;
    const PlyHeader& header_;
    const PlyMeshLayout& layout_;
    const std::vector<ObjectRecords>& records_;
    TextSink& out_;
    const bool ascii_, big_;
    const std::string_view lineEnd_;
};

// Where the records of an element end: in ASCII after the line end that
// follows its last word, when only blanks come between them.
size_t RecordsEnd(std::string_view bytes, const PlyHeader& header, size_t at) {
    if (header.Binary()) return at;
    size_t end = at;
    while (end < bytes.size() && (bytes[end] == ' ' || bytes[end] == '\t' || bytes[end] == '\r'))
        ++end;
    if (end < bytes.size() && bytes[end] == '\n') return end + 1;
    // Lines that end in CR alone.
    end = at;
    while (end < bytes.size() && (bytes[end] == ' ' || bytes[end] == '\t')) ++end;
    return end < bytes.size() && bytes[end] == '\r' ? end + 1 : at;
}

}  // namespace

bool IsAsciiPly(std::string_view bytes) {
    PlyHeader header;
    std::string error;
    return ParsePlyHeader(bytes, "", header, error) && !header.Binary();
}

std::string PlySpliceRefusal(const Scene& scene) {
    const Added plain = AddedOf(scene);
    if (plain.vertices == 0 && plain.faces == 0) return {};
    PlyHeader header;
    std::string error;
    if (!ParsePlyHeader(scene.source.bytes, "", header, error))
        return "the file it was read from no longer has a PLY header";
    const PlyMeshLayout layout = PlyMeshLayoutOf(header);
    if (layout.vertex < 0) return "the PLY file has no vertex element for the new vertices";
    const std::vector<ObjectRecords> records = RecordsOfAdded(scene, layout.u >= 0);
    const Added added = AddedOf(scene, &records);
    const PlyElement& vertex = header.elements[layout.vertex];
    for (int a : layout.xyz) {
        if (a < 0) return "the PLY file's vertex element lacks a coordinate";
        if (PlyTypeIsInteger(vertex.properties[a].type))
            return "the PLY file's vertex coordinates are " + TypeText(vertex.properties[a].type) +
                   " integers, which cannot hold the new vertices' coordinates";
    }
    const uint64_t vertices = vertex.count + added.vertices;
    if (vertices > uint64_t(INT32_MAX)) return "the PLY file would have too many vertices";
    if (added.uvs && layout.u >= 0 &&
        (PlyTypeIsInteger(vertex.properties[layout.u].type) ||
         PlyTypeIsInteger(vertex.properties[layout.v].type)))
        return "the PLY file's UVs are integers, which cannot hold the new faces' UVs";
    if (added.faces == 0) return {};
    if (layout.face < 0 || layout.indices < 0)
        return "the PLY file has no face element with vertex indices for the new faces";
    const PlyElement& face = header.elements[layout.face];
    const PlyProperty& indices = face.properties[layout.indices];
    if (!PlyTypeIsInteger(indices.type) || PlyTypeMax(indices.type) < vertices - 1)
        return "the PLY file's vertex indices are " + TypeText(indices.type) +
               ", too small for the new faces' index " + std::to_string(vertices - 1) + "";
    if (PlyTypeMax(indices.countType) < added.largest)
        return "the PLY file's faces count their points in " + TypeText(indices.countType) +
               ", too small for a new face of " + std::to_string(added.largest) + " points";
    if (layout.texcoord >= 0 && added.uvs) {
        const PlyProperty& texcoord = face.properties[layout.texcoord];
        if (PlyTypeMax(texcoord.countType) < 2 * added.largestUv)
            return "the PLY file's texcoord lists count their numbers in " +
                   TypeText(texcoord.countType) + ", too small for a new face of " +
                   std::to_string(added.largestUv) + " points";
        if (PlyTypeIsInteger(texcoord.type))
            return "the PLY file's texcoord lists hold integers, which cannot hold the new faces' "
                   "UVs";
    }
    return {};
}

void WritePlySplice(const Scene& scene, TextSink& out) {
    const std::string_view bytes = scene.source.bytes;
    PlyHeader header;
    std::string error;
    const Added plain = AddedOf(scene);
    if ((plain.vertices == 0 && plain.faces == 0) || !ParsePlyHeader(bytes, "", header, error)) {
        out.Append(bytes);
        return;
    }
    const PlyMeshLayout layout = PlyMeshLayoutOf(header);
    if (layout.vertex < 0) {  // refused by PlySpliceRefusal
        out.Append(bytes);
        return;
    }
    const std::vector<ObjectRecords> objectRecords = RecordsOfAdded(scene, layout.u >= 0);
    const Added added = AddedOf(scene, &objectRecords);
    // Where the vertex and face records end: the element before each ends
    // where it begins.
    PlyCursor cursor{header.bodyBegin, header.bodyLine};
    size_t vertexEnd = bytes.size(), faceEnd = bytes.size();
    for (size_t e = 0; e < header.elements.size(); ++e) {
        if (!SkipPlyRecords(bytes, header, header.elements[e], cursor, "", error)) break;
        const size_t end = RecordsEnd(bytes, header, cursor.at);
        if (int(e) == layout.vertex) vertexEnd = end;
        if (int(e) == layout.face) faceEnd = end;
    }
    const bool faces = added.faces > 0 && layout.face >= 0;
    // The header, its vertex and face counts changed.
    struct Count {
        SourceSpan text;
        uint64_t value;
    };
    std::vector<Count> counts;
    if (added.vertices > 0) {
        const PlyElement& vertex = header.elements[layout.vertex];
        counts.push_back({vertex.countText, vertex.count + added.vertices});
    }
    if (faces) {
        const PlyElement& face = header.elements[layout.face];
        counts.push_back({face.countText, face.count + added.faces});
    }
    std::sort(counts.begin(), counts.end(),
              [](const Count& a, const Count& b) { return a.text.begin < b.text.begin; });
    size_t at = 0;
    for (const Count& count : counts) {
        out.Append(bytes.substr(at, count.text.begin - at));
        std::string number;
        AppendInt(number, int64_t(count.value));
        out.Append(number);
        at = count.text.End();
    }
    // The body, the new records after the file's own of each element.
    RecordWriter records(scene, header, layout, objectRecords, out);
    const uint64_t fileVertices = header.elements[layout.vertex].count;
    // An ASCII record starts on a line of its own, and a body after the
    // header's line end, which a file that ends with end_header lacks: the
    // line end is added once where the bytes have none.
    size_t lineEnded = std::string_view::npos;
    const auto startRecords = [&](size_t end) {
        out.Append(bytes.substr(at, end - at));
        at = end;
        if ((!header.Binary() || at == header.bodyBegin) && at != lineEnded &&
            bytes[at - 1] != '\n' && bytes[at - 1] != '\r') {
            out.Append(header.LineEnd());
            lineEnded = at;
        }
    };
    const bool vertexFirst = !faces || vertexEnd <= faceEnd;
    for (int step = 0; step < 2; ++step) {
        const bool vertexStep = (step == 0) == vertexFirst;
        if (vertexStep && added.vertices > 0) {
            startRecords(vertexEnd);
            records.Vertices();
        } else if (!vertexStep && faces) {
            startRecords(faceEnd);
            records.Faces(static_cast<size_t>(fileVertices));
        }
    }
    out.Append(bytes.substr(at));
}

size_t PlyVertexCopiesForUvs(const Scene& scene) {
    PlyHeader header;
    std::string error;
    if (!ParsePlyHeader(scene.source.bytes, "", header, error)) return 0;
    const PlyMeshLayout layout = PlyMeshLayoutOf(header);
    if (layout.vertex < 0 || layout.u < 0) return 0;
    size_t copies = 0;
    for (const ObjectRecords& records : RecordsOfAdded(scene, true))
        copies += records.extraVertex.size();
    return copies;
}
