#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "formats/mqo_format.h"
#include "formats/text_sink.h"

namespace {

// "表板" and "材質" in Shift-JIS; 表 ends in the byte 0x5C.
const std::string kPlateName = "\x95\x5c\x94\xc2";
const std::string kMaterialName = "\x8d\xde\x8e\xbf";

std::string Document() {
    return "Metasequoia Document\r\n"
           "Format Text Ver 1.0\r\n"
           "\r\n"
           "Scene {\r\n"
           "\tpos 0.0000 0.0000 1500.0000\r\n"
           "\tdirlights 1 {\r\n"
           "\t\tlight {\r\n"
           "\t\t\tdir 0.408 0.408 0.816\r\n"
           "\t\t}\r\n"
           "\t}\r\n"
           "}\r\n"
           "Material 2 {\r\n"
           "\t\"" + kMaterialName + "\" shader(3) col(1.000 0.500 0.250 1.000) dif(0.800) "
           "tex(\"a (1).png\")\r\n"
           "\t\"plain\" col(0.000 0.000 1.000 0.500)\r\n"
           "}\r\n"
           "Object \"" + kPlateName + "\" {\r\n"
           "\tdepth 0\r\n"
           "\tvisible 15\r\n"
           "\tlocking 0\r\n"
           "\tshading 1\r\n"
           "\tvertex 5 {\r\n"
           "\t\t0.0000 0.0000 0.0000\r\n"
           "\t\t1.5000 0.0000 0.0000\r\n"
           "\t\t1.5000 -2.2500 0.0000\r\n"
           "\t\t0.0000 -2.2500 0.1000\r\n"
           "\t\t9.0000 9.0000 9.0000\r\n"
           "\t}\r\n"
           "\tvertexattr {\r\n"
           "\t\tuid {\r\n"
           "\t\t\t1\r\n"
           "\t\t}\r\n"
           "\t}\r\n"
           "\tface 3 {\r\n"
           "\t\t4 V(0 1 2 3) M(0) UV(0.00000 0.00000 1.00000 0.00000 1.00000 1.00000 0.00000 "
           "1.00000)\r\n"
           "\t\t3 V(0 2 4) M(1) COL(4294967295 4294967295 4294967295)\r\n"
           "\t\t2 V(3 4)\r\n"
           "\t}\r\n"
           "}\r\n"
           "Object \"hidden\" {\r\n"
           "\tvisible 0\r\n"
           "\tlocking 1\r\n"
           "\tvertex 0 {\r\n"
           "\t}\r\n"
           "\tface 0 {\r\n"
           "\t}\r\n"
           "}\r\n"
           "Eof\r\n";
}

Scene Read(const std::string& text) {
    Scene scene;
    std::string error;
    EXPECT_TRUE(ReadMqo(text, "doc.mqo", scene, error)) << error;
    return scene;
}

std::string WithObject(const std::string& body) {
    return "Metasequoia Document\nFormat Text Ver 1.0\nObject \"o\" {\n" + body + "}\nEof\n";
}

TEST(MqoFormat, ReadsMaterialsObjectsFacesAndFlags) {
    Scene scene = Read(Document());
    ASSERT_EQ(scene.materials.size(), 2u);
    EXPECT_EQ(scene.materials[0].name, kMaterialName);
    ASSERT_EQ(scene.materials[0].params.size(), 4u);
    EXPECT_EQ(scene.materials[0].params[1].key, "col");
    EXPECT_EQ(scene.materials[0].params[1].args, "1.000 0.500 0.250 1.000");
    EXPECT_EQ(scene.materials[0].params[3].args, "\"a (1).png\"");

    ASSERT_EQ(scene.objects.size(), 2u);
    const SceneObject& plate = scene.objects[0];
    EXPECT_EQ(plate.name, kPlateName);
    EXPECT_TRUE(plate.visible);
    EXPECT_FALSE(plate.locked);
    ASSERT_EQ(plate.vertices.size(), 5u);
    EXPECT_FLOAT_EQ(plate.vertices[2].y, -2.25f);
    EXPECT_FLOAT_EQ(plate.vertices[3].z, 0.1f);
    ASSERT_EQ(plate.FaceCount(), 3u);
    EXPECT_EQ(plate.FaceSize(0), 4u);
    EXPECT_EQ(plate.FaceSize(2), 2u);
    EXPECT_EQ(plate.points[plate.faceStart[1] + 2], 4);
    EXPECT_EQ(plate.faceMaterial[0], 0);
    EXPECT_EQ(plate.faceMaterial[1], 1);
    EXPECT_EQ(plate.faceMaterial[2], -1);
    EXPECT_TRUE(plate.faceHasUv[0]);
    EXPECT_FALSE(plate.faceHasUv[1]);
    EXPECT_FLOAT_EQ(plate.uvs[2].u, 1.0f);
    EXPECT_FLOAT_EQ(plate.uvs[2].v, 1.0f);

    EXPECT_FALSE(scene.objects[1].visible);
    EXPECT_TRUE(scene.objects[1].locked);

    // Where each object's chunk lies, and where a new one goes.
    const std::string text = Document();
    const SceneSource& source = scene.source;
    ASSERT_EQ(source.objectChunks.size(), 2u);
    EXPECT_EQ(source.objects, 2u);
    EXPECT_EQ(text.substr(source.objectChunks[0].begin, 8), "Object \"");
    EXPECT_EQ(source.objectChunks[0].End(), source.objectChunks[1].begin);
    EXPECT_EQ(source.insertAt, source.objectChunks[1].End());
    EXPECT_EQ(text.substr(source.insertAt), "Eof\r\n");
    EXPECT_EQ(source.lineEnd, "\r\n");
    EXPECT_EQ(source.indent, "\t");
}

// A document read as LoadScene keeps it, with its source.
Scene ReadSource(const std::string& text) {
    Scene scene = Read(text);
    scene.source.kind = SceneSource::Kind::Mqo;
    scene.source.bytes = text;
    return scene;
}

std::string Splice(const Scene& scene) {
    std::string written;
    {
        TextSink out(written);
        WriteMqoSplice(scene, out);
    }
    return written;
}

SceneObject Triangle(const std::string& name) {
    SceneObject object;
    object.name = name;
    object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, -0.5f}};
    const int32_t points[3] = {0, 1, 2};
    const SceneUv uvs[3] = {{0, 0}, {1, 0}, {0, 1}};
    object.AddFace(points, uvs, 3, 1);
    return object;
}

