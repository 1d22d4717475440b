// Writer of STL files, binary and ASCII.
#include <cassert>
#include <cmath>
#include <cstring>
#include <vector>

#include "formats/float_text_cache.h"
#include "formats/little_endian.h"
#include "formats/number_text.h"
#include "formats/shown_text.h"
#include "formats/stl_format.h"
#include "formats/text_sink.h"

namespace {

constexpr size_t kHeaderBytes = 80;
constexpr size_t kTriangleBytes = 50;

// Does not begin with "solid", so that no reader takes the file for ASCII.
constexpr std::string_view kHeader = "binary STL written by mqthicken";

// The triangles a face of `n` points is written as.
uint64_t TrianglesOf(uint32_t n) { return n >= 3 ? n - 2 : 0; }

uint64_t TriangleCount(const SceneObject& object) {
    uint64_t count = 0;
    for (size_t f = 0; f < object.FaceCount(); ++f) count += TrianglesOf(object.FaceSize(f));
    return count;
}

// Calls `triangle(a, b, c)` with the vertex indices of each triangle of
// `object` in STL's order, counter-clockwise seen from the front: the
// face's points reversed, as a fan from its first point, as the shell's
// statistics fan a face, so that a quad that is not flat keeps its volume;
// a triangle is its points reversed.
template <typename Triangle>
void ForEachTriangle(const SceneObject& object, Triangle triangle) {
    for (size_t f = 0; f < object.FaceCount(); ++f) {
        const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
        if (end - begin < 3) continue;
        const int32_t first = object.points[begin];
        for (uint32_t p = begin + 1; p + 1 < end; ++p)
            triangle(object.points[p + 1], object.points[p], first);
    }
}

// The unit normal of the triangle a, b, c (counter-clockwise), worked out in
// doubles so that large coordinates do not overflow; 0 0 0 for a triangle
// without area.
void NormalOf(const ScenePoint& a, const ScenePoint& b, const ScenePoint& c, float normal[3]) {
    const double ux = double(b.x) - a.x, uy = double(b.y) - a.y, uz = double(b.z) - a.z;
    const double vx = double(c.x) - a.x, vy = double(c.y) - a.y, vz = double(c.z) - a.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (!(length > 0) || !std::isfinite(length)) {
        normal[0] = normal[1] = normal[2] = 0;
        return;
    }
    normal[0] = float(nx / length);
    normal[1] = float(ny / length);
    normal[2] = float(nz / length);
}

char* PutPoint(char* p, const ScenePoint& point) {
    p = StoreLittleFloat(p, point.x);
    p = StoreLittleFloat(p, point.y);
    return StoreLittleFloat(p, point.z);
}

void WriteBinaryTriangles(const SceneObject& object, TextSink& out) {
    const std::vector<ScenePoint>& v = object.vertices;
    ForEachTriangle(object, [&](int32_t a, int32_t b, int32_t c) {
        float normal[3];
        NormalOf(v[a], v[b], v[c], normal);
        char* p = out.Room(kTriangleBytes);
        for (float n : normal) p = StoreLittleFloat(p, n);
        p = PutPoint(p, v[a]);
        p = PutPoint(p, v[b]);
        p = PutPoint(p, v[c]);
        *p++ = 0;  // the attribute
        *p++ = 0;
        out.Commit(p);
    });
}

// Writes objects as ASCII solids with the given line end.
class AsciiWriter {
public:
    AsciiWriter(TextSink& out, std::string_view lineEnd) : out_(out), lineEnd_(lineEnd) {}

    void WriteObject(const SceneObject& object) {
        NameLine("solid", object.name);
        FormatVertices(object);
        ForEachTriangle(object, [&](int32_t a, int32_t b, int32_t c) {
            batch_.push_back({a, b, c});
            if (batch_.size() == kBatch) WriteFacets(object);
        });
        WriteFacets(object);
        NameLine("endsolid", object.name);
    }

private:
    static constexpr size_t kBatch = 256;
    static constexpr size_t kCopied = 64;
    static constexpr size_t kMaxPointText = 3 * kMaxFloatText + 2;
    static constexpr size_t kMaxCornerText = kMaxPointText + 16;
    static constexpr size_t kMaxFacetText = 4 * (kMaxCornerText + kCopied) + 48;
    static_assert(kMaxFacetText <= TextSink::kMaxRoom, "a facet fits in one room");

