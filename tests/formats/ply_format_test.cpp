#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <array>
#include <map>
#include <string>

#include "formats/number_text.h"
#include "formats/ply_format.h"
#include "formats/text_sink.h"

namespace {

// A PLY file put together by a test: header lines, then values written as
// the encoding writes them.
class PlyFile {
public:
    explicit PlyFile(const std::string& encoding)
        : ascii_(encoding == "ascii"), big_(encoding == "binary_big_endian"),
          header_("ply\nformat " + encoding + " 1.0\n") {}

    PlyFile& Line(const std::string& line) {
        header_ += line + "\n";
        return *this;
    }
    PlyFile& Put(const std::string& type, double value) {
        if (ascii_) {
            if (!body_.empty() && body_.back() != '\n') body_ += ' ';
            if (type == "float" || type == "double") AppendFloat(body_, static_cast<float>(value));
            else AppendInt(body_, static_cast<int64_t>(value));
            return *this;
        }
        uint64_t bits = 0;
        size_t size = 4;
        if (type == "float") {
            const float f = static_cast<float>(value);
            uint32_t b;
            std::memcpy(&b, &f, 4);
            bits = b;
        } else if (type == "double") {
            std::memcpy(&bits, &value, 8);
            size = 8;
        } else {
            bits = static_cast<uint64_t>(static_cast<int64_t>(value));
            size = type == "uchar" || type == "char" ? 1 : type == "ushort" || type == "short" ? 2 : 4;
        }
        for (size_t i = 0; i < size; ++i)
            body_ += static_cast<char>(bits >> (8 * (big_ ? size - 1 - i : i)));
        return *this;
    }
    PlyFile& End() {
        if (ascii_) body_ += "\n";
        return *this;
    }
    const std::string& Body() const { return body_; }
    std::string Bytes() const { return header_ + "end_header\n" + body_; }

private:
    bool ascii_, big_;
    std::string header_, body_;
};

const char* const kEncodings[] = {"ascii", "binary_little_endian", "binary_big_endian"};

Scene Read(const std::string& bytes) {
    Scene scene;
    std::string error;
    EXPECT_TRUE(ReadPly(bytes, "mesh.ply", scene, error)) << error;
    return scene;
}

std::vector<int32_t> FacePoints(const SceneObject& object, size_t f) {
    return {object.points.begin() + object.faceStart[f], object.points.begin() + object.faceStart[f + 1]};
}

// A mesh as a PLY file has it: faces counter-clockwise, UVs (s, t) per vertex.
struct Mesh {
    std::vector<std::array<float, 3>> vertices;
    std::vector<std::array<float, 2>> uvs;
    std::vector<std::vector<int>> faces;
};

// A unit square as a quad and a triangle over it, UVs (s, t) = (x, y).
const Mesh kSquare = {{{0, 0, 0.5f}, {1, 0, 0.5f}, {1, 1, 0.5f}, {0, 1, 0.5f}},
                      {{0, 0}, {1, 0}, {1, 1}, {0, 1}},
                      {{0, 1, 2, 3}, {0, 2, 3}}};

// `mesh` with no UVs, UVs per "vertex" or per "face" corner; with an edge
// element after the faces when `edge` is set.
std::string MeshFile(const std::string& encoding, const std::string& uvs, const Mesh& mesh,
                     bool edge = false) {
    PlyFile file(encoding);
    file.Line("comment made by a test").Line("element vertex " + std::to_string(mesh.vertices.size()));
    file.Line("property float x").Line("property float y").Line("property float z");
    if (uvs == "vertex") file.Line("property float s").Line("property float t");
    file.Line("element face " + std::to_string(mesh.faces.size()));
    file.Line("property list uchar int vertex_indices");
    if (uvs == "face") file.Line("property list uchar float texcoord");
    if (edge) file.Line("element edge 1").Line("property int a");
    for (size_t v = 0; v < mesh.vertices.size(); ++v) {
        for (float c : mesh.vertices[v]) file.Put("float", c);
        if (uvs == "vertex") file.Put("float", mesh.uvs[v][0]).Put("float", mesh.uvs[v][1]);
        file.End();
    }
    for (const auto& face : mesh.faces) {
        file.Put("uchar", double(face.size()));
        for (int i : face) file.Put("int", i);
        if (uvs == "face") {
            file.Put("uchar", 2.0 * face.size());
            for (int i : face) file.Put("float", mesh.uvs[i][0]).Put("float", mesh.uvs[i][1]);
        }
        file.End();
    }
    if (edge) file.Put("int", 7).End();
    return file.Bytes();
}

TEST(PlyFormat, ReadsEachEncodingWithAndWithoutUvsReversingTheWinding) {
    for (const char* encoding : kEncodings)
        for (const std::string uvs : {"none", "vertex", "face"}) {
            SCOPED_TRACE(std::string(encoding) + ", UVs: " + uvs);
            const Scene scene = Read(MeshFile(encoding, uvs, kSquare));
            EXPECT_EQ(scene.encoding, TextEncoding::Utf8);
            EXPECT_TRUE(scene.warnings.empty());
            EXPECT_EQ(scene.source.objects, 1u);
            ASSERT_EQ(scene.objects.size(), 1u);
            const SceneObject& o = scene.objects[0];
            EXPECT_EQ(o.name, kPlyObjectName);
            ASSERT_EQ(o.vertices.size(), 4u);
            EXPECT_EQ(o.vertices[2].x, 1.0f);
            EXPECT_EQ(o.vertices[2].y, 1.0f);
            EXPECT_EQ(o.vertices[2].z, 0.5f);
            ASSERT_EQ(o.FaceCount(), 2u);
            EXPECT_EQ(FacePoints(o, 0), (std::vector<int32_t>{3, 2, 1, 0}));
            EXPECT_EQ(FacePoints(o, 1), (std::vector<int32_t>{3, 2, 0}));
            for (size_t f = 0; f < 2; ++f) {
                EXPECT_EQ(o.faceHasUv[f], uvs != "none");
                EXPECT_EQ(o.faceMaterial[f], -1);
            }
            if (uvs == "none") continue;
            // Each corner has its vertex's UV, v measured from the top.
            for (size_t p = 0; p < o.points.size(); ++p) {
                EXPECT_EQ(o.uvs[p].u, kSquare.uvs[o.points[p]][0]) << p;
                EXPECT_EQ(o.uvs[p].v, 1 - kSquare.uvs[o.points[p]][1]) << p;
            }
        }
}

TEST(PlyFormat, ClosedBoxUsesEveryEdgeOnceEachWayFacingOut) {
    PlyFile file("ascii");
    file.Line("element vertex 8").Line("property float x").Line("property float y");
    file.Line("property float z").Line("element face 6").Line("property list uchar int vertex_index");
    for (int v = 0; v < 8; ++v) file.Put("float", v & 1).Put("float", v >> 1 & 1).Put("float", v >> 2).End();
    // Counter-clockwise seen from outside, as PLY has them.
    const int faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                             {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (const auto& face : faces) {
        file.Put("uchar", 4);
        for (int v : face) file.Put("int", v);
        file.End();
    }
    const SceneObject o = Read(file.Bytes()).objects.at(0);
    std::map<std::pair<int, int>, int> edges;
    for (size_t f = 0; f < o.FaceCount(); ++f) {
        const std::vector<int32_t> p = FacePoints(o, f);
        for (size_t i = 0; i < p.size(); ++i) ++edges[{p[i], p[(i + 1) % p.size()]}];
        // Clockwise seen from the front: the right-hand normal points in.
        const ScenePoint &a = o.vertices[p[0]], &b = o.vertices[p[1]], &c = o.vertices[p[2]];
        const float n[3] = {(b.y - a.y) * (c.z - a.z) - (b.z - a.z) * (c.y - a.y),
                            (b.z - a.z) * (c.x - a.x) - (b.x - a.x) * (c.z - a.z),
                            (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x)};
        EXPECT_LT(n[0] * (a.x - 0.5f) + n[1] * (a.y - 0.5f) + n[2] * (a.z - 0.5f), 0) << f;
    }
    EXPECT_EQ(edges.size(), 24u);
    for (const auto& [edge, uses] : edges) {
        EXPECT_EQ(uses, 1);
        EXPECT_EQ(edges.count({edge.second, edge.first}), 1u);
    }
}

// Doubles, small index types, big-endian order; what has no place in the
// scene is named once.
TEST(PlyFormat, OddTypesAndSkippedElementsAndProperties) {
    for (const char* encoding : kEncodings) {
        SCOPED_TRACE(encoding);
        PlyFile file(encoding);
        // A line of prose where a comment belongs, as Blender 2.4 wrote.
        file.Line("obj_info scanned").Line("Created by hand").Line("element vertex 3");
        file.Line("property double x");
        file.Line("property uint8 red").Line("property float64 y").Line("property double z");
        file.Line("property list uchar short ring").Line("element face 2");
        file.Line("property int flags").Line("property list uchar ushort vertex_indices");
        file.Line("element edge 1").Line("property int vertex1").Line("property int vertex2");
        const double xyz[3][3] = {{0.1, -2.5, 1e30}, {1, 0, 0}, {0, 1, 3.25}};
        for (const auto& v : xyz) {
            file.Put("double", v[0]).Put("uchar", 200).Put("double", v[1]).Put("double", v[2]);
            file.Put("uchar", 2).Put("short", -1).Put("short", 7).End();
        }
        file.Put("int", 9).Put("uchar", 3).Put("ushort", 0).Put("ushort", 1).Put("ushort", 2).End();
        file.Put("int", 9).Put("uchar", 0).End();  // a face of no points
        file.Put("int", 0).Put("int", 1).End();
        const Scene scene = Read(file.Bytes());
        ASSERT_EQ(scene.warnings.size(), 2u);
        EXPECT_EQ(scene.warnings[0], "mesh.ply: not carried over: vertex properties (red, ring), "
                                     "face properties (flags), elements (edge), 1 face without points");
        EXPECT_EQ(scene.warnings[1], "mesh.ply:4: the header line \"Created by hand\" has no PLY "
                                     "keyword and was read as a comment");
        const SceneObject& o = scene.objects.at(0);
        ASSERT_EQ(o.vertices.size(), 3u);
        EXPECT_EQ(o.vertices[0].x, 0.1f);
        EXPECT_EQ(o.vertices[0].y, -2.5f);
        EXPECT_EQ(o.vertices[0].z, 1e30f);
        EXPECT_EQ(o.vertices[2].z, 3.25f);
        ASSERT_EQ(o.FaceCount(), 1u);
        EXPECT_EQ(FacePoints(o, 0), (std::vector<int32_t>{2, 1, 0}));
    }
}

// What other writers write: lines that end in CR alone, a file that ends
// with end_header, triangle strips, coordinates below the float range, and
// a million faces of no points, for which nothing is reserved.
TEST(PlyFormat, ReadsCrLinesStripsAndBareHeaders) {
    for (const char* encoding : kEncodings) {
        SCOPED_TRACE(encoding);
        const bool ascii = std::string(encoding) == "ascii";
        // A byte 10 first in the body, which is no line end of the header's.
        PlyFile file(encoding);
        file.Line("element vertex 5").Line("property uchar flags").Line("property float x");
        file.Line("property float y").Line("property double z").Line("element tristrips 1");
        file.Line("property list int int vertex_indices");
        for (int v = 0; v < 5; ++v) file.Put("uchar", 10).Put("float", v).Put("float", v % 2).Put("double", 0).End();
        for (int i : {6, 0, 1, 2, 3, -1, 4}) file.Put("int", i);
        file.End();
        std::string bytes = file.Bytes();
        std::replace(bytes.begin(), bytes.end() - (ascii ? 0 : file.Body().size()), '\n', '\r');
        const Scene scene = Read(bytes);
        const SceneObject& o = scene.objects.at(0);
        EXPECT_EQ(scene.warnings, std::vector<std::string>{"mesh.ply: not carried over: vertex properties (flags)"});
        ASSERT_EQ(o.vertices.size(), 5u);
        EXPECT_EQ(o.vertices[3].x, 3.0f);
        // The strip 0 1 2 3: triangles 0 1 2 and 2 1 3, reversed.
        ASSERT_EQ(o.FaceCount(), 2u);
        EXPECT_EQ(FacePoints(o, 0), (std::vector<int32_t>{2, 1, 0}));
        EXPECT_EQ(FacePoints(o, 1), (std::vector<int32_t>{3, 1, 2}));

        PlyFile tiny(encoding);
        tiny.Line("element vertex 1").Line("property float x").Line("property float y");
        tiny.Line("property float z").Line("element face 0").Line("property list uchar int vertex_indices");
        tiny.Put("float", 1).Put("float", 2).Put("float", 3).End();
        std::string under = tiny.Bytes();
        if (ascii) under.replace(under.rfind("2"), 1, "1e-50");
        EXPECT_EQ(Read(under).objects.at(0).vertices.at(0).y, ascii ? 0.0f : 2.0f);
        std::string bare = tiny.Bytes();
        bare.replace(bare.find("vertex 1"), 8, "vertex 0");
        bare.resize(bare.find("end_header") + 10);
        EXPECT_TRUE(Read(bare).objects.at(0).vertices.empty());

        PlyFile empty(encoding);
        empty.Line("element vertex 0").Line("property float x").Line("property float y");
        empty.Line("property float z").Line("element face 1000000").Line("property list uchar int vertex_indices");
        for (int f = 0; f < 1000000; ++f) empty.Put("uchar", 0).End();
        const Scene none = Read(empty.Bytes());
        EXPECT_EQ(none.objects.at(0).FaceCount(), 0u);
        EXPECT_LE(none.objects[0].faceMaterial.capacity(), 1000000u / 2);
    }
}

// A scene of two objects: a quad and a triangle sharing the UVs of their
// vertices; `seam` gives one vertex two UVs. A line, which PLY cannot hold.
Scene TwoObjects(bool seam) {
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    SceneObject a, b;
    a.name = "a";
    a.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0.25f}, {0, 1, 0}};
    const int32_t quad[4] = {0, 1, 2, 3}, tri[3] = {0, 2, 3}, line[2] = {0, 1};
    const SceneUv quadUv[4] = {{0, 1}, {1, 1}, {1, 0.3f}, {0.1f, 0}};
    const SceneUv triUv[3] = {{seam ? 0.5f : 0, 1}, {1, 0.3f}, {0.1f, 0}};
    a.AddFace(quad, quadUv, 4, -1);
    a.AddFace(tri, triUv, 3, -1);
    a.AddFace(line, nullptr, 2, -1);
    b.name = "b";
    b.vertices = {{5, 5, 5}, {6, 5, 5}, {5, 6, 5}, {9, 9, 9}};
    b.AddFace(tri, quadUv, 3, 0);
    scene.materials.push_back({"red", DefaultMaterialParams()});
    scene.objects = {a, b};
    return scene;
}