// Documents as real files hold them, with what a rewrite used to change:
// a chunk between objects, a chunk after the materials, an empty Material
// chunk, objects without visible or locking lines, face items in another
// order, blank lines inside chunks, a BVertex block closed without a tab,
// numbers spelt with blanks and signs, and one LF line before CR LF ones.
// Written back with a new object, each is its own bytes with the new chunk
// after the last object, in the document's line ends and indentation.
TEST(MqoFormat, ADocumentComesBackAsItsBytesWithTheNewObjectSpliced) {
    std::string floats(12, '\0');
    floats[4] = '\n';  // a line end inside the binary data
    const std::vector<std::string> documents = {
        Document(),
        "Metasequoia Document\nFormat Text Ver 1.0\r\n\r\nMaterial 0 {\r\n}\r\n"
        "MaterialEx2 {\r\n\tmaterial 0 {\r\n\t}\r\n}\r\n"
        "Object \"a\" {\r\n  vertex 3 {\r\n    0 0 0\r\n\r\n    1 0 0\r\n    -0.0000 1 0\r\n  }\r\n"
        "  face 1 {\r\n    3 V( 0 1 2) UID(7) UV(0 0 1 0 0 1)\r\n  }\r\n}\r\n"
        "BackImage {\r\n\tpers \"a.png\" 0 0 1 1\r\n}\r\n"
        "Object \"b\" {\r\n  BVertex 1 {\r\n    Vector 1 [12]\r\n" + floats + "\r\n}\r\n"
        "  face 0 {\r\n  }\r\n}\r\nEof\r\n",
        "Metasequoia Document\nFormat Text Ver 1.0\nScene {\n}\nEof\n",
        "Metasequoia Document\nFormat Text Ver 1.0\nMaterial 1 {\n    \"m\" col(1 1 1 1)\n}\nEof",
    };
    for (const std::string& text : documents) {
        Scene scene = ReadSource(text);
        EXPECT_EQ(Splice(scene), text) << text;
        const size_t at = scene.source.insertAt;
        scene.objects.push_back(Triangle("new"));
        const std::string written = Splice(scene);
        ASSERT_GT(written.size(), text.size());
        const size_t added = written.size() - text.size();
        EXPECT_EQ(written.substr(0, at) + written.substr(at + added), text) << text;
        const std::string chunk = written.substr(at, added);
        const std::string eol = scene.source.lineEnd, tab = scene.source.indent;
        EXPECT_EQ(chunk.substr(0, 14 + eol.size()), "Object \"new\" {" + eol) << chunk;
        EXPECT_NE(chunk.find(eol + tab + "vertex 3 {" + eol + tab + tab + "0 0 0" + eol), std::string::npos)
            << chunk;
        EXPECT_NE(chunk.find(eol + tab + "}" + eol + "}" + eol), std::string::npos) << chunk;

        const Scene back = Read(written);
        ASSERT_EQ(back.objects.size(), scene.objects.size());
        EXPECT_EQ(back.objects.back().points, scene.objects.back().points);
        EXPECT_EQ(back.objects.back().faceMaterial, scene.objects.back().faceMaterial);
        EXPECT_EQ(back.objects.back().vertices[2].z, -0.5f);
    }
    // The second document indents by two blanks, and its new chunk follows
    // the binary object, before "Eof".
    Scene second = ReadSource(documents[1]);
    EXPECT_EQ(second.source.indent, "  ");
    EXPECT_EQ(second.source.lineEnd, "\r\n");
    EXPECT_EQ(documents[1].substr(second.source.insertAt), "Eof\r\n");
}