    struct Triangle {
        int32_t corner[3];
    };
    struct Normal {
        float xyz[3];
    };

    // A name with a line end in it would end the line: it becomes a blank.
    void NameLine(std::string_view keyword, std::string_view name) {
        out_.Append(keyword);
        if (!name.empty()) {
            out_.Append(' ');
            for (char c : name) out_.Append(c == '\n' || c == '\r' ? ' ' : c);
        }
        out_.Append(lineEnd_);
    }

    // The corner line of each vertex, worked out once (a vertex is a corner
    // of about six triangles), one after the other.
    void FormatVertices(const SceneObject& object) {
        text_.clear();
        // About the usual length of a line: the text grows once or not at all.
        text_.reserve(object.vertices.size() * 48 + kCopied);
        textStart_.assign(1, 0);
        textStart_.reserve(object.vertices.size() + 1);
        char line[kMaxCornerText];
        for (const ScenePoint& vertex : object.vertices) {
            char* p = Put(line, "      vertex ");
            text_.append(line, EndLine(FormatPoint(p, vertex, coordinates_)));
            textStart_.push_back(text_.size());
        }
        // Texts are copied kCopied bytes at a time, the last one too.
        text_.append(kCopied, ' ');
    }

    static char* FormatPoint(char* p, const ScenePoint& point, FloatTextCache& cache) {
        p = cache.Format(p, point.x);
        *p++ = ' ';
        p = cache.Format(p, point.y);
        *p++ = ' ';
        return cache.Format(p, point.z);
    }

    // A unit normal with six places: readers (ours among them) recompute
    // it or leave it, and all of its values differ, so the shortest exact
    // text would cost more than all else in the facet.
    static char* FormatNormal(char* p, const float normal[3]) {
        p = FormatSixPlaces(p, normal[0]);
        *p++ = ' ';
        p = FormatSixPlaces(p, normal[1]);
        *p++ = ' ';
        return FormatSixPlaces(p, normal[2]);
    }

    static char* Put(char* p, std::string_view text) {
        std::memcpy(p, text.data(), text.size());
        return p + text.size();
    }

    // The line end, one or two bytes, without a call to copy them.
    char* EndLine(char* p) const {
        p[0] = lineEnd_[0];
        p[1] = lineEnd_.size() > 1 ? lineEnd_[1] : 0;
        return p + lineEnd_.size();
    }

    char* Corner(char* p, int32_t v) {
        const size_t begin = textStart_[v], size = textStart_[v + 1] - begin;
        // A text of the usual length is copied as a block of fixed size,
        // which needs no call; the room asked for covers it.
        if (size <= kCopied)
            std::memcpy(p, text_.data() + begin, kCopied);
        else
            std::memcpy(p, text_.data() + begin, size);
        return p + size;
    }

    // Writes the facets of the triangles in the batch and empties it. The
    // normals are worked out first, all together, so that their square
    // roots and divisions overlap rather than each waiting on the last
    // facet's text.
    void WriteFacets(const SceneObject& object) {
        const std::vector<ScenePoint>& v = object.vertices;
        normals_.resize(batch_.size());
        for (size_t t = 0; t < batch_.size(); ++t) {
            const Triangle& c = batch_[t];
            NormalOf(v[c.corner[0]], v[c.corner[1]], v[c.corner[2]], normals_[t].xyz);
        }
        for (size_t t = 0; t < batch_.size(); ++t) {
            const Triangle& c = batch_[t];
            WriteFacet(normals_[t].xyz, c.corner[0], c.corner[1], c.corner[2]);
        }
        batch_.clear();
    }

    void WriteFacet(const float normal[3], int32_t a, int32_t b, int32_t c) {
        char* p = out_.Room(kMaxFacetText);
        p = Put(p, "  facet normal ");
        p = EndLine(FormatNormal(p, normal));
        p = EndLine(Put(p, "    outer loop"));
        p = Corner(p, a);
        p = Corner(p, b);
        p = Corner(p, c);
        p = EndLine(Put(p, "    endloop"));
        out_.Commit(EndLine(Put(p, "  endfacet")));
    }