std::string Written(const Scene& scene, bool ascii) {
    std::string bytes;
    TextSink out(bytes);
    WritePly(scene, ascii, out);
    out.Flush();
    return bytes;
}

TEST(PlyFormat, RoundTripsKeepGeometryAndUvs) {
    for (bool seam : {false, true})
        for (bool ascii : {false, true}) {
            SCOPED_TRACE(std::string(seam ? "a seam" : "UVs per vertex") + (ascii ? ", ASCII" : ", binary"));
            const Scene scene = TwoObjects(seam);
            const std::string bytes = Written(scene, ascii);
            EXPECT_EQ(bytes.find(ascii ? "ply\nformat ascii 1.0\ncomment written by mqthicken\n"
                                       : "ply\nformat binary_little_endian 1.0\ncomment written by mqthicken\n"),
                      0u);
            EXPECT_NE(bytes.find(seam ? "property list uchar float texcoord\n"
                                      : "property float s\nproperty float t\nelement face 3\n"),
                      std::string::npos);
            const Scene back = Read(bytes);
            ASSERT_EQ(back.objects.size(), 1u);
            const SceneObject& o = back.objects[0];
            ASSERT_EQ(o.vertices.size(), 8u);
            EXPECT_EQ(o.vertices[2].z, 0.25f);
            EXPECT_EQ(o.vertices[7].x, 9.0f);
            ASSERT_EQ(o.FaceCount(), 3u);  // the line is left out
            EXPECT_EQ(FacePoints(o, 0), (std::vector<int32_t>{0, 1, 2, 3}));
            EXPECT_EQ(FacePoints(o, 2), (std::vector<int32_t>{4, 6, 7}));
            for (size_t f = 0; f < 3; ++f) {
                EXPECT_TRUE(o.faceHasUv[f]);
                const SceneObject& from = scene.objects[f == 2];
                const uint32_t begin = from.faceStart[f == 2 ? 0 : f];
                for (uint32_t p = 0; p < o.FaceSize(f); ++p) {
                    EXPECT_EQ(o.uvs[o.faceStart[f] + p].u, from.uvs[begin + p].u);
                    EXPECT_NEAR(o.uvs[o.faceStart[f] + p].v, from.uvs[begin + p].v, 1e-7);
                }
            }
        }
    EXPECT_EQ(PlyLosses(TwoObjects(true)),
              "written as PLY, the 2 objects are merged into one mesh, the faces' materials are "
              "dropped, UVs that differ between the corners of a vertex are written per face "
              "corner (texcoord), which fewer programs read and 1 face of fewer than three points "
              "(lines and points) is left out");
    Scene plain = TwoObjects(false);
    plain.objects.resize(1);
    plain.objects[0].faceStart.pop_back();  // drop the line
    plain.objects[0].points.resize(7);
    plain.objects[0].uvs.resize(7);
    plain.objects[0].faceMaterial.pop_back();
    plain.objects[0].faceHasUv.pop_back();
    EXPECT_EQ(PlyLosses(plain), "");
}