// --only-result: the document without its own objects, the new one where
// the first of them stood, every other chunk as it was.
TEST(MqoFormat, ADocumentOfOnlyTheResultKeepsItsOtherChunks) {
    const std::string text = Document();
    Scene scene = ReadSource(text);
    const SourceSpan first = scene.source.objectChunks.front();
    const size_t end = scene.source.objectChunks.back().End();
    scene.DropSourceObjects();
    scene.objects.push_back(Triangle("new"));
    const std::string written = Splice(scene);
    EXPECT_EQ(written.substr(0, first.begin), text.substr(0, first.begin));
    EXPECT_EQ(written.substr(written.size() - (text.size() - end)), text.substr(end));
    const Scene back = Read(written);
    ASSERT_EQ(back.objects.size(), 1u);
    EXPECT_EQ(back.objects[0].name, "new");
    EXPECT_EQ(back.materials.size(), 2u);
}

TEST(MqoFormat, ANegativeMaterialIsNoMaterial) {
    // M(-5) was kept as -5, which the writer leaves out: writing what was
    // read then changed the face.
    const std::string text =
        "Metasequoia Document\nFormat Text Ver 1.0\n"
        "Object \"o\" {\n\tvertex 3 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t0 1 0\n\t}\n"
        "\tface 3 {\n\t\t3 V(0 1 2) M(-5)\n\t\t3 V(0 2 1) M(-1)\n\t\t3 V(1 2 0) M(2)\n\t}\n}\nEof\n";
    const Scene scene = Read(text);
    ASSERT_EQ(scene.objects.size(), 1u);
    EXPECT_EQ(scene.objects[0].faceMaterial, (std::vector<int32_t>{-1, -1, 2}));
    EXPECT_EQ(Read(WriteMqo(scene)).objects[0].faceMaterial, scene.objects[0].faceMaterial);
}

