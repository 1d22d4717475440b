#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "formats/obj_format.h"
#include "formats/text_sink.h"
#include "platform/text_encoding.h"

namespace {

Scene Read(const std::string& text) {
    Scene scene;
    std::string error;
    EXPECT_TRUE(ReadObj(text, "mesh.obj", scene, error)) << error;
    return scene;
}

std::vector<int32_t> FacePoints(const SceneObject& object, size_t f) {
    return {object.points.begin() + object.faceStart[f],
            object.points.begin() + object.faceStart[f + 1]};
}

TEST(ObjFormat, ReadsEveryReferenceFormReversingTheWinding) {
    Scene scene = Read("# a comment\n"
                       "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0 1.0\n"
                       "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                       "vn 0 0 1\n"
                       "f 1/1 2/2 3/3 4/4\n"
                       "f 1//1 2//1 3//1\n"
                       "f -4/-4/1 -3/-3/1 -2/-2/1\n"
                       "f 1 2 3 4 1 # a pentagon\n"
                       "l 1 2 3\n");
    ASSERT_EQ(scene.objects.size(), 1u);
    const SceneObject& o = scene.objects[0];
    EXPECT_EQ(o.name, "obj1");
    ASSERT_EQ(o.vertices.size(), 4u);
    ASSERT_EQ(o.FaceCount(), 6u);
    EXPECT_EQ(FacePoints(o, 0), (std::vector<int32_t>{3, 2, 1, 0}));
    EXPECT_TRUE(o.faceHasUv[0]);
    // UVs reversed with the points, v measured from the top.
    EXPECT_FLOAT_EQ(o.uvs[0].u, 0.0f);
    EXPECT_FLOAT_EQ(o.uvs[0].v, 0.0f);
    EXPECT_FLOAT_EQ(o.uvs[1].u, 1.0f);
    EXPECT_FLOAT_EQ(o.uvs[1].v, 0.0f);
    EXPECT_FLOAT_EQ(o.uvs[3].v, 1.0f);
    EXPECT_FALSE(o.faceHasUv[1]);
    EXPECT_EQ(FacePoints(o, 2), (std::vector<int32_t>{2, 1, 0}));
    EXPECT_TRUE(o.faceHasUv[2]);
    EXPECT_EQ(o.FaceSize(3), 5u);  // n-gons are kept whole
    // The polyline becomes two lines.
    EXPECT_EQ(FacePoints(o, 4), (std::vector<int32_t>{1, 0}));
    EXPECT_EQ(FacePoints(o, 5), (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(o.faceMaterial[0], -1);
}

TEST(ObjFormat, ObjectsGroupsAndMaterials) {
    Scene scene = Read("mtllib scene.mtl\n"
                       "o first\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                       "g part\nusemtl red\nf 1 2 3\n"
                       "o second\nv 5 5 5\nusemtl blue\nf 4 1 2\nusemtl red\nf 4 2 3\n");
    ASSERT_EQ(scene.objects.size(), 2u);
    EXPECT_EQ(scene.objects[0].name, "first");  // "g" within an object is a group
    EXPECT_EQ(scene.objects[1].name, "second");
    ASSERT_EQ(scene.materials.size(), 2u);
    EXPECT_EQ(scene.materials[0].name, "red");
    EXPECT_EQ(scene.materials[1].name, "blue");
    EXPECT_EQ(scene.objects[0].faceMaterial, (std::vector<int32_t>{0}));
    EXPECT_EQ(scene.objects[1].faceMaterial, (std::vector<int32_t>{1, 0}));
    // The material library stays named, so a result beside it keeps its looks.
    EXPECT_EQ(scene.materialLibraries, std::vector<std::string>{"scene.mtl"});
    EXPECT_NE(WriteObj(scene).find("\nmtllib scene.mtl\n"), std::string::npos);
    // Each object holds the vertices its faces use, in file order: the
    // second copies three of the first object's and its own.
    EXPECT_EQ(scene.objects[0].vertices.size(), 3u);
    const SceneObject& second = scene.objects[1];
    ASSERT_EQ(second.vertices.size(), 4u);
    EXPECT_EQ(FacePoints(second, 0), (std::vector<int32_t>{1, 0, 3}));
    EXPECT_EQ(FacePoints(second, 1), (std::vector<int32_t>{2, 1, 3}));
    EXPECT_FLOAT_EQ(second.vertices[1].x, 1.0f);
    EXPECT_FLOAT_EQ(second.vertices[3].x, 5.0f);
}

TEST(ObjFormat, GroupsNameObjectsInFilesWithoutObjectLines) {
    // Vertices listed before the first group make no object of their own;
    // one no face uses is left out.
    Scene scene = Read("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 9 9 9\ng a\nf 1 2 3\ng b\nf 3 2 1\n"
                       "g a\nf 1 3 2\n");
    ASSERT_EQ(scene.objects.size(), 2u);
    EXPECT_EQ(scene.objects[0].name, "a");
    EXPECT_EQ(scene.objects[0].FaceCount(), 2u);
    EXPECT_EQ(scene.objects[0].vertices.size(), 3u);
    EXPECT_EQ(scene.objects[1].name, "b");
    EXPECT_EQ(scene.objects[1].vertices.size(), 3u);
    // Without "o" or "g" the file is one object that keeps every vertex.
    Scene single = Read("v 0 0 0\nv 1 0 0\nv 0 1 0\nv 9 9 9\nf 1 2 3\n");
    ASSERT_EQ(single.objects.size(), 1u);
    EXPECT_EQ(single.objects[0].vertices.size(), 4u);
}

TEST(ObjFormat, ByteOrderMarksAndWhatCannotBeCarried) {
    const std::string plain = "o 板\nv 0 0 0\nv 1 0 0 1 0.5 0.5\nvn 0 0 1\nv 0 1 0\ns 1\n"
                              "vn 0 0 1\nvp 0.5\nf 1//1 2//1 3//1\n";
    Scene utf8 = Read("\xEF\xBB\xBF" + plain);
    ASSERT_EQ(utf8.objects.size(), 1u);
    EXPECT_EQ(utf8.objects[0].name, "板");
    ASSERT_EQ(utf8.warnings.size(), 1u);
    EXPECT_EQ(utf8.warnings[0], "mesh.obj: not carried over: vertex colours, normals (vn), "
                                "smoothing groups (s), \"vp\" lines");
    // UTF-16 in either byte order, a character outside the basic plane too.
    const std::u16string wide = u"o 板\U0001F600\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    for (bool big : {false, true}) {
        std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t c : wide) {
            const char high = char(c >> 8), low = char(c & 0xFF);
            bytes += big ? std::string{high, low} : std::string{low, high};
        }
        Scene scene = Read(bytes);
        EXPECT_TRUE(scene.source.utf16);
        EXPECT_EQ(scene.source.bigEndian, big);
        ASSERT_EQ(scene.objects.size(), 1u);
        EXPECT_EQ(scene.objects[0].name, "板\xF0\x9F\x98\x80");
        EXPECT_EQ(scene.objects[0].FaceCount(), 1u);
        EXPECT_TRUE(scene.warnings.empty());
        std::string error;
        EXPECT_FALSE(ReadObj(bytes + "x", "odd.obj", scene, error));
        EXPECT_NE(error.find("odd.obj: UTF-16"), std::string::npos) << error;
    }
}

TEST(ObjFormat, FacesWithoutMaterialAfterOnesWithOne) {
    Scene scene = Read("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nusemtl red\nf 1 2 3\n"
                       "usemtl (null)\nf 1 2 3\n");
    EXPECT_EQ(scene.objects[0].faceMaterial, (std::vector<int32_t>{-1, 0, -1}));
    const std::string text = WriteObj(scene);
    EXPECT_EQ(text.find("usemtl\n"), std::string::npos) << text;
    EXPECT_EQ(Read(text).objects[0].faceMaterial, scene.objects[0].faceMaterial);
}

TEST(ObjFormat, RoundTripKeepsObjectsFlagsUvsLinesAndMaterials) {
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    scene.materials.push_back({"赤", DefaultMaterialParams(1, 0, 0)});
    scene.materials.push_back({"青い 材質", DefaultMaterialParams(0, 0, 1)});
    SceneObject a;
    a.name = "表板";
    a.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.25f}};
    int32_t quad[4] = {0, 1, 2, 3};
    SceneUv quadUv[4] = {{0, 0}, {1, 0}, {1, 1}, {0.3f, 0.7f}};
    a.AddFace(quad, quadUv, 4, 1);
    int32_t tri[3] = {0, 2, 3};
    a.AddFace(tri, nullptr, 3, 0);
    int32_t line[2] = {1, 3};
    a.AddFace(line, nullptr, 2, -1);
    SceneObject b;
    b.name = "hidden and locked";
    b.visible = false;
    b.locked = true;
    b.vertices = {{2, 2, 2}, {3, 2, 2}, {2, 3, 2}, {7, 7, 7}};  // the last one is unused
    b.AddFace(tri, nullptr, 3, 0);
    scene.objects = {a, b};

    const std::string text = WriteObj(scene);
    Scene back = Read(text);
    EXPECT_EQ(WriteObj(back), text);
    ASSERT_EQ(back.objects.size(), 2u);
    ASSERT_EQ(back.materials.size(), 2u);
    EXPECT_EQ(back.materials[1].name, "青い 材質");
    for (size_t i = 0; i < 2; ++i) {
        const SceneObject &x = scene.objects[i], &y = back.objects[i];
        EXPECT_EQ(y.name, x.name);
        EXPECT_EQ(y.visible, x.visible);
        EXPECT_EQ(y.locked, x.locked);
        ASSERT_EQ(y.vertices.size(), x.vertices.size());
        for (size_t v = 0; v < x.vertices.size(); ++v) {
            EXPECT_EQ(y.vertices[v].x, x.vertices[v].x);
            EXPECT_EQ(y.vertices[v].z, x.vertices[v].z);
        }
        EXPECT_EQ(y.faceStart, x.faceStart);
        EXPECT_EQ(y.points, x.points);
        EXPECT_EQ(y.faceMaterial, x.faceMaterial);
        EXPECT_EQ(y.faceHasUv, x.faceHasUv);
    }
    // v is mirrored on the way out and back: exact up to rounding near 0.
    for (size_t p = 0; p < 4; ++p) {
        EXPECT_EQ(back.objects[0].uvs[p].u, quadUv[p].u);
        EXPECT_NEAR(back.objects[0].uvs[p].v, quadUv[p].v, 1e-7);
    }
}