// The input's records, then those of the new object, per element: the same
// bytes as a file that had them all.
TEST(PlyFormat, SpliceIsTheInputButForTheCountsWithTheNewRecords) {
    const Scene added = TwoObjects(false);
    const SceneObject& quad = added.objects[0];
    Mesh spliced = kSquare;
    for (size_t v = 0; v < quad.vertices.size(); ++v) {
        const ScenePoint& p = quad.vertices[v];
        spliced.vertices.push_back({p.x, p.y, p.z});
    }
    // The UV of each new vertex, as its corners have it, t = 1 - v.
    spliced.uvs.push_back({0, 0});
    spliced.uvs.push_back({1, 0});
    spliced.uvs.push_back({1, 1 - 0.3f});
    spliced.uvs.push_back({0.1f, 1});
    spliced.faces.push_back({7, 6, 5, 4});
    spliced.faces.push_back({7, 6, 4});  // and the line is left out
    for (const char* encoding : kEncodings)
        for (const std::string uvs : {"none", "vertex", "face"}) {
            SCOPED_TRACE(std::string(encoding) + ", UVs: " + uvs);
            const std::string input = MeshFile(encoding, uvs, kSquare, true);
            Scene scene = Read(input);
            scene.source.kind = SceneSource::Kind::Ply;
            scene.source.bytes = input;
            std::string same;
            {
                TextSink sink(same);
                WritePlySplice(scene, sink);
            }
            EXPECT_EQ(same, input);  // nothing new
            scene.objects.push_back(quad);
            EXPECT_EQ(PlySpliceRefusal(scene), "");
            std::string out;
            {
                TextSink sink(out);
                WritePlySplice(scene, sink);
            }
            EXPECT_EQ(out, MeshFile(encoding, uvs, spliced, true));
            // Without the file's objects its records would be left to splice
            // into: a file written then is composed.
            scene.DropSourceObjects();
            EXPECT_EQ(scene.source.kind, SceneSource::Kind::None);
        }
}