// The modeller's own spelling of a face line and every other spelling the
// reader takes give the same face: other blanks, signs, key order, a
// material of -0 or below zero, and a key the tool does not read.
TEST(MqoFormat, FaceLinesReadAlikeWhateverTheirSpelling) {
    auto faceOf = [](const std::string& line) {
        const Scene scene = Read(WithObject("vertex 4 {\n0 0 0\n1 0 0\n1 1 0\n0 1 0\n}\nface 1 {\n" + line +
                                            "\n}\n"));
        EXPECT_EQ(scene.objects.size(), 1u) << line;
        return scene.objects.empty() ? SceneObject{} : scene.objects[0];
    };
    const SceneObject own = faceOf("\t\t4 V(0 1 2 3) M(1) UV(0 0.5 1 0 1 1 0.25 1)");
    ASSERT_EQ(own.FaceCount(), 1u);
    EXPECT_EQ(own.faceMaterial[0], 1);
    EXPECT_EQ(own.uvs[3].u, 0.25f);
    for (const char* line : {"4\tV( 0 1  2\t3 )M(1)  UV(0 0.5 1 0 1 1 0.25 1 ) ",
                             "4 V(+0 1 2 3) M(+1) UV(0 0.5 1 0 1 1 0.25 1)",
                             "4 V(0 1 2 3) UV(0 0.5 1 0 1 1 .25 1) M(1)",
                             "4 V(0000 1 2 3) M(1) UV(0 5e-1 1 0 1 1 0.25 1)"}) {
        const SceneObject other = faceOf(line);
        EXPECT_EQ(other.points, own.points) << line;
        EXPECT_EQ(other.faceMaterial, own.faceMaterial) << line;
        ASSERT_EQ(other.uvs.size(), own.uvs.size()) << line;
        for (size_t k = 0; k < own.uvs.size(); ++k) {
            EXPECT_EQ(other.uvs[k].u, own.uvs[k].u) << line;
            EXPECT_EQ(other.uvs[k].v, own.uvs[k].v) << line;
        }
    }
    EXPECT_EQ(faceOf("4 V(0 1 2 3) M(-0)").faceMaterial[0], 0);
    EXPECT_EQ(faceOf("4 V(0 1 2 3) M(-7)").faceMaterial[0], -1);
    const SceneObject plain = faceOf("3 V(0 1 2)");
    EXPECT_EQ(plain.faceMaterial[0], -1);
    EXPECT_FALSE(plain.faceHasUv[0]);
    const SceneObject extra = faceOf("4 V(0 1 2 3) M(1) UV(0 0.5 1 0 1 1 0.25 1) COL(4294967295)");
    EXPECT_EQ(extra.points, own.points);
}

TEST(MqoFormat, WritesFloatsThatReadBackExactly) {
    Scene scene;
    SceneObject object;
    object.vertices = {{0.1f, -1e-7f, 123456.789f}, {3.4e38f, 1.17549435e-38f, -0.0f}};
    int32_t line[2] = {0, 1};
    SceneUv uvs[2] = {{0.333333343f, 1e-30f}, {0.5f, 0.75f}};
    object.AddFace(line, uvs, 2, -1);
    scene.objects.push_back(object);
    Scene back = Read(WriteMqo(scene));
    ASSERT_EQ(back.objects.size(), 1u);
    for (size_t v = 0; v < 2; ++v) {
        EXPECT_EQ(back.objects[0].vertices[v].x, object.vertices[v].x);
        EXPECT_EQ(back.objects[0].vertices[v].y, object.vertices[v].y);
        EXPECT_EQ(back.objects[0].vertices[v].z, object.vertices[v].z);
        EXPECT_EQ(back.objects[0].uvs[v].u, object.uvs[v].u);
        EXPECT_EQ(back.objects[0].uvs[v].v, object.uvs[v].v);
    }
}

struct Malformed {
    const char* what;
    std::string text;
    int line;
    const char* message;
};