// The plain v, vt and f lines take a quick path; a comment at the end of a
// line sends it the general way. Both must read every form alike.
TEST(ObjFormat, QuickAndGeneralReadingAgree) {
    const std::vector<std::string> lines = {
        "v 0 0 0", "v\t1.5\t-2\t+3", "v 1e-3 -0 0.1000000000000000055511151231257827",
        "v 1 2 3 1", "v 0.5 0.25 0.125\r", "v 1.17549435e-38 3.4e38 -7",
        "vt 0 0", "vt 0.25 0.75", "vt 1", "vt 0.5 0.5 0", "vt 1e0 .5",
        "f 1 2 3", "f 1/1 2/2 3/3 4/4", "f 1/1/1 2//2 3/3/ 4/4/x", "f -1/-1 -2/-2 -3/-3",
        "f 01/0000000002 2/3 3/4", "f +1 2 3", "f 1\t2\t3\t\t4", "f 6 5 4 3 2 1"};
    std::string quick, general;
    for (const std::string& line : lines) {
        quick += line + "\n";
        general += line + " # comment\n";
    }
    const Scene a = Read(quick), b = Read(general);
    ASSERT_EQ(a.objects.size(), 1u);
    ASSERT_EQ(b.objects.size(), 1u);
    const SceneObject &x = a.objects[0], &y = b.objects[0];
    ASSERT_EQ(x.vertices.size(), 6u);
    ASSERT_EQ(y.vertices.size(), 6u);
    for (size_t v = 0; v < 6; ++v) {
        EXPECT_EQ(x.vertices[v].x, y.vertices[v].x) << v;
        EXPECT_EQ(x.vertices[v].y, y.vertices[v].y) << v;
        EXPECT_EQ(x.vertices[v].z, y.vertices[v].z) << v;
    }
    EXPECT_EQ(x.faceStart, y.faceStart);
    EXPECT_EQ(x.points, y.points);
    EXPECT_EQ(x.faceHasUv, y.faceHasUv);
    ASSERT_EQ(x.uvs.size(), y.uvs.size());
    for (size_t p = 0; p < x.uvs.size(); ++p) {
        EXPECT_EQ(x.uvs[p].u, y.uvs[p].u) << p;
        EXPECT_EQ(x.uvs[p].v, y.uvs[p].v) << p;
    }
    EXPECT_EQ(x.FaceCount(), 8u);
    // A comment right after a normal reference ends the face there.
    EXPECT_EQ(Read("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3//1#c 1\n").objects[0].FaceSize(0), 3u);
    // Errors are found on the quick lines as on any other.
    Scene scene;
    std::string error;
    EXPECT_FALSE(ReadObj("v 0 0 0\nvt 0 0\nf 1/1 1/2 1/1\n", "bad.obj", scene, error));
    EXPECT_NE(error.find("bad.obj:3: texture index 2 out of range (1 so far)"), std::string::npos)
        << error;
}