// Into a file of UVs per vertex, a new vertex whose corners differ in UV is
// written once per UV, so that every corner reads back with its own; the
// report says so, and of no texcoord list.
TEST(PlyFormat, SplicedUvsPerVertexKeepEveryCorner) {
    for (const char* encoding : kEncodings) {
        SCOPED_TRACE(encoding);
        const std::string input = MeshFile(encoding, "vertex", kSquare);
        Scene scene = Read(input);
        scene.source.kind = SceneSource::Kind::Ply;
        scene.source.bytes = input;
        scene.objects.push_back(TwoObjects(true).objects[0]);
        ASSERT_EQ(PlySpliceRefusal(scene), "");
        std::string out;
        {
            TextSink sink(out);
            WritePlySplice(scene, sink);
        }
        const Scene back = Read(out);
        const SceneObject &o = back.objects.at(0), &added = scene.objects[1];
        ASSERT_EQ(o.vertices.size(), 9u);
        ASSERT_EQ(o.FaceCount(), 4u);
        for (uint32_t p = 0; p < added.faceStart[2]; ++p) {
            const uint32_t at = o.faceStart[2] + p;
            EXPECT_EQ(o.vertices[o.points[at]].z, added.vertices[added.points[p]].z) << p;
            EXPECT_EQ(o.uvs[at].u, added.uvs[p].u) << p;
            EXPECT_NEAR(o.uvs[at].v, added.uvs[p].v, 1e-7) << p;
        }
        EXPECT_EQ(PlyLosses(scene, true),
                  "written as PLY, the 2 objects are merged into one mesh, 1 vertex is written again "
                  "for another UV of its corners (the file keeps one UV per vertex) and 1 face of "
                  "fewer than three points (lines and points) is left out");
    }
}