TEST(MqoFormat, ReportsEachMalformedDocumentWithItsLine) {
    const Malformed cases[] = {
        {"empty", "", 1, "empty file"},
        {"not a document", "hello\n", 1, "not a Metasequoia document"},
        {"compressed", "Metasequoia Document\nFormat Compress Ver 1.0\n", 2, "compressed"},
        {"no Eof", "Metasequoia Document\nFormat Text Ver 1.0\nMaterial 0 {\n}\n", 4, "Eof"},
        {"bad coordinate", WithObject("vertex 2 {\n0 0 0\n1 x 0\n}\n"), 6,
         "three coordinates"},
        {"two coordinates", WithObject("vertex 1 {\n0 0\n}\n"), 5, "three coordinates"},
        {"infinite coordinate", WithObject("vertex 1 {\n0 0 1e39\n}\n"), 5,
         "three coordinates"},
        {"fewer vertices", WithObject("vertex 3 {\n0 0 0\n}\n"), 6, "announces 3"},
        {"more vertices", WithObject("vertex 1 {\n0 0 0\n0 0 0\n}\n"), 6, "more than the 1"},
        {"huge count", WithObject("vertex 2000000000 {\n}\n"), 5, "announces 2000000000"},
        {"negative count", WithObject("vertex -1 {\n}\n"), 4, "number of entries"},
        {"index out of range", WithObject("vertex 1 {\n0 0 0\n}\nface 1 {\n3 V(0 0 1)\n}\n"), 8,
         "vertex index 1 out of range"},
        {"short V", WithObject("vertex 1 {\n0 0 0\n}\nface 1 {\n3 V(0 0)\n}\n"), 8,
         "3 vertex indices"},
        {"short UV", WithObject("vertex 1 {\n0 0 0\n}\nface 1 {\n2 V(0 0) UV(0 0 1)\n}\n"), 8,
         "4 numbers"},
        {"no V", WithObject("face 1 {\n3 M(0)\n}\n"), 5, "without V"},
        {"truncated binary", WithObject("BVertex 1 {\nVector 1 [12]\n}\n"), 5,
         "announces 12 bytes but the file ends 8 bytes"},
        {"Vector size", WithObject("BVertex 2 {\nVector 2 [12]\n" + std::string(12, 'x') + "\n}\n"),
         5, "must be 24 bytes"},
        {"Vector count", WithObject("BVertex 2 {\nVector 1 [24]\n" + std::string(24, 'x') + "\n}\n"),
         5, "announces 1 vectors"},
        {"no Vector", WithObject("BVertex 0 {\n}\n"), 5, "without its Vector"},
        {"binary infinity", WithObject("BVertex 1 {\nVector 1 [12]\n" + std::string(10, '\0') +
                                       "\x80\x7f\n}\n"), 5, "vertex 0 of the Vector data"},
        {"code page", "Metasequoia Document\nFormat Text Ver 1.1\nCodePage 12345\nEof\n", 3,
         "code page \"12345\" is not one this system converts"},
        {"code page word", "Metasequoia Document\nFormat Text Ver 1.1\nCodePage sjis\nEof\n", 3,
         "code page \"sjis\" is not one"},
        {"zero points", WithObject("face 1 {\n0 V()\n}\n"), 5, "number of points"},
        {"unclosed args", WithObject("face 1 {\n1 V(0\n}\n"), 5, "KEY(VALUES)"},
        {"open object", "Metasequoia Document\nFormat Text Ver 1.0\nObject \"o\" {\nvisible 15\n",
         4, "end of file in the object"},
        {"unquoted name", "Metasequoia Document\nFormat Text Ver 1.0\nObject o {\n}\nEof\n", 3,
         "quoted object name"},
        {"unquoted material", "Metasequoia Document\nFormat Text Ver 1.0\nMaterial 1 {\nm\n}\n", 4,
         "quoted material name"},
        {"nesting", "Metasequoia Document\nFormat Text Ver 1.0\n" + std::string(100, '{') + "\n",
         3, "nested too deeply"},
        {"open chunk", "Metasequoia Document\nFormat Text Ver 1.0\nScene {\npos 0 0 0\n", 4,
         "chunk that starts at line 3"},
    };
    for (const Malformed& c : cases) {
        Scene scene;
        std::string error;
        EXPECT_FALSE(ReadMqo(c.text, "bad.mqo", scene, error)) << c.what;
        const std::string prefix = "bad.mqo:" + std::to_string(c.line) + ": ";
        EXPECT_EQ(error.substr(0, prefix.size()), prefix) << c.what << ": " << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
    }
}

TEST(MqoFormat, AcceptsLfLinesAndBlankLinesAndALaterFormatVersion) {
    Scene scene = Read("Metasequoia Document\nFormat Text Ver 1.1\n\nObject \"o\" {\n"
                       "\tvertex 3 {\n0 0 0\n\n1 0 0\n0 1 0\n\t}\n\tface 1 {\n"
                       "\t\t3 V(0 1 2)\n\t}\n}\nEof");
    ASSERT_EQ(scene.objects.size(), 1u);
    EXPECT_EQ(scene.objects[0].vertices.size(), 3u);
    EXPECT_EQ(scene.objects[0].FaceCount(), 1u);
}

