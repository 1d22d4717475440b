// Reader of PLY files: the header's layout, then one pass over the records.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "formats/number_text.h"
#include "formats/ply_format.h"
#include "formats/ply_header.h"
#include "formats/shown_text.h"

namespace {

// What a property of the vertex or face element gives the scene.
enum class Role : uint8_t { Skip, X, Y, Z, U, V, Indices, Texcoord };

// What the records of an element are read as.
enum class Records : uint8_t { Vertices, Faces, Strips };

template <bool Big>
inline double LoadReal(const unsigned char* p, PlyType type) {
    if (type == PlyType::Float32) {
        const uint32_t bits = PlyLoad32<Big>(p);
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    if (type == PlyType::Float64) {
        const uint64_t bits = PlyLoad64<Big>(p);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    return static_cast<double>(PlyLoadInteger<Big>(p, type));
}

// `value` as a float, false when it is not finite or beyond the float range.
inline bool ToFloat(double value, float& out) {
    if (!(std::fabs(value) <= FLT_MAX)) return false;
    out = static_cast<float>(value);
    return true;
}

class PlyReader {
public:
    PlyReader(std::string_view bytes, const std::string& fileName, Scene& scene, std::string& error)
        : bytes_(bytes), data_(reinterpret_cast<const unsigned char*>(bytes.data())),
          fileName_(fileName), scene_(scene), error_(error) {}

    bool Read() {
        if (!ParsePlyHeader(bytes_, fileName_, header_, error_) || !Plan()) return false;
        scene_.objects.emplace_back();
        object_ = &scene_.objects.back();
        object_->name = std::string(kPlyObjectName);
        PlyCursor cursor{header_.bodyBegin, header_.bodyLine};
        for (size_t e = 0; e < header_.elements.size(); ++e) {
            const PlyElement& element = header_.elements[e];
            bool ok;
            if (int(e) == vertexElement_)
                ok = ReadElement(element, vertexRoles_, Records::Vertices, cursor);
            else if (int(e) == faceElement_)
                ok = ReadElement(element, faceRoles_, Records::Faces, cursor);
            else if (int(e) == stripElement_)
                ok = ReadElement(element, stripRoles_, Records::Strips, cursor);
            else ok = SkipPlyRecords(bytes_, header_, element, cursor, fileName_, error_);
            if (!ok) return false;
        }
        GiveVertexUvs();
        Warn();
        scene_.source.objects = scene_.objects.size();
        return true;
    }

private:
    bool HeaderFail(int line, const std::string& what) {
        error_ = fileName_ + ":" + std::to_string(line) + ": " + what;
        return false;
    }
    bool Fail(PlyCursor cursor, const std::string& what) {
        error_ = PlyBodyError(fileName_, header_, cursor, what);
        return false;
    }

    // Gives each property of the vertex and face elements its role, and
    // names the rest.
    bool Plan() {
        const PlyMeshLayout layout = PlyMeshLayoutOf(header_);
        vertexElement_ = layout.vertex;
        faceElement_ = layout.face;
        if (vertexElement_ < 0) return HeaderFail(header_.bodyLine - 1, "the file has no vertex element");
        const PlyElement& vertex = header_.elements[vertexElement_];
        if (vertex.count > uint64_t(INT32_MAX))
            return HeaderFail(vertex.line, "too many vertices (" + std::to_string(vertex.count) + ")");
        vertexCount_ = static_cast<int64_t>(vertex.count);
        vertexRoles_.assign(vertex.properties.size(), Role::Skip);
        for (int a = 0; a < 3; ++a) {
            if (layout.xyz[a] < 0)
                return HeaderFail(vertex.line, std::string("the vertex element has no ") +
                                                   "xyz"[a] + " property");
            vertexRoles_[layout.xyz[a]] = Role(int(Role::X) + a);
        }
        if (layout.u >= 0) {
            vertexRoles_[layout.u] = Role::U;
            vertexRoles_[layout.v] = Role::V;
            vertexUvs_ = true;
        }
        if (faceElement_ >= 0) {
            const PlyElement& face = header_.elements[faceElement_];
            faceRoles_.assign(face.properties.size(), Role::Skip);
            if (layout.indices < 0)
                return HeaderFail(face.line, "the face element has no vertex_indices list");
            const PlyProperty& list = face.properties[layout.indices];
            if (!PlyTypeIsInteger(list.type))
                return HeaderFail(list.line, "vertex indices of type \"" +
                                                 std::string(PlyTypeName(list.type)) +
                                                 "\" (expected an integer type)");
            faceRoles_[layout.indices] = Role::Indices;
            if (layout.texcoord >= 0) faceRoles_[layout.texcoord] = Role::Texcoord;
            cornerUvs_ = layout.texcoord >= 0;
        }
        if (layout.stripIndices >= 0) {
            const PlyElement& strips = header_.elements[layout.strips];
            const PlyProperty& list = strips.properties[layout.stripIndices];
            if (!PlyTypeIsInteger(list.type))
                return HeaderFail(list.line, "vertex indices of type \"" +
                                                 std::string(PlyTypeName(list.type)) +
                                                 "\" (expected an integer type)");
            stripElement_ = layout.strips;
            stripRoles_.assign(strips.properties.size(), Role::Skip);
            stripRoles_[layout.stripIndices] = Role::Indices;
        }
        for (size_t e = 0; e < header_.elements.size(); ++e) {
            const PlyElement& element = header_.elements[e];
            if (int(e) != vertexElement_ && int(e) != faceElement_ && int(e) != stripElement_) {
                skippedElements_ += (skippedElements_.empty() ? "" : ", ") + ShownText(element.name);
                continue;
            }
            const std::vector<Role>& roles = int(e) == vertexElement_ ? vertexRoles_
                                             : int(e) == faceElement_ ? faceRoles_
                                                                      : stripRoles_;
            std::string& names = int(e) == vertexElement_ ? skippedVertex_ : skippedFace_;
            for (size_t p = 0; p < roles.size(); ++p)
                if (roles[p] == Role::Skip)
                    names += (names.empty() ? "" : ", ") + ShownText(element.properties[p].name);
        }
        return true;
    }

    void Warn() {
        std::string kinds;
        auto add = [&kinds](const std::string& kind, const std::string& names) {
            if (!names.empty()) kinds += (kinds.empty() ? "" : ", ") + kind + " (" + names + ")";
        };
        add("vertex properties", skippedVertex_);
        add("face properties", skippedFace_);
        add("elements", skippedElements_);
        if (emptyFaces_)
            kinds += (kinds.empty() ? "" : ", ") + std::to_string(emptyFaces_) +
                     (emptyFaces_ == 1 ? " face" : " faces") + " without points";
        if (!kinds.empty()) scene_.warnings.push_back(fileName_ + ": not carried over: " + kinds);
        if (header_.strayLines)
            scene_.warnings.push_back(
                fileName_ + ":" + std::to_string(header_.strayLine) + ": the header line \"" +
                ShownText(header_.strayText) + "\"" +
                (header_.strayLines > 1 ? " and " + std::to_string(header_.strayLines - 1) +
                                              " more of no PLY keyword were"
                                        : " has no PLY keyword and was") +
                " read as a comment");
    }

    // Makes room for the element's records, whose count the header parser
    // has checked against the file's size. Faces are counted by what the
    // bytes from `at` on could hold of faces with points, so that a file of
    // empty faces reserves nothing for them.
    void Reserve(const PlyElement& element, const std::vector<Role>& roles, Records records,
                 size_t at) {
        const size_t count = static_cast<size_t>(element.count);
        if (records == Records::Vertices) {
            object_->vertices.reserve(count);
            if (vertexUvs_) uvOfVertex_.reserve(count);
            return;
        }
        if (records == Records::Strips) return;
        // The least bytes of an index: two in ASCII (a digit and a blank).
        const size_t list = static_cast<size_t>(
            std::find(roles.begin(), roles.end(), Role::Indices) - roles.begin());
        const size_t index = header_.Binary() ? PlyTypeSize(element.properties[list].type) : 2;
        const size_t left = bytes_.size() - std::min(at, bytes_.size());
        const size_t faces = std::min(count, left / (element.minRecordSize + index));
        object_->faceStart.reserve(faces + 1);
        object_->faceMaterial.reserve(faces);
        object_->faceHasUv.reserve(faces);
        // Triangles, as most meshes are, within what the bytes can hold.
        const size_t points = std::min(faces * 3, left / index);
        object_->points.reserve(points);
        object_->uvs.reserve(points);
    }

    bool ReadElement(const PlyElement& element, const std::vector<Role>& roles, Records records,
                     PlyCursor& cursor) {
        Reserve(element, roles, records, cursor.at);
        // A strip's index of -1 starts the next strip.
        strips_ = records == Records::Strips;
        leastIndex_ = strips_ ? -1 : 0;
        const bool faces = records != Records::Vertices;
        switch (header_.encoding) {
        case PlyEncoding::Ascii: return ReadAscii(element, roles, faces, cursor);
        case PlyEncoding::BinaryLittleEndian:
            if (!faces && !element.hasList) return ReadFixedVertices<false>(element, roles, cursor);
            return ReadBinary<false>(element, roles, faces, cursor);
        default:
            if (!faces && !element.hasList) return ReadFixedVertices<true>(element, roles, cursor);
            return ReadBinary<true>(element, roles, faces, cursor);
        }
    }

    // Vertices of fixed-size records: each value at its offset in the record.
    template <bool Big>
    bool ReadFixedVertices(const PlyElement& element, const std::vector<Role>& roles,
                           PlyCursor& cursor) {
        size_t offset[5] = {}, at = 0;
        PlyType type[5] = {};
        for (size_t p = 0; p < roles.size(); ++p) {
            const PlyType t = element.properties[p].type;
            if (roles[p] != Role::Skip) {
                offset[int(roles[p]) - int(Role::X)] = at;
                type[int(roles[p]) - int(Role::X)] = t;
            }
            at += PlyTypeSize(t);
        }
        const size_t size = element.minRecordSize;
        if (element.count * size > bytes_.size() - cursor.at) {
            cursor.at = bytes_.size();
            return Fail(cursor, "the file ends within element \"vertex\"");
        }
        for (uint64_t r = 0; r < element.count; ++r, cursor.at += size) {
            const unsigned char* record = data_ + cursor.at;
            ScenePoint point;
            SceneUv uv;
            if (!ToFloat(LoadReal<Big>(record + offset[0], type[0]), point.x) ||
                !ToFloat(LoadReal<Big>(record + offset[1], type[1]), point.y) ||
                !ToFloat(LoadReal<Big>(record + offset[2], type[2]), point.z))
                return Fail(cursor, "a coordinate that is not a finite float");
            object_->vertices.push_back(point);
            if (!vertexUvs_) continue;
            if (!ToFloat(LoadReal<Big>(record + offset[3], type[3]), uv.u) ||
                !ToFloat(LoadReal<Big>(record + offset[4], type[4]), uv.v))
                return Fail(cursor, "a UV that is not a finite float");
            uv.v = 1 - uv.v;
            uvOfVertex_.push_back(uv);
        }
        return true;
    }

    // Takes a scalar value of the vertex element (role X to V).
    bool TakeValue(Role role, double value, ScenePoint& point, SceneUv& uv) {
        float f;
        if (!ToFloat(value, f)) return false;
        switch (role) {
        case Role::X: point.x = f; break;
        case Role::Y: point.y = f; break;
        case Role::Z: point.z = f; break;
        case Role::U: uv.u = f; break;
        default: uv.v = f; break;
        }
        return true;
    }

    void AddVertex(const ScenePoint& point, SceneUv uv) {
        object_->vertices.push_back(point);
        if (!vertexUvs_) return;
        uv.v = 1 - uv.v;
        uvOfVertex_.push_back(uv);
    }

    // Adds the face read into indices_ (and cornerValues_, the texcoord
    // list, when it has `texcoords` numbers), in the host's order. The UVs
    // of vertices are given to their corners once all is read, as the
    // vertex element may come after the faces. The records of strips are
    // added as their triangles.
    bool AddFace(PlyCursor cursor, int64_t texcoords) {
        if (strips_) return AddStrips(cursor);
        const size_t n = indices_.size();
        if (n == 0) {
            ++emptyFaces_;
            return true;
        }
        if (object_->points.size() + n > UINT32_MAX) return Fail(cursor, "too many face points");
        std::reverse(indices_.begin(), indices_.end());
        const SceneUv* uvs = nullptr;
        if (cornerUvs_ && texcoords != 0) {
            if (uint64_t(texcoords) != 2 * n)
                return Fail(cursor, "a texcoord list of " + std::to_string(texcoords) +
                                        " numbers for a face of " + std::to_string(n) + " points");
            faceUvs_.resize(n);
            for (size_t k = 0; k < n; ++k)
                faceUvs_[n - 1 - k] = SceneUv{cornerValues_[2 * k], 1 - cornerValues_[2 * k + 1]};
            uvs = faceUvs_.data();
        }
        object_->AddFace(indices_.data(), uvs, static_cast<uint32_t>(n), -1);
        if (vertexUvs_) object_->faceHasUv.back() = 1;
        return true;
    }

    // Adds the triangles of the strips read into indices_: in each strip (an
    // index of -1 starts the next), triangle k of points k, k + 1, k + 2,
    // every other one turned so that all face the same way. Triangles that
    // repeat a point, which strips use to join their runs, have no area and
    // are left out.
    bool AddStrips(PlyCursor cursor) {
        int32_t a = -1, b = -1;
        bool odd = false;
        for (const int32_t c : indices_) {
            if (c < 0) {
                a = b = -1;
                odd = false;
                continue;
            }
            if (a >= 0 && a != b && b != c && a != c) {
                if (object_->points.size() + 3 > UINT32_MAX) return Fail(cursor, "too many face points");
                // In the host's order, the file's reversed.
                const int32_t triangle[3] = {c, odd ? a : b, odd ? b : a};
                object_->AddFace(triangle, nullptr, 3, -1);
                if (vertexUvs_) object_->faceHasUv.back() = 1;
            }
            odd = a >= 0 && !odd;
            a = b;
            b = c;
        }
        return true;
    }

    void GiveVertexUvs() {
        if (!vertexUvs_) return;
        for (size_t p = 0; p < object_->points.size(); ++p)
            object_->uvs[p] = uvOfVertex_[static_cast<size_t>(object_->points[p])];
    }

    std::string OutOfRange(int64_t index) const {
        return "vertex index " + std::to_string(index) + " out of range (" +
               std::to_string(vertexCount_) + " vertices)";
    }

    // Records with lists, or faces: property after property.
    template <bool Big>
    bool ReadBinary(const PlyElement& element, const std::vector<Role>& roles, bool faces,
                    PlyCursor& cursor) {
        const size_t size = bytes_.size();
        for (uint64_t r = 0; r < element.count; ++r) {
            const PlyCursor start = cursor;
            ScenePoint point;
            SceneUv uv;
            int64_t texcoords = 0;
            indices_.clear();
            for (size_t p = 0; p < roles.size(); ++p) {
                const PlyProperty& property = element.properties[p];
                const size_t head = PlyTypeSize(property.list ? property.countType : property.type);
                if (size - cursor.at < head)
                    return Fail(cursor, "the file ends within record " + std::to_string(r + 1) +
                                            " of element \"" + ShownText(element.name) + "\"");
                const unsigned char* at = data_ + cursor.at;
                if (!property.list) {
                    if (roles[p] != Role::Skip &&
                        !TakeValue(roles[p], LoadReal<Big>(at, property.type), point, uv))
                        return Fail(cursor, "a coordinate or UV that is not a finite float");
                    cursor.at += head;
                    continue;
                }
                const int64_t length = PlyLoadInteger<Big>(at, property.countType);
                if (length < 0) return Fail(cursor, "negative list length " + std::to_string(length));
                const size_t itemSize = PlyTypeSize(property.type);
                if (uint64_t(length) > (size - cursor.at - head) / itemSize)
                    return Fail(cursor, "list length " + std::to_string(length) +
                                            " runs past the end of the file");
                const size_t items = static_cast<size_t>(length);
                at += head;
                if (roles[p] == Role::Indices) {
                    indices_.resize(items);
                    for (size_t i = 0; i < items; ++i, at += itemSize) {
                        const int64_t index = PlyLoadInteger<Big>(at, property.type);
                        if (index < leastIndex_ || index >= vertexCount_) {
                            cursor.at = static_cast<size_t>(at - data_);
                            return Fail(cursor, OutOfRange(index));
                        }
                        indices_[i] = static_cast<int32_t>(index);
                    }
                } else if (roles[p] == Role::Texcoord) {
                    texcoords = length;
                    cornerValues_.resize(items);
                    for (size_t i = 0; i < items; ++i, at += itemSize)
                        if (!ToFloat(LoadReal<Big>(at, property.type), cornerValues_[i]))
                            return Fail(cursor, "a UV that is not a finite float");
                }
                cursor.at += head + items * itemSize;
            }
            if (!faces) AddVertex(point, uv);
            else if (!AddFace(start, texcoords)) return false;
        }
        return true;
    }

    bool ReadAscii(const PlyElement& element, const std::vector<Role>& roles, bool faces,
                   PlyCursor& cursor) {
        PlyWords words(bytes_, cursor, header_.crOnly);
        std::string_view word;
        const auto ended = [&](uint64_t r) {
            return Fail(words.Cursor(), "the file ends within record " + std::to_string(r + 1) +
                                            " of element \"" + ShownText(element.name) + "\"");
        };
        for (uint64_t r = 0; r < element.count; ++r) {
            ScenePoint point;
            SceneUv uv;
            int64_t texcoords = 0;
            indices_.clear();
            PlyCursor start = words.Cursor();
            for (size_t p = 0; p < roles.size(); ++p) {
                const PlyProperty& property = element.properties[p];
                if (!words.Next(word)) return ended(r);
                if (p == 0) start = words.Cursor();
                if (!property.list) {
                    float f;
                    if (roles[p] != Role::Skip &&
                        (!ParseFloat(word, f) || !TakeValue(roles[p], f, point, uv)))
                        return Fail(words.Cursor(), "bad number \"" + ShownText(word) + "\"");
                    words.Pass();
                    continue;
                }
                int64_t length;
                if (!ParsePlyInteger(word, length))
                    return Fail(words.Cursor(), "bad list length \"" + ShownText(word) + "\"");
                if (length < 0)
                    return Fail(words.Cursor(), "negative list length " + std::to_string(length));
                // Each item takes at least a digit and a blank.
                if (uint64_t(length) > (bytes_.size() - words.Cursor().at) / 2 + 1)
                    return Fail(words.Cursor(), "list length " + std::to_string(length) +
                                                    " runs past the end of the file");
                words.Pass();
                const Role role = roles[p];
                if (role == Role::Texcoord) {
                    texcoords = length;
                    cornerValues_.resize(static_cast<size_t>(length));
                } else if (role == Role::Indices) {
                    indices_.resize(static_cast<size_t>(length));
                }
                for (int64_t i = 0; i < length; ++i) {
                    if (!words.Next(word)) return ended(r);
                    if (role == Role::Indices) {
                        int64_t index;
                        if (!ParsePlyInteger(word, index))
                            return Fail(words.Cursor(), "bad vertex index \"" + ShownText(word) + "\"");
                        if (index < leastIndex_ || index >= vertexCount_)
                            return Fail(words.Cursor(), OutOfRange(index));
                        indices_[size_t(i)] = static_cast<int32_t>(index);
                    } else if (role == Role::Texcoord && !ParseFloat(word, cornerValues_[size_t(i)])) {
                        return Fail(words.Cursor(), "bad number \"" + ShownText(word) + "\"");
                    }
                    words.Pass();
                }
            }
            // A record has a line of its own: a word more would shift
            // every value after it.
            if (!words.LineEnds()) return Fail(words.Cursor(), PlyLineTooLong(element));
            if (!faces) AddVertex(point, uv);
            else if (!AddFace(start, texcoords)) return false;
        }
        cursor = words.Cursor();
        return true;
    }

    std::string_view bytes_;
    const unsigned char* data_;
    const std::string& fileName_;
    Scene& scene_;
    std::string& error_;
    PlyHeader header_;
    SceneObject* object_ = nullptr;
    int vertexElement_ = -1, faceElement_ = -1, stripElement_ = -1;
    int64_t vertexCount_ = 0;
    // The element being read: whether of strips, and its least vertex index.
    bool strips_ = false;
    int64_t leastIndex_ = 0;
    std::vector<Role> vertexRoles_, faceRoles_, stripRoles_;
    bool vertexUvs_ = false;  // UVs per vertex
    bool cornerUvs_ = false;  // UVs per face corner (texcoord)
    std::vector<SceneUv> uvOfVertex_;
    // The record being read: its vertex indices, texcoord numbers, UVs.
    std::vector<int32_t> indices_;
    std::vector<float> cornerValues_;
    std::vector<SceneUv> faceUvs_;
    size_t emptyFaces_ = 0;
    std::string skippedVertex_, skippedFace_, skippedElements_;
};

}  // namespace

bool ReadPly(std::string_view bytes, const std::string& fileName, Scene& scene, std::string& error) {
    scene = Scene{};
    scene.encoding = TextEncoding::Utf8;
    if (PlyReader(bytes, fileName, scene, error).Read()) return true;
    scene = Scene{};
    return false;
}
