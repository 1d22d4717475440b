#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "formats/file_io.h"
#include "formats/obj_format.h"
#include "formats/scene_file.h"
#include "tests/tool/scratch_folder_test.h"

namespace fs = std::filesystem;

namespace {

class SceneFileTest : public ScratchFolderTest {
protected:
    SceneFileTest() : ScratchFolderTest("mqthicken-scene-file") {}

    size_t EntriesInDir() const { return Entries().size(); }
};

// Writes `scene` as SaveScene does by default, the lossy names appended to `lossy`.
bool Save(const std::string& path, Scene& scene, std::vector<std::string>& lossy,
          std::string& error) {
    SaveReport report;
    report.lossy = std::move(lossy);
    const bool saved = SaveScene(path, scene, {}, report, error);
    lossy = std::move(report.lossy);
    return saved;
}

Scene JapaneseScene() {
    Scene scene;
    scene.encoding = TextEncoding::Cp932;
    scene.materials.push_back({"\x8d\xde\x8e\xbf", DefaultMaterialParams()});  // 材質
    SceneObject object;
    object.name = "\x95\x5c\x94\xc2";  // 表板
    object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    int32_t tri[3] = {0, 1, 2};
    SceneUv uv[3] = {{0, 0}, {1, 0}, {0, 1}};
    object.AddFace(tri, uv, 3, 0);
    scene.objects.push_back(object);
    return scene;
}

TEST_F(SceneFileTest, JapaneseNamesSurviveBothFormats) {
    std::vector<std::string> lossy;
    std::string error;
    Scene japanese = JapaneseScene();
    ASSERT_TRUE(Save(Path("a.obj"), japanese, lossy, error)) << error;
    EXPECT_TRUE(lossy.empty());
    EXPECT_NE(Contents(Path("a.obj")).find("o 表板\n"), std::string::npos);
    EXPECT_NE(Contents(Path("a.obj")).find("usemtl 材質\n"), std::string::npos);

    Scene fromObj;
    ASSERT_TRUE(LoadScene(Path("a.obj"), fromObj, error)) << error;
    EXPECT_EQ(fromObj.encoding, TextEncoding::Utf8);
    ASSERT_TRUE(Save(Path("b.MQO"), fromObj, lossy, error)) << error;
    Scene fromMqo;
    ASSERT_TRUE(LoadScene(Path("b.MQO"), fromMqo, error)) << error;
    ASSERT_EQ(fromMqo.objects.size(), 1u);
    EXPECT_EQ(fromMqo.objects[0].name, "\x95\x5c\x94\xc2");
    EXPECT_EQ(fromMqo.materials[0].name, "\x8d\xde\x8e\xbf");
    EXPECT_EQ(fromMqo.objects[0].points, (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(SceneFileTest, NamesShiftJisCannotHoldAreReported) {
    Scene scene = JapaneseScene();
    std::vector<std::string> lossy;
    ConvertSceneEncoding(scene, TextEncoding::Utf8, lossy);
    scene.objects[0].name = "snow \xE2\x98\x83";  // U+2603 has no Shift-JIS form
    std::string error;
    ASSERT_TRUE(Save(Path("c.mqo"), scene, lossy, error)) << error;
    ASSERT_EQ(lossy.size(), 1u);
    EXPECT_EQ(lossy[0], "snow \xE2\x98\x83");
    Scene back;
    ASSERT_TRUE(LoadScene(Path("c.mqo"), back, error)) << error;
    EXPECT_EQ(back.objects[0].name, "snow ?");

    // A .mqo name cannot hold '"': OBJ names with one came back as a
    // document that no reader takes.
    scene.objects[0].name = "my \"plate\"";
    scene.materials[0].name = "a\"b";
    lossy.clear();
    ASSERT_TRUE(Save(Path("d.mqo"), scene, lossy, error)) << error;
    EXPECT_EQ(lossy, (std::vector<std::string>{"a\"b", "my \"plate\""}));
    ASSERT_TRUE(LoadScene(Path("d.mqo"), back, error)) << error;
    EXPECT_EQ(back.objects[0].name, "my ?plate?");
    EXPECT_EQ(back.materials[0].name, "a?b");
}

TEST_F(SceneFileTest, ReadErrorsNameTheFile) {
    Scene scene;
    std::string error;
    EXPECT_FALSE(LoadScene(Path("missing.mqo"), scene, error));
    EXPECT_NE(error.find("cannot open " + Path("missing.mqo")), std::string::npos) << error;
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;

    std::ofstream(Path("mesh.dae")) << "<COLLADA/>";
    EXPECT_FALSE(LoadScene(Path("mesh.dae"), scene, error));
    EXPECT_NE(error.find("unknown file type"), std::string::npos) << error;

    fs::create_directory(Path("folder.obj"));
    EXPECT_FALSE(LoadScene(Path("folder.obj"), scene, error));
    EXPECT_NE(error.find("folder"), std::string::npos) << error;
}

TEST_F(SceneFileTest, AtomicWriteReplacesOnlyOnSuccessAndLeavesNoTemporary) {
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Path("out.txt"), "old", error)) << error;
    ASSERT_TRUE(WriteFileAtomically(Path("out.txt"), "new contents", error)) << error;
    EXPECT_EQ(Contents(Path("out.txt")), "new contents");
    EXPECT_EQ(EntriesInDir(), 1u);
    // A replaced file keeps its permissions.
    fs::permissions(Path("out.txt"), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WriteFileAtomically(Path("out.txt"), "newer", error)) << error;
    EXPECT_EQ(fs::status(Path("out.txt")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WriteFileAtomically(Path("out.txt"), "new contents", error)) << error;

    // Through a link, the linked file is replaced and the link kept.
    fs::create_symlink(Path("out.txt"), Path("link.txt"));
    ASSERT_TRUE(WriteFileAtomically(Path("link.txt"), "via the link", error)) << error;
    EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
    EXPECT_EQ(Contents(Path("out.txt")), "via the link");
    fs::remove(Path("link.txt"));
    ASSERT_TRUE(WriteFileAtomically(Path("out.txt"), "new contents", error)) << error;

    EXPECT_FALSE(WriteFileAtomically(Path("no/such/folder/out.txt"), "x", error));
    EXPECT_NE(error.find("cannot write " + Path("no/such/folder/out.txt")), std::string::npos)
        << error;

    fs::create_directory(Path("taken"));
    EXPECT_FALSE(WriteFileAtomically(Path("taken"), "x", error));
    EXPECT_TRUE(fs::is_directory(Path("taken")));
    EXPECT_EQ(Contents(Path("out.txt")), "new contents");
    EXPECT_EQ(EntriesInDir(), 2u);
}

// A FIFO, and a link to one, stay as they are: the text goes through them.
// A link to a file writes that file in place, which its hard links show.
TEST_F(SceneFileTest, NodesAndLinksAreWrittenInPlace) {
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    fs::create_symlink(Path("pipe"), Path("pipe-link"));
    std::string error;
    for (const char* name : {"pipe", "pipe-link"}) {
        // A reader that does not wait, so that a wrong write fails the test
        // rather than hanging it.
        const int reader = ::open(Path("pipe").c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        EXPECT_TRUE(WriteFileAtomically(Path(name), "through the pipe", error)) << error;
        char got[64];
        const ssize_t n = ::read(reader, got, sizeof got);
        ::close(reader);
        EXPECT_EQ(std::string(got, n > 0 ? size_t(n) : 0), "through the pipe") << name;
        EXPECT_TRUE(fs::is_fifo(Path("pipe")));
    }
    EXPECT_TRUE(fs::is_symlink(Path("pipe-link")));

    Write("out.txt", "old");
    fs::create_hard_link(Path("out.txt"), Path("hard.txt"));
    fs::create_symlink(Path("out.txt"), Path("link.txt"));
    ASSERT_TRUE(WriteFileAtomically(Path("link.txt"), "in place", error)) << error;
    EXPECT_EQ(Contents(Path("hard.txt")), "in place");
    EXPECT_TRUE(fs::is_symlink(Path("link.txt")));
    EXPECT_EQ(EntriesInDir(), 5u);  // no temporary left
}

// Coordinates below the float range, as exporters of doubles write them,
// are read as the nearest float in every text format.
TEST_F(SceneFileTest, UnderflowingCoordinatesReadAsTheNearestFloat) {
    const char* const files[][2] = {
        {"u.stl", "solid u\nfacet normal 0 0 1\nouter loop\nvertex 0 1e-50 0\nvertex 1 0 -1e-50\n"
                  "vertex 0 1 1e-40\nendloop\nendfacet\nendsolid u\n"},
        {"u.obj", "v 0 1e-50 0\nv 1 0 -1e-50\nv 0 1 1e-40\nf 1 2 3\n"},
    };
    for (const auto& file : files) {
        Scene scene;
        std::string error;
        ASSERT_TRUE(LoadScene(Write(file[0], file[1]), scene, error)) << error;
        const std::vector<ScenePoint>& v = scene.objects.at(0).vertices;
        ASSERT_EQ(v.size(), 3u) << file[0];
        EXPECT_EQ(v[0].y, 0.0f);
        EXPECT_TRUE(std::signbit(v[1].z));
        EXPECT_EQ(v[2].z, std::strtof("1e-40", nullptr));
    }
}

// A text of megabytes leaves for the file in pieces: all of it arrives, and
// reads back as the scene it came from.
TEST_F(SceneFileTest, LargeTextsAreWrittenWhole) {
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    SceneObject grid;
    grid.name = "grid";
    const int n = 300;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            grid.vertices.push_back({x * 0.001f, y * 0.37f, float(x * y) * 1e-5f});
    for (int y = 0; y + 1 < n; ++y)
        for (int x = 0; x + 1 < n; ++x) {
            const int32_t v = y * n + x, quad[4] = {v, v + n, v + n + 1, v + 1};
            SceneUv uvs[4];
            for (int k = 0; k < 4; ++k)
                uvs[k] = {float(quad[k] % n) / n, float(quad[k] / n) / n};
            grid.AddFace(quad, uvs, 4, -1);
        }
    scene.objects.push_back(grid);
    std::vector<std::string> lossy;
    std::string error;
    ASSERT_TRUE(Save(Path("grid.obj"), scene, lossy, error)) << error;
    const std::string text = Contents(Path("grid.obj"));
    EXPECT_GT(text.size(), size_t(4) << 20);
    EXPECT_EQ(text, WriteObj(scene));
    Scene back;
    ASSERT_TRUE(LoadScene(Path("grid.obj"), back, error)) << error;
    ASSERT_EQ(back.objects.size(), 1u);
    const SceneObject& read = back.objects[0];
    ASSERT_EQ(read.vertices.size(), grid.vertices.size());
    for (size_t v = 0; v < grid.vertices.size(); ++v)
        ASSERT_EQ(read.vertices[v].z, grid.vertices[v].z) << v;
    EXPECT_EQ(read.points, grid.points);
    ASSERT_EQ(read.uvs.size(), grid.uvs.size());
    for (size_t p = 0; p < grid.uvs.size(); ++p) ASSERT_EQ(read.uvs[p].u, grid.uvs[p].u) << p;
}

// A thickness beyond the float range carries points to infinity: such a
// result is refused instead of being written as "inf", which no reader takes.
TEST_F(SceneFileTest, NonFiniteCoordinatesAreRefusedAndTheOldFileStays) {
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    scene.objects.resize(2);
    scene.objects[0].name = "fine";
    scene.objects[0].vertices = {{0, 0, 0}};
    scene.objects[1].name = "far";
    scene.objects[1].vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const int32_t points[3] = {0, 1, 2};
    scene.objects[1].AddFace(points, nullptr, 3, -1);

    std::vector<std::string> lossy;
    std::string error;
    for (const char* name : {"out.mqo", "out.obj"}) {
        ASSERT_TRUE(WriteFileAtomically(Path(name), "old", error)) << error;
        for (float bad : {INFINITY, -INFINITY, NAN}) {
            Scene withBad = scene;
            withBad.objects[1].vertices[2].y = bad;
            EXPECT_FALSE(Save(Path(name), withBad, lossy, error)) << name;
            EXPECT_NE(error.find(Path(name)), std::string::npos) << error;
            EXPECT_NE(error.find("\"far\""), std::string::npos) << error;
            EXPECT_NE(error.find("infinite"), std::string::npos) << error;
            EXPECT_EQ(Contents(Path(name)), "old");
        }
        Scene badUv = scene;
        badUv.objects[1].uvs[0].u = NAN;
        EXPECT_FALSE(Save(Path(name), badUv, lossy, error)) << name;
        EXPECT_EQ(Contents(Path(name)), "old");
        EXPECT_TRUE(Save(Path(name), scene, lossy, error)) << error;
    }
    EXPECT_EQ(EntriesInDir(), 2u);
}

// An STL or PLY file written back keeps its own form, binary or text, and
// is its source with the new triangle added; text asked of a binary file is
// composed as text.
TEST_F(SceneFileTest, StlAndPlyComeBackInTheirOwnFormUnlessTextIsAsked) {
    for (const std::string extension : {".stl", ".ply"})
        for (bool ascii : {false, true}) {
            SCOPED_TRACE(extension + (ascii ? " text" : " binary"));
            Scene scene = JapaneseScene();
            scene.materials.clear();
            scene.objects[0].faceMaterial[0] = -1;
            const std::string source = Path("source" + extension);
            SaveReport report;
            std::string error;
            ASSERT_TRUE(SaveScene(source, scene, SaveOptions{ascii}, report, error)) << error;
            Scene read;
            ASSERT_TRUE(LoadScene(source, read, error)) << error;
            read.objects.push_back(read.objects[0]);
            read.objects.back().name = "added";
            const std::string text = extension == ".stl" ? "solid" : "ply\nformat ascii";
            for (bool askText : {false, true}) {
                const std::string output = Path(std::string(askText ? "text" : "own") + extension);
                ASSERT_TRUE(SaveScene(output, read, SaveOptions{askText}, report, error)) << error;
                const std::string written = Contents(output), original = Contents(source);
                EXPECT_EQ(written.rfind(text, 0) == 0, ascii || askText);
                // Spliced, an STL file's triangles come first, as they were.
                const size_t body = ascii ? 0 : 84;
                if (extension == ".stl" && (ascii || !askText)) {
                    EXPECT_EQ(written.substr(body, original.size() - body), original.substr(body));
                }
                Scene back;
                ASSERT_TRUE(LoadScene(output, back, error)) << error;
                size_t faces = 0;
                for (const SceneObject& object : back.objects) faces += object.FaceCount();
                EXPECT_EQ(faces, 2u);
            }
        }
}

}  // namespace