// A document as the modeller's later versions save it: version 1.1, UTF-8
// names, CR LF lines, an object whose vertices are binary (bytes that look
// like line ends and braces among them) and binary data the tool does not
// read. Written back, it is the same bytes.
std::string BinaryDocument(const std::string& eol) {
    std::string floats;
    const float xyz[] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1.5f, -2.25f, 3};
    for (float f : xyz) floats.append(reinterpret_cast<const char*>(&f), 4);
    floats.replace(0, 4, "\r\n}\n");  // a tiny positive float
    const char* const lines[] = {
        "Metasequoia Document", "Format Text Ver 1.1", "CodePage utf8", "",
        "Material 1 {", "\t\"材質\" col(1.000 1.000 1.000 1.000)", "}",
        "Object \"表板\" {", "\tdepth 0", "\tvisible 15", "\tlocking 0", "\tshading 1",
        "\tBVertex 4 {", "\t\tVector 4 [48]", "@floats", "\t}",
        "\tvertexattr {", "\t\tweit 2 [8]", "@weights", "\t}",
        "\tface 1 {", "\t\t4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1) UID(1)", "\t}", "}", "Eof"};
    std::string text;
    for (const char* line : lines) {
        const std::string l = line;
        text += (l == "@floats" ? floats : l == "@weights" ? std::string("\x01\x02\r\n}{\0\xff", 8) : l) + eol;
    }
    return text;
}

TEST(MqoFormat, BinaryVerticesCodePageAndVersionComeBackByteForByte) {
    const std::string text = BinaryDocument("\r\n");
    Scene scene = ReadSource(text);
    EXPECT_EQ(scene.encoding, TextEncoding::Utf8);
    ASSERT_EQ(scene.objects.size(), 1u);
    const SceneObject& plate = scene.objects[0];
    EXPECT_EQ(plate.name, "表板");
    ASSERT_EQ(plate.vertices.size(), 4u);
    EXPECT_EQ(plate.vertices[3].y, -2.25f);
    EXPECT_GT(plate.vertices[0].x, 0.0f);
    ASSERT_EQ(scene.warnings.size(), 1u);
    EXPECT_NE(scene.warnings[0].find("doc.mqo:20: binary data \"weit\" (8 bytes)"),
              std::string::npos)
        << scene.warnings[0];
    EXPECT_EQ(Splice(scene), text);

    // LF lines and the version of the header are kept too; a new object
    // is written as text after the binary one.
    const std::string lf = BinaryDocument("\n");
    Scene lfScene = ReadSource(lf);
    ASSERT_EQ(lfScene.objects.size(), 1u);
    EXPECT_EQ(Splice(lfScene), lf);
    SceneObject added;
    added.name = "new";
    added.vertices = {{1, 2, 3}};
    lfScene.objects.push_back(added);
    const std::string more = Splice(lfScene);
    EXPECT_EQ(more.substr(0, lf.size() - 4), lf.substr(0, lf.size() - 4));
    EXPECT_EQ(more.substr(lf.size() - 4),
              "Object \"new\" {\n\tvisible 15\n\tlocking 0\n\tvertex 1 {\n\t\t1 2 3\n\t}\n"
              "\tface 0 {\n\t}\n}\nEof\n");

    // Lines that end at a lone CR, as some programs write them, likewise.
    const std::string cr = BinaryDocument("\r");
    Scene crScene = ReadSource(cr);
    ASSERT_EQ(crScene.objects.size(), 1u);
    EXPECT_EQ(crScene.objects[0].vertices[3].z, 3.0f);
    EXPECT_EQ(crScene.mqo.lineEnd, "\r");
    crScene.objects.push_back(added);
    std::string crMore = more;
    std::replace(crMore.begin() + long(lf.size()) - 4, crMore.end(), '\n', '\r');
    EXPECT_EQ(Splice(crScene), cr.substr(0, cr.size() - 4) + crMore.substr(lf.size() - 4));
}

}  // namespace