TEST(PlyFormat, SpliceRefusesLayoutsTooSmallForTheNewObjects) {
    const auto refusal = [](const std::string& input) {
        Scene scene = Read(input);
        scene.source.bytes = input;
        scene.objects.push_back(TwoObjects(false).objects[0]);
        return PlySpliceRefusal(scene);
    };
    const auto uchar = [](int vertices) {
        PlyFile file("binary_little_endian");
        file.Line("element vertex " + std::to_string(vertices)).Line("property float x");
        file.Line("property float y").Line("property float z").Line("element face 0");
        file.Line("property list uchar uchar vertex_indices");
        for (int v = 0; v < vertices; ++v) file.Put("float", v).Put("float", 0).Put("float", 0);
        return file.Bytes();
    };
    // With the four new vertices, index 255 still fits in a uchar, 256 does not.
    EXPECT_EQ(refusal(uchar(252)), "");
    EXPECT_EQ(refusal(uchar(253)), "the PLY file's vertex indices are \"uchar\", too small for the new "
                                   "faces' index 256");
    PlyFile points("ascii");
    points.Line("element vertex 1").Line("property float x").Line("property float y");
    points.Line("property float z");
    points.Put("float", 1).Put("float", 2).Put("float", 3).End();
    EXPECT_EQ(refusal(points.Bytes()), "the PLY file has no face element with vertex indices for the new faces");
    PlyFile integers("ascii");
    integers.Line("element vertex 0").Line("property short x").Line("property short y");
    integers.Line("property short z").Line("element face 0").Line("property list uchar int vertex_indices");
    EXPECT_EQ(refusal(integers.Bytes()), "the PLY file's vertex coordinates are \"short\" integers, "
                                         "which cannot hold the new vertices' coordinates");
}