    TextSink& out_;
    const std::string_view lineEnd_;
    FloatTextCache coordinates_;
    std::string text_;               // the vertices' corner lines
    std::vector<size_t> textStart_;  // where each begins, and the end
    std::vector<Triangle> batch_;    // triangles not yet written
    std::vector<Normal> normals_;    // theirs
};

void WriteBinaryHeader(uint64_t count, TextSink& out) {
    char* p = out.Room(kHeaderBytes + 4);
    std::memset(p, ' ', kHeaderBytes);
    std::memcpy(p, kHeader.data(), kHeader.size());
    // A scene of more triangles than 32 bits count is larger than memory.
    out.Commit(StoreLittle32(p + kHeaderBytes, static_cast<uint32_t>(count)));
}

// The line end of ASCII text: its last one (LF, CR LF or a lone CR), LF
// when it has none.
std::string_view LineEndOf(std::string_view text) {
    const size_t last = text.find_last_of("\r\n");
    if (last == std::string_view::npos) return "\n";
    if (text[last] == '\r') return "\r";
    return last > 0 && text[last - 1] == '\r' ? "\r\n" : "\n";
}

}  // namespace

void WriteStl(const Scene& scene, bool ascii, TextSink& out) {
    assert(scene.encoding == TextEncoding::Utf8);
    if (ascii) {
        AsciiWriter writer(out, "\n");
        for (const SceneObject& object : scene.objects) writer.WriteObject(object);
        // A file must have a solid; an empty one reads back as no object.
        if (scene.objects.empty()) out.Append("solid\nendsolid\n");
        return;
    }
    uint64_t count = 0;
    for (const SceneObject& object : scene.objects) count += TriangleCount(object);
    WriteBinaryHeader(count, out);
    for (const SceneObject& object : scene.objects) WriteBinaryTriangles(object, out);
}

void WriteStlSplice(const Scene& scene, TextSink& out) {
    assert(scene.encoding == TextEncoding::Utf8);
    const std::string_view bytes = scene.source.bytes;
    const size_t from = scene.source.objects;
    if (IsBinaryStl(bytes)) {
        uint64_t count = 0;
        for (size_t o = from; o < scene.objects.size(); ++o)
            count += TriangleCount(scene.objects[o]);
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + kHeaderBytes);
        count += uint64_t(b[0]) | uint64_t(b[1]) << 8 | uint64_t(b[2]) << 16 | uint64_t(b[3]) << 24;
        out.Append(bytes.substr(0, kHeaderBytes));
        // A file whose count would pass 32 bits is larger than memory.
        out.Commit(StoreLittle32(out.Room(4), static_cast<uint32_t>(count)));
        out.Append(bytes.substr(kHeaderBytes + 4));
        for (size_t o = from; o < scene.objects.size(); ++o)
            WriteBinaryTriangles(scene.objects[o], out);
        return;
    }
    out.Append(bytes);
    if (from >= scene.objects.size()) return;
    const std::string_view lineEnd = LineEndOf(bytes);
    if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') out.Append(lineEnd);
    AsciiWriter writer(out, lineEnd);
    for (size_t o = from; o < scene.objects.size(); ++o) writer.WriteObject(scene.objects[o]);
}

std::string StlLosses(const Scene& scene, bool ascii) {
    bool uvs = false, linesOrPoints = false, flags = false;
    for (const SceneObject& object : scene.objects) {
        flags = flags || !object.visible || object.locked;
        for (size_t f = 0; f < object.FaceCount(); ++f) {
            const bool triangles = object.FaceSize(f) >= 3;
            linesOrPoints = linesOrPoints || !triangles;
            uvs = uvs || (triangles && object.faceHasUv[f]);
        }
    }
    std::vector<std::string> lost;
    if (!ascii && scene.objects.size() > 1)
        lost.push_back("objects (the " + std::to_string(scene.objects.size()) +
                       " are written as one)");
    if (!scene.materials.empty()) lost.push_back("materials");
    if (uvs) lost.push_back("UVs");
    if (linesOrPoints) lost.push_back("faces of fewer than three points (lines and points)");
    if (flags) lost.push_back("hidden and locked flags");
    return lost.empty() ? std::string() : "STL does not carry over " + ListedInProse(lost);
}