// A vt line per distinct UV pair in the order of first use, whichever
// vertices share a pair and however many pairs a vertex has.
TEST(ObjFormat, UvPairsAreNumberedByFirstUse) {
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    SceneObject o;
    o.name = "seam";
    o.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    const int32_t first[3] = {0, 1, 2}, second[3] = {0, 2, 3};
    const SceneUv a{0, 0}, b{0.5f, 0}, c{0.5f, 0.5f}, d{1, 1};
    const SceneUv firstUv[3] = {a, b, c}, secondUv[3] = {d, c, a};
    o.AddFace(first, firstUv, 3, -1);
    o.AddFace(second, secondUv, 3, -1);
    scene.objects.push_back(o);
    const std::string text = WriteObj(scene);
    // Vertex 0 has pair a, then d; vertex 3 shares a with it.
    EXPECT_NE(text.find("vt 0 1\nvt 0.5 1\nvt 0.5 0.5\nvt 1 0\nf 3/3 2/2 1/1\nf 4/1 3/3 1/4\n"),
              std::string::npos)
        << text;
}

TEST(ObjFormat, ReportsMalformedLinesWithTheirNumbers) {
    struct Case {
        std::string text;
        int line;
        const char* message;
    } cases[] = {
        {"v 0 0\n", 1, "three coordinates"},
        {"v 0 0 0\nv a b c\n", 2, "three coordinates"},
        {"vt\n", 1, "number after \"vt\""},
        {"v 0 0 0\nf 1 1\n", 2, "at least 3 points"},
        {"v 0 0 0\n\nf 1 1 2\n", 3, "vertex index 2 out of range (1 so far)"},
        {"v 0 0 0\nf 0 1 1\n", 2, "bad vertex index \"0\""},
        {"v 0 0 0\nf -2 1 1\n", 2, "vertex index -2 out of range"},
        {"v 0 0 0\nf 1/1 1 1\n", 2, "texture index 1 out of range (0 so far)"},
        {"v 0 0 0\nf 1/x 1 1\n", 2, "bad texture index"},
        {"v 0 0 0\nl 1\n", 2, "at least 2 points"},
        {"v 0 0 0\nf 99999999999 1 1\n", 2, "bad vertex index"},
    };
    for (const Case& c : cases) {
        Scene scene;
        std::string error;
        EXPECT_FALSE(ReadObj(c.text, "bad.obj", scene, error)) << c.text;
        const std::string prefix = "bad.obj:" + std::to_string(c.line) + ": ";
        EXPECT_EQ(error.substr(0, prefix.size()), prefix) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(ObjFormat, LinesEndingInABackslashGoOnOnTheNext) {
    for (const std::string eol : {"\n", "\r\n"}) {
        SCOPED_TRACE(eol.size() == 1 ? "LF" : "CR LF");
        Scene scene = Read("o left\\" + eol + "right" + eol + "v 0 0 0" + eol + "v 1 0 \\" + eol +
                           "0.5" + eol + "v 0 1 0" + eol + "f 1 \\" + eol + "2\\" + eol + "3" + eol);
        ASSERT_EQ(scene.objects.size(), 1u);
        const SceneObject& o = scene.objects[0];
        EXPECT_EQ(o.name, "left right");
        ASSERT_EQ(o.vertices.size(), 3u);
        EXPECT_EQ(o.vertices[1].z, 0.5f);
        EXPECT_EQ(FacePoints(o, 0), (std::vector<int32_t>{2, 1, 0}));
        // A message names the line the statement starts on, and every line
        // counts.
        std::string error;
        EXPECT_FALSE(ReadObj("v 0 0 0" + eol + "f 1 \\" + eol + "1 \\" + eol + "9" + eol, "bad.obj",
                             scene, error));
        EXPECT_EQ(error, "bad.obj:2: vertex index 9 out of range (1 so far)");
        EXPECT_FALSE(ReadObj("v 0 0 0" + eol + "f 1 \\" + eol + "1 1" + eol + "f 1 1 7" + eol,
                             "bad.obj", scene, error));
        EXPECT_EQ(error.substr(0, 10), "bad.obj:4:") << error;
    }
    // A name that ends in '\\' is written so that it does not take the next
    // line with it.
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    scene.materials.push_back({"C:\\", DefaultMaterialParams()});
    SceneObject o;
    o.name = "folder\\";
    o.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const int32_t tri[3] = {0, 1, 2};
    o.AddFace(tri, nullptr, 3, 0);
    scene.objects.push_back(o);
    const Scene back = Read(WriteObj(scene));
    ASSERT_EQ(back.objects.size(), 1u);
    EXPECT_EQ(back.objects[0].name, "folder\\");
    EXPECT_EQ(back.objects[0].vertices.size(), 3u);
    EXPECT_EQ(back.materials[0].name, "C:\\");
}

TEST(ObjFormat, MessagesShowControlBytesEscaped) {
    const Scene scene = Read(std::string("v 0 0 0\n\0\0\0\nv 1 0 0\n", 19));
    ASSERT_EQ(scene.warnings.size(), 1u);
    EXPECT_EQ(scene.warnings[0], "mesh.obj: not carried over: \"\\x00\\x00\\x00\" lines");
    Scene bad;
    std::string error;
    EXPECT_FALSE(ReadObj("v 0 0 0\nf 1\x1b 1 1\n", "bad.obj", bad, error));
    EXPECT_EQ(error, "bad.obj:2: bad vertex index \"1\\x1B\"");
}

// ---- Splicing new objects into the file they were read from ---------------

// The objects a test adds to a scene read from a file: a quad with UVs and
// no material, and a triangle with a material of its own.
void AddObjects(Scene& scene) {
    const int32_t points[4] = {0, 1, 2, 3};
    const SceneUv uvs[4] = {{0, 0}, {1, 0}, {1, 1}, {0.25f, 0.75f}};
    SceneObject quad;
    quad.name = "added quad";
    quad.vertices = {{10, 0, 0}, {11, 0, 0}, {11, 1, 0}, {10, 1, 0.5f}};
    quad.AddFace(points, uvs, 4, -1);
    scene.objects.push_back(quad);
    SceneObject triangle;
    triangle.name = "三角";
    triangle.vertices = {{0, 5, 0}, {1, 5, 0}, {0, 6, -1}};
    scene.materials.push_back({"added material", DefaultMaterialParams()});
    triangle.AddFace(points, uvs, 3, int32_t(scene.materials.size() - 1));
    scene.objects.push_back(triangle);
}

std::string MaterialOf(const Scene& scene, const SceneObject& object, size_t f) {
    const int32_t m = object.faceMaterial[f];
    return m < 0 ? "(none)" : scene.materials[m].name;
}

// `b` read back as `a` was written: the same geometry, UVs (v through 1 - v)
// and materials by name.
void ExpectSameObject(const Scene& sa, const SceneObject& a, const Scene& sb, const SceneObject& b) {
    EXPECT_EQ(b.name, a.name);
    ASSERT_EQ(b.vertices.size(), a.vertices.size());
    for (size_t v = 0; v < a.vertices.size(); ++v) {
        EXPECT_EQ(b.vertices[v].x, a.vertices[v].x) << v;
        EXPECT_EQ(b.vertices[v].y, a.vertices[v].y) << v;
        EXPECT_EQ(b.vertices[v].z, a.vertices[v].z) << v;
    }
    EXPECT_EQ(b.faceStart, a.faceStart);
    EXPECT_EQ(b.points, a.points);
    EXPECT_EQ(b.faceHasUv, a.faceHasUv);
    ASSERT_EQ(b.uvs.size(), a.uvs.size());
    for (size_t p = 0; p < a.uvs.size(); ++p) {
        EXPECT_EQ(b.uvs[p].u, a.uvs[p].u) << p;
        EXPECT_NEAR(b.uvs[p].v, a.uvs[p].v, 1e-7) << p;
    }
    ASSERT_EQ(b.FaceCount(), a.FaceCount());
    for (size_t f = 0; f < a.FaceCount(); ++f) EXPECT_EQ(MaterialOf(sb, b, f), MaterialOf(sa, a, f));
}

std::string Utf16(const std::string& utf8, bool bigEndian) {
    std::string wide;
    Utf16FromUtf8(utf8, bigEndian, wide);
    return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + wide;
}

// Read, add two objects, splice: the output is the input's bytes and then
// text that reads back as the input's objects, unchanged, and the new ones.
TEST(ObjFormat, SplicedFileIsTheInputAndThenTheNewObjects) {
    const std::string withMaterial = "o a\r\nv 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nvt 0 0\r\nvt 1 0\r\n"
                                     "vt 0 1\r\nusemtl red\r\nf 1/1 2/2 3/3\r\n";
    std::vector<std::pair<std::string, std::string>> inputs = {
        {"unused vertices", "o a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 5 5 5\nf 1 2 3\no b\nv 7 7 7\n"},
        {"no last line end", "o a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3"},
        {"CR LF, vt, a material", withMaterial},
        {"CR LF cut short", withMaterial.substr(0, withMaterial.size() - 1)},
        {"BOM, one object", "\xEF\xBB\xBFv 9 9 9\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 2 3 4\nv 7 7 7"},
        {"groups name objects", "v 0 0 0\nv 1 0 0\nv 0 1 0\ng a\nf 1 2 3\ng b\nf 3 2 1\n"},
        {"last line goes on", "o a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3 \\\n"},
        {"UTF-16LE", Utf16(withMaterial, false)},
        {"UTF-16BE, no last line end", Utf16("g a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3", true)},
    };
    // Files as other programs write them; install-deps installs them.
    const std::filesystem::path models = "/usr/share/assimp/models/OBJ";
    size_t files = 0;
    if (std::filesystem::is_directory(models))
        for (const auto& entry : std::filesystem::directory_iterator(models)) {
            if (entry.path().extension() != ".obj") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            inputs.emplace_back(entry.path().string(), std::string(std::istreambuf_iterator<char>(in), {}));
            ++files;
        }
    EXPECT_GE(files, 10u) << "the test models are missing: run tools/install-deps";

    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        Scene scene;
        std::string error;
        if (!ReadObj(bytes, name, scene, error)) {
            EXPECT_TRUE(name.front() == '/') << error;  // a file the reader refuses is left out
            continue;
        }
        scene.source.bytes = bytes;
        const Scene input = scene;
        AddObjects(scene);
        std::string out;
        {
            TextSink sink(out);
            WriteObjSplice(scene, sink);
        }
        ASSERT_EQ(out.substr(0, bytes.size()), bytes);
        if (name.find("CR LF") != std::string::npos) {
            for (size_t at = out.find('\n', bytes.size()); at != std::string::npos; at = out.find('\n', at + 1))
                EXPECT_EQ(out[at - 1], '\r') << "a bare LF at " << at;
        }
        Scene back;
        ASSERT_TRUE(ReadObj(out, "spliced.obj", back, error)) << error;
        ASSERT_EQ(back.objects.size(), scene.objects.size());
        for (size_t o = 0; o < scene.objects.size(); ++o)
            ExpectSameObject(scene, scene.objects[o], back, back.objects[o]);
        EXPECT_EQ(back.source.positions, input.source.positions + 7);
        // Splicing the read-back scene with nothing new gives its bytes.
        back.source.bytes = out;
        std::string again;
        {
            TextSink sink(again);
            WriteObjSplice(back, sink);
        }
        EXPECT_EQ(again, out);
    }
}

// A large object reads back as it was written, and a material is named
// exactly where it changes.
TEST(ObjFormat, LargeObjectReadsBack) {
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    scene.materials.push_back({"a", DefaultMaterialParams()});
    scene.materials.push_back({"b", DefaultMaterialParams()});
    SceneObject o;
    o.name = "strip";
    const int faces = 100000;
    for (int v = 0; v < faces + 2; ++v) o.vertices.push_back({float(v), float(v % 7) * 0.5f, -float(v % 3)});
    for (int f = 0; f < faces; ++f) {
        const int32_t points[3] = {f, f + 1, f + 2};
        SceneUv uvs[3];
        for (int k = 0; k < 3; ++k) uvs[k] = {float((f + k) % 4096) / 4096, float((f + k) / 4096) / 64};
        o.AddFace(points, f % 5 == 0 ? nullptr : uvs, 3, f < 32768 ? 0 : f < 65535 ? 1 : 0);
    }
    scene.objects.push_back(o);
    const std::string text = WriteObj(scene);
    size_t named = 0;
    for (size_t at = 0; (at = text.find("usemtl ", at)) != std::string::npos; ++at) ++named;
    EXPECT_EQ(named, 3u);
    const Scene back = Read(text);
    ASSERT_EQ(back.objects.size(), 1u);
    ExpectSameObject(scene, scene.objects[0], back, back.objects[0]);
    EXPECT_EQ(WriteObj(back), text);
}

}  // namespace