struct BadCase {
    const char* name;
    std::string bytes;
    const char* where;  // the message's start after "bad.ply"
    const char* what;
};

std::vector<BadCase> BadCases() {
    const std::string triangle = "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
                                 "element face 1\nproperty list uchar int vertex_indices\nend_header\n";
    const std::string ascii = "ply\nformat ascii 1.0\n" + triangle;
    const std::string binary = "ply\nformat binary_little_endian 1.0\n" + triangle;
    PlyFile values("binary_little_endian");
    for (int v = 0; v < 3; ++v) values.Put("float", v).Put("float", 0).Put("float", 1);
    const std::string vertices = values.Body();
    std::string huge = binary;
    huge.replace(huge.find("vertex 3"), 8, "vertex 4000000000");
    return {
        {"no end_header", "ply\nformat ascii 1.0\nelement vertex 0\nproperty float x\n", ":5: ", "no end_header"},
        {"not PLY", "solid x\n", ":1: ", "not a PLY file"},
        {"bad format", "ply\nformat binary 1.0\nend_header\n", ":2: ", "unknown format \"binary\""},
        {"unknown type", "ply\nformat ascii 1.0\nelement vertex 1\nproperty float16 x\nend_header\n", ":4: ",
         "unknown type \"float16\""},
        {"property first", "ply\nformat ascii 1.0\nproperty float x\nend_header\n", ":3: ",
         "a property before any element"},
        {"float indices", "ply\nformat ascii 1.0\nelement vertex 0\nproperty float x\nproperty float y\n"
                          "property float z\nelement face 0\nproperty list uchar float vertex_indices\nend_header\n",
         ":8: ", "vertex indices of type \"float\""},
        {"index out of range, ASCII", ascii + "0 0 0\n1 0 0\n0 1 0\n\n3 0 1 3\n", ":14: ",
         "vertex index 3 out of range (3 vertices)"},
        {"negative index, ASCII", ascii + "0 0 0\n1 0 0\n0 1 0\n3 0 -1 2\n", ":13: ", "vertex index -1 out of range"},
        {"bad number", ascii + "0 0 0\n1 nan 0\n0 1 0\n3 0 1 2\n", ":11: ", "bad number \"nan\""},
        {"list beyond the file, ASCII", ascii + "0 0 0\n1 0 0\n0 1 0\n99 0 1 2\n", ":13: ", "list length 99 runs past"},
        {"cut short, ASCII", ascii + "0 0 0\n1 0 0\n0 1 0\n3 0 1\n", ":14: ", "the file ends within record 1 of element \"face\""},
        {"index out of range", binary + vertices + std::string("\3\0\0\0\0\1\0\0\0\7\0\0\0", 13),
         ": byte 214: ", "vertex index 7 out of range (3 vertices)"},
        {"list beyond the file", binary + vertices + std::string("\xff\0\0\0\0\1\0\0\0\2\0\0\0", 13),
         ": byte 205: ", "list length 255 runs past the end of the file"},
        {"cut short", binary + vertices + std::string("\3\0\0\0\0\1\0\0\0\2\0\0", 12), ": byte 205: ",
         "list length 3 runs past"},
        {"count beyond the file", huge + vertices, ":3: ",
         "element \"vertex\" has 4000000000 records, more than the 36 bytes after the header can hold"},
        {"infinite coordinate", binary + vertices.substr(0, 32) + std::string("\0\0\x80\x7f", 4) +
                                    std::string("\3\0\0\0\0\1\0\0\0\2\0\0\0", 13),
         ": byte 193: ", "a coordinate that is not a finite float"},
        {"control byte within a word", ascii + "0 0 0\n1 0.5\x01" "25 0\n0 1 0\n3 0 1 2\n", ":11: ",
         "bad number \"0.5\\x0125\""},
        {"a word more on a line", ascii + "0 0 0\n1 0 0 7\n0 1 0\n3 0 1 2\n", ":11: ",
         "more values on the line than element \"vertex\" declares"},
    };
}

