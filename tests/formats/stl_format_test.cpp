#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "formats/stl_format.h"
#include "formats/text_sink.h"

namespace {

using Triangle = std::vector<float>;  // nine coordinates, counter-clockwise

void Put32(std::string& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes += char(value >> (8 * i));
}

// A binary file of `triangles` under `header`, whose count says `count`
// (the number of triangles unless given).
std::string Binary(const std::vector<Triangle>& triangles, std::string header = "test",
                   int64_t count = -1) {
    header.resize(80, ' ');
    Put32(header, uint32_t(count < 0 ? triangles.size() : count));
    for (const Triangle& t : triangles) {
        for (int i = 0; i < 3; ++i) Put32(header, 0);  // a normal, which the reader skips
        for (float c : t) {
            uint32_t bits;
            std::memcpy(&bits, &c, 4);
            Put32(header, bits);
        }
        header += std::string(2, '\0');
    }
    return header;
}

std::string Facet(const Triangle& t, const std::string& end = "\n") {
    std::string text = "  facet normal 0 0 0" + end + "    outer loop" + end;
    for (int c = 0; c < 3; ++c) {
        text += "      vertex";
        for (int i = 0; i < 3; ++i) text += " " + std::to_string(t[3 * c + i]);
        text += end;
    }
    return text + "    endloop" + end + "  endfacet" + end;
}

// A unit box, its triangles counter-clockwise seen from outside.
std::vector<Triangle> Box() {
    const float p[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                           {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    const int quads[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                             {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
    std::vector<Triangle> triangles;
    for (const auto& q : quads) {
        for (const std::vector<int>& t : {std::vector<int>{q[0], q[1], q[2]},
                                          std::vector<int>{q[0], q[2], q[3]}}) {
            Triangle triangle;
            for (int v : t) triangle.insert(triangle.end(), p[v], p[v] + 3);
            triangles.push_back(triangle);
        }
    }
    return triangles;
}

Scene Read(const std::string& bytes, const std::string& name = "mesh.stl") {
    Scene scene;
    std::string error;
    EXPECT_TRUE(ReadStl(bytes, name, scene, error)) << error;
    return scene;
}

std::string Write(const Scene& scene, bool ascii) {
    std::string text;
    TextSink out(text);
    WriteStl(scene, ascii, out);
    out.Flush();
    return text;
}

std::string Splice(const Scene& scene) {
    std::string text;
    TextSink out(text);
    WriteStlSplice(scene, out);
    out.Flush();
    return text;
}

// Whether every edge of `object` is used exactly twice, once each way.
bool EveryEdgeTwiceOpposite(const SceneObject& object) {
    std::map<std::pair<int32_t, int32_t>, int> directed;
    for (size_t f = 0; f < object.FaceCount(); ++f)
        for (uint32_t i = 0, n = object.FaceSize(f); i < n; ++i)
            ++directed[{object.points[object.faceStart[f] + i],
                        object.points[object.faceStart[f] + (i + 1) % n]}];
    for (const auto& [edge, uses] : directed)
        if (uses != 1 || directed.count({edge.second, edge.first}) != 1) return false;
    return true;
}

TEST(StlFormat, BinaryByItsSizeAndAsciiSolidsAsObjects) {
    // A binary header that begins with "solid" does not make the file ASCII.
    Scene binary = Read(Binary({{0, 0, 0, 1, 0, 0, 0, 1, 0}}, "solid but binary"));
    ASSERT_EQ(binary.objects.size(), 1u);
    EXPECT_EQ(binary.objects[0].name, kStlBinaryObjectName);
    EXPECT_EQ(binary.objects[0].points, (std::vector<int32_t>{2, 1, 0}));  // reversed
    EXPECT_EQ(binary.source.objects, 1u);

    // Keywords in any case, CR LF, a solid without a name, a facet of four
    // corners kept as one polygon.
    const std::string text = "SOLID first part \r\n" + Facet({0, 0, 0, 1, 0, 0, 0, 1, 0}, "\r\n") +
                             "ENDSOLID first part\r\nsolid\r\n  FACET NORMAL 0 0 1\r\n"
                             "  OUTER LOOP\r\n VERTEX 0 0 0\r\n VERTEX 1 0 0\r\n"
                             " VERTEX 1 1 0\r\n VERTEX 0 1 0\r\n ENDLOOP\r\n ENDFACET\r\n"
                             "endsolid\r\n";
    Scene ascii = Read(text);
    ASSERT_EQ(ascii.objects.size(), 2u);
    EXPECT_EQ(ascii.objects[0].name, "first part");
    EXPECT_EQ(ascii.objects[1].name, "stl2");
    EXPECT_EQ(ascii.objects[1].points, (std::vector<int32_t>{3, 2, 1, 0}));
    EXPECT_EQ(ascii.source.objects, 2u);
    EXPECT_EQ(ascii.encoding, TextEncoding::Utf8);
}

TEST(StlFormat, CornersAtOnePositionAreOneVertex) {
    std::vector<Triangle> box = Box();
    box[0][0] = -0.0f;  // the same position as +0
    std::string ascii = "solid box\n";
    for (const Triangle& t : box) ascii += Facet(t);
    ascii += "endsolid box\n";
    for (const std::string& bytes : {Binary(box), ascii}) {
        Scene scene = Read(bytes);
        ASSERT_EQ(scene.objects.size(), 1u);
        const SceneObject& object = scene.objects[0];
        EXPECT_EQ(object.vertices.size(), 8u);
        EXPECT_EQ(object.FaceCount(), 12u);
        EXPECT_TRUE(EveryEdgeTwiceOpposite(object));
    }
}

// Solids of many facets, which the reader makes room for from their first
// facets, read as the same triangles do from a binary file; a small solid
// between two large ones takes no more than its own.
TEST(StlFormat, LargeSolidsReadAsTheirBinaryTwins) {
    std::vector<Triangle> strip;
    for (int i = 0; i < 3000; ++i) {
        const float x = float(i % 100), y = float(i / 100);
        strip.push_back(i % 2 ? Triangle{x, y, 0, x + 1, y + 1, 0, x, y + 1, 0}
                              : Triangle{x, y, 0, x + 1, y, 0, x + 1, y + 1, 0});
    }
    // The small solid's corners were read in the first one, as other vertices.
    std::vector<Triangle> tail(strip.end() - 2, strip.end());
    // Each solid makes room for its own facets, up to its "endsolid" in
    // any case, not for those of the solids after it.
    std::string ascii;
    for (std::vector<Triangle>* solid : {&strip, &tail, &strip}) {
        ascii += "solid parts\n";
        for (const Triangle& t : *solid) ascii += Facet(t);
        ascii += solid == &tail ? "endsolid part\n" : "EndSolid\n";
    }
    const Scene text = Read(ascii);
    ASSERT_EQ(text.objects.size(), 3u);
    for (size_t o = 0; o < 3; ++o) {
        const Scene binary = Read(Binary(o == 1 ? tail : strip));
        EXPECT_EQ(text.objects[o].points, binary.objects[0].points);
        EXPECT_EQ(text.objects[o].faceStart, binary.objects[0].faceStart);
        ASSERT_EQ(text.objects[o].vertices.size(), binary.objects[0].vertices.size());
        EXPECT_EQ(std::memcmp(text.objects[o].vertices.data(), binary.objects[0].vertices.data(),
                              binary.objects[0].vertices.size() * sizeof(ScenePoint)),
                  0);
    }
    EXPECT_LT(text.objects[0].points.capacity(), text.objects[0].points.size() * 5 / 4);
}

// A corner's text read again names the vertex it named; other texts of the
// same position, and texts that are not a corner's whole line, are parsed.
TEST(StlFormat, CornerTextsReadAgainAndOtherwise) {
    const std::string head = "solid t\nfacet normal 0 0 1\n outer loop\n  vertex 1 0 0\n"
                             "  vertex 0 1 0\n  vertex 0 0 0\n endloop\nendfacet\n";
    Scene scene = Read(head + "facet\n outer loop\n  vertex 1.0 0 0\n  vertex 0 1 0 \t\r\n"
                              "  vertex -0 0 0e0 endloop\nendfacet\nfacet\n outer loop\n"
                              "  vertex 0 1 0\n  vertex 0 0\n0\n  vertex 1 0 0\n"
                              " endloop endfacet\nendsolid t\n");
    ASSERT_EQ(scene.objects.size(), 1u);
    EXPECT_EQ(scene.objects[0].vertices.size(), 3u);
    EXPECT_EQ(scene.objects[0].points, (std::vector<int32_t>{2, 1, 0, 2, 1, 0, 0, 2, 1}));
    const std::pair<std::string, std::string> refused[] = {
        {head + "facet\n outer loop\n  vertex 0 1 0 7\n", "bad.stl:11: expected \"vertex\""},
        {head + "facet\n outer loop\n  vertex 0 1 0\n" + std::string(40, ' '),
         "bad.stl:11: the file ends where \"endloop\" is expected"},
    };
    for (const auto& [bytes, message] : refused) {
        Scene bad;
        std::string error;
        EXPECT_FALSE(ReadStl(bytes, "bad.stl", bad, error));
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

TEST(StlFormat, RoundTripKeepsGeometryAndOrientation) {
    Scene box = Read(Binary(Box()));
    const std::string binary = Write(box, false);
    ASSERT_EQ(binary.size(), 84u + 50u * 12u);
    EXPECT_NE(binary.compare(0, 5, "solid"), 0);
    for (bool ascii : {false, true}) {
        Scene again = Read(Write(box, ascii));
        ASSERT_EQ(again.objects.size(), 1u);
        EXPECT_EQ(again.objects[0].points, box.objects[0].points);
        ASSERT_EQ(again.objects[0].vertices.size(), 8u);
        for (size_t v = 0; v < 8; ++v) {
            EXPECT_EQ(again.objects[0].vertices[v].x, box.objects[0].vertices[v].x);
            EXPECT_EQ(again.objects[0].vertices[v].z, box.objects[0].vertices[v].z);
        }
    }

    // A quad (clockwise, the host's order) becomes a fan of two triangles
    // facing the same way, with their unit normal; a line is left out.
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    SceneObject quad;
    quad.name = "quad";
    quad.vertices = {{0, 0, 0}, {0, 2, 0}, {2, 2, 0}, {2, 0, 0}};
    const int32_t points[4] = {0, 1, 2, 3};
    const SceneUv uvs[4] = {};
    quad.AddFace(points, uvs, 4, -1);
    quad.AddFace(points, nullptr, 2, -1);
    scene.objects = {quad, quad};
    scene.objects[1].name = "second";
    const std::string written = Write(scene, false);
    ASSERT_EQ(written.size(), 84u + 50u * 4u);
    float normal[3];
    std::memcpy(normal, written.data() + 84, 12);
    EXPECT_EQ(normal[2], 1.0f);  // seen from +z the quad runs counter-clockwise
    Scene fan = Read(written);
    ASSERT_EQ(fan.objects.size(), 1u);  // binary: one object
    EXPECT_EQ(fan.objects[0].FaceCount(), 4u);
    EXPECT_EQ(fan.objects[0].vertices.size(), 4u);
    EXPECT_EQ(std::string(Write(scene, true), 0, 53),
              "solid quad\n  facet normal 0.000000 0.000000 1.000000\n");
    Scene solids = Read(Write(scene, true));
    ASSERT_EQ(solids.objects.size(), 2u);
    EXPECT_EQ(solids.objects[1].name, "second");
    EXPECT_EQ(std::vector<int32_t>(fan.objects[0].points.begin(), fan.objects[0].points.begin() + 6),
              solids.objects[0].points);

    EXPECT_EQ(StlLosses(scene, false),
              "STL does not carry over objects (the 2 are written as one), UVs and faces of fewer "
              "than three points (lines and points)");
    scene.objects[1].visible = false;
    scene.materials.push_back({"red", {}});
    EXPECT_EQ(StlLosses(scene, true), "STL does not carry over materials, UVs, faces of fewer "
                                      "than three points (lines and points) and hidden and "
                                      "locked flags");
    EXPECT_EQ(StlLosses(box, false), "");
}

TEST(StlFormat, SpliceKeepsTheFileAndAddsTheNewTriangles) {
    SceneObject added;
    added.name = "added";
    added.vertices = {{5, 5, 5}, {6, 5, 5}, {5, 6, 5}};
    const int32_t points[3] = {0, 1, 2};
    added.AddFace(points, nullptr, 3, -1);

    const std::string binary = Binary(Box(), "solid header kept");
    Scene scene = Read(binary);
    scene.source.bytes = binary;
    scene.objects.push_back(added);
    std::string spliced = Splice(scene);
    std::string expected = binary;
    expected[80] = 13;  // 12 + 1
    ASSERT_EQ(spliced.size(), binary.size() + 50);
    EXPECT_EQ(spliced.substr(0, binary.size()), expected);
    Scene again = Read(spliced);
    ASSERT_EQ(again.objects.size(), 1u);
    EXPECT_EQ(again.objects[0].FaceCount(), 13u);

    // ASCII: after a line end of the file's own, which it lacks at its end.
    const std::string text = "solid box\r\n" + Facet(Box()[0], "\r\n") + "endsolid box";
    Scene ascii = Read(text);
    ascii.source.bytes = text;
    ascii.objects.push_back(added);
    spliced = Splice(ascii);
    EXPECT_EQ(spliced.substr(0, text.size() + 22), text + "\r\nsolid added\r\n  facet");
    again = Read(spliced);
    ASSERT_EQ(again.objects.size(), 2u);
    EXPECT_EQ(again.objects[1].name, "added");
    for (int p = 0; p < 3; ++p)  // the same corners in the same order
        EXPECT_EQ(again.objects[1].vertices[again.objects[1].points[p]].x, added.vertices[p].x);

    // Without the objects read, the file is composed, not spliced.
    ascii.source.kind = SceneSource::Kind::Stl;
    ascii.DropSourceObjects();
    EXPECT_EQ(ascii.source.kind, SceneSource::Kind::None);
    EXPECT_TRUE(ascii.source.bytes.empty());
}

TEST(StlFormat, RefusesMalformedFilesNamingWhere) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Triangle good = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const std::string oneFacet = "solid a\n" + Facet(good);
    const std::string truncatedBinary = Binary({good, good}).substr(0, 84 + 70);
    const std::pair<std::string, std::string> cases[] = {
        {"", "bad.stl: byte 0: the file is empty"},
        {"not an stl", "bad.stl: byte 10: the file ends within the 84 bytes"},
        {Binary({good}) + "xyz",
         "bad.stl: byte 80: the triangle count 1 needs a file of 134 bytes, but the file has 137"},
        {truncatedBinary, "bad.stl: byte 80: the triangle count 2 needs a file of 184 bytes"},
        // A count the file cannot hold is refused before anything is made for it.
        {Binary({good}, "x", 0xFFFFFFFF),
         "bad.stl: byte 80: the triangle count 4294967295 needs a file of 214748364834 bytes"},
        {Binary({good, {0, 0, 0, nan, 0, 0, 0, 1, 0}}),
         "bad.stl: byte 158: triangle 2 has a coordinate that is not a number (NaN)"},
        {Binary({{0, 0, 0, 1, 0, 0, 0, inf, 0}}),
         "bad.stl: byte 124: triangle 1 has a coordinate that is infinite"},
        {"solid a\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\n",
         "bad.stl:4: the file ends where \"endloop\" is expected"},
        {"solid a\rfacet normal 0 0 1\router loop\rvertex 0 0 0\rvertex 1 0",
         "bad.stl:5: the file ends where a coordinate is expected"},
        {"solid a\nfacet\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendfacet\n",
         "bad.stl:7: expected \"vertex\" or \"endloop\", found \"endfacet\""},
        {oneFacet, "bad.stl:8: the file ends where \"endsolid\" is expected"},
        {oneFacet + "endsolid a\nfacet", "bad.stl:10: expected \"solid\", found \"facet\""},
        {"solid a\nfacet\nloop", "bad.stl:3: expected \"outer\", found \"loop\""},
        {"solid a\nfacet\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nendloop\nendfacet\nendsolid\n",
         "bad.stl:2: a facet needs at least 3 vertices, this one has 2"},
        {"solid a\r\nfacet\r\nouter loop\r\nvertex 0 nan 0\r\n",
         "bad.stl:4: the coordinate \"nan\" is not a finite number within a float's range"},
        {"solid a\nfacet\nouter loop\nvertex 0 1e39 0\n",
         "bad.stl:4: the coordinate \"1e39\" is not a finite number"},
        {"solid a\nfacet\nouter loop\nvertex 0 x\x01 0\n",
         "bad.stl:4: expected a coordinate, found \"x\\x01\""},
        // A binary header that begins with "solid", in a file of the wrong size.
        {Binary({good}, "solid") + "z", "(or, read as a binary STL, its size 135 is not the 134"},
    };
    for (const auto& [bytes, message] : cases) {
        Scene scene;
        std::string error;
        EXPECT_FALSE(ReadStl(bytes, "bad.stl", scene, error)) << message;
        EXPECT_NE(error.find(message), std::string::npos) << error;
    }
}

}  // namespace