TEST(PlyFormat, RefusesBadInputNamingTheFileAndLineOrByte) {
    for (const BadCase& c : BadCases()) {
        SCOPED_TRACE(c.name);
        Scene scene;
        std::string error;
        EXPECT_FALSE(ReadPly(c.bytes, "bad.ply", scene, error));
        EXPECT_EQ(error.substr(0, 7 + std::strlen(c.where)), std::string("bad.ply") + c.where) << error;
        EXPECT_NE(error.find(c.what), std::string::npos) << error;
        EXPECT_TRUE(scene.objects.empty());
    }
    // A signed list length below zero.
    std::string negative = BadCases()[11].bytes;
    negative.replace(negative.find("list uchar int"), 14, "list char int ");
    negative[negative.size() - 13] = '\xff';
    Scene scene;
    std::string error;
    EXPECT_FALSE(ReadPly(negative, "bad.ply", scene, error));
    EXPECT_NE(error.find("negative list length -1"), std::string::npos) << error;
}

// The tool's bad-input fixtures for PLY are each refused by the reader.
TEST(PlyFormat, BadInputFixturesAreRefused) {
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(THICKEN_BAD_INPUT_DIR)) {
        if (entry.path().extension() != ".ply") continue;
        ++files;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        Scene scene;
        std::string error;
        const std::string name = entry.path().filename().string();
        EXPECT_FALSE(ReadPly(bytes, name, scene, error)) << name;
        EXPECT_EQ(error.rfind(name + ":", 0), 0u) << error;
    }
    EXPECT_GE(files, 5u);
}

}  // namespace
