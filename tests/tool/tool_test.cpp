// mqthicken as its users run it: files in, files and exit statuses out.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis/mesh_stats.h"
#include "formats/scene_file.h"
#include "tests/tool/scratch_folder_test.h"
#include "tests/tool/tool_runner.h"

namespace fs = std::filesystem;

namespace {

// A flat unit square in z = 0 whose front faces -z, and a second square
// beside it in its own object, hidden or locked as the test wants.
std::string TwoPlates(const std::string& secondFlags = "visible 15\n\tlocking 0") {
    return "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n"
           "Material 2 {\r\n\t\"a\" col(1 0 0 1)\r\n\t\"b\" col(0 0 1 1)\r\n}\r\n"
           "Object \"left\" {\r\n\tvisible 15\r\n\tlocking 0\r\n\tvertex 4 {\r\n"
           "\t\t0 0 0\r\n\t\t1 0 0\r\n\t\t1 1 0\r\n\t\t0 1 0\r\n\t}\r\n"
           "\tface 1 {\r\n\t\t4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1)\r\n\t}\r\n}\r\n"
           "Object \"right\" {\r\n\t" + secondFlags + "\r\n\tvertex 4 {\r\n"
           "\t\t5 0 0\r\n\t\t6 0 0\r\n\t\t6 1 0\r\n\t\t5 1 0\r\n\t}\r\n"
           "\tface 1 {\r\n\t\t4 V(0 1 2 3) M(1)\r\n\t}\r\n}\r\nEof\r\n";
}

class ToolTest : public ScratchFolderTest {
protected:
    ToolTest() : ScratchFolderTest("mqthicken-tool") {}

    static Scene Load(const std::string& path) {
        Scene scene;
        std::string error;
        EXPECT_TRUE(LoadScene(path, scene, error)) << error;
        return scene;
    }

    // z range of the vertices of an object.
    static std::pair<float, float> DepthRange(const SceneObject& object) {
        float low = 1e30f, high = -1e30f;
        for (const ScenePoint& p : object.vertices) {
            low = std::min(low, p.z);
            high = std::max(high, p.z);
        }
        return {low, high};
    }
};

// ---- Usage -------------------------------------------------------------------

TEST_F(ToolTest, HelpAndVersionGoToStdoutWithStatusZero) {
    ToolResult help = RunTool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: mqthicken INPUT", 0), 0u) << help.out;
    EXPECT_NE(help.out.find("--select all|object:NAME|material:N"), std::string::npos);
    EXPECT_TRUE(help.err.empty());
    // Every option has its entry, short and long names together.
    for (const char* entry :
         {"-o, --output OUTPUT", "-t, --thickness TEXT", "-d, --direction", "    --even", "    --no-front",
          "    --no-side", "    --no-back", "    --select", "    --include-hidden",
          "    --include-locked", "    --only-result", "    --ascii", "    --stats", "    --timings",
          "    --preview FILE", "    --preview-size WxH", "    --view VIEW", "    --plugin PATH",
          "    --info", "-h, --help", "-V, --version"})
        EXPECT_NE(help.out.find(std::string("\n  ") + entry), std::string::npos) << entry;

    ToolResult version = RunTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("mqthicken ", 0), 0u);
}

TEST_F(ToolTest, UsageErrorsExitTwoWithOneMessageAndWriteNothing) {
    const std::string input = Write("in.mqo", TwoPlates());
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{input, "--frobnicate"}, "unknown option --frobnicate"},
        {{}, "no input file"},
        {{input, "-o"}, "option -o needs a value"},
        {{input, "-d", "up"}, "-d takes front, center or back"},
        {{input, "--select", "faces"}, "--select takes all, object:NAME or material:N"},
        {{input, "--select", "material:-3"}, "material number from 0"},
        {{input, "-t", "abc"}, "-t needs a number"},
        {{input, "-t", std::string(64, '1')}, "63 characters"},
        {{input, "--stats=yes"}, "--stats takes no value"},
        {{input, Path("other.mqo")}, "more than one input file"},
        {{"--info", input}, "--info takes no input file"},
        // Spellings the option library reads otherwise on its own.
        {{input, "--thickness"}, "option --thickness needs a value"},
        {{input, "--select="}, "--select takes all, object:NAME or material:N, not \"\""},
        {{input, "-hx"}, "option -h takes no value"},
        {{input, "-1"}, "unknown option -1"},
        // Found before the input is read, even when there is none.
        {{input, "--no-front", "--no-side", "--no-back"}, "leave nothing to make"},
        {{Path("missing.mqo"), "--no-front", "--no-side", "--no-back"}, "leave nothing to make"},
    };
    for (const auto& c : cases) {
        ToolResult r = RunTool(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_EQ(r.err.rfind("mqthicken: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"in.mqo"});
}

// ---- Input errors ------------------------------------------------------------

TEST_F(ToolTest, MissingAndMalformedInputsNameTheFileAndLine) {
    ToolResult missing = RunTool({Path("nowhere.mqo")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot open " + Path("nowhere.mqo")), std::string::npos)
        << missing.err;

    std::string text = TwoPlates();
    text.replace(text.find("\t\t1 0 0"), 7, "\t\t1 zero 0");  // line 13
    const std::string bad = Write("bad.mqo", text);
    ToolResult malformed = RunTool({bad});
    EXPECT_EQ(malformed.status, 2);
    EXPECT_NE(malformed.err.find("mqthicken: " + bad + ":13: expected three coordinates"),
              std::string::npos)
        << malformed.err;
    // One message, one line.
    EXPECT_EQ(std::count(malformed.err.begin(), malformed.err.end(), '\n'), 1);

    const std::string badObj = Write("bad.obj", "v 0 0 0\nv 1 0 0\nf 1 2 3\n");
    ToolResult objError = RunTool({badObj});
    EXPECT_EQ(objError.status, 2);
    EXPECT_NE(objError.err.find(badObj + ":3: vertex index 3 out of range"), std::string::npos)
        << objError.err;

    ToolResult unknownType = RunTool({Write("mesh.dae", "<COLLADA/>")});
    EXPECT_EQ(unknownType.status, 2);
    EXPECT_NE(unknownType.err.find("unknown file type"), std::string::npos);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"bad.mqo", "bad.obj", "mesh.dae"}));
}

TEST_F(ToolTest, APluginGivenByABareFileNameIsTheOneInTheCurrentFolder) {
    const fs::path module = fs::path(ToolPath()).parent_path() / "thicken.so";
    fs::copy_file(module, Path("copy.so"));
    ToolResult r = RunTool({"--info", "--plugin", "copy.so"}, "cd '" + dir_.string() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("module    copy.so\n"), std::string::npos) << r.out;
}

TEST_F(ToolTest, AMissingModuleIsAnErrorNamingIt) {
    ToolResult r = RunTool({Write("in.mqo", TwoPlates()), "--plugin", Path("none.so")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot load the module " + Path("none.so")), std::string::npos) << r.err;

    ToolResult notModule = RunTool({"--info", "--plugin", Write("fake.so", "not a library")});
    EXPECT_EQ(notModule.status, 2);
    EXPECT_NE(notModule.err.find("cannot load the module"), std::string::npos) << notModule.err;
}

// ---- Output errors -----------------------------------------------------------

TEST_F(ToolTest, UnwritableOutputLeavesTheOldFileUntouched) {
    const std::string input = Write("in.mqo", TwoPlates());
    const std::string old = Write("old.mqo", "the previous result\n");

    ToolResult noFolder = RunTool({input, "-o", Path("missing/out.mqo")});
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_NE(noFolder.err.find("cannot write " + Path("missing/out.mqo")), std::string::npos)
        << noFolder.err;

    fs::create_directory(Path("folder.mqo"));
    ToolResult folder = RunTool({input, "-o", Path("folder.mqo")});
    EXPECT_EQ(folder.status, 2);
    EXPECT_NE(folder.err.find("cannot write " + Path("folder.mqo")), std::string::npos);

    // A disk that fills up while the file is written: the old file stays
    // whole and the temporary file goes.
    ToolResult full = RunTool({input, "-o", old}, "trap '' XFSZ; ulimit -f 1");
    EXPECT_EQ(full.status, 2);
    EXPECT_NE(full.err.find("cannot write " + old), std::string::npos) << full.err;
    EXPECT_EQ(Contents(old), "the previous result\n");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.mqo", "in.mqo", "old.mqo"}));
}

// A FIFO named without an extension, as /dev/stdout is, takes the input's
// format, and the picture goes to one too: both stay FIFOs.
TEST_F(ToolTest, NodesWithoutAnExtensionTakeTheInputsFormat) {
    const std::string input = Write("in.mqo", TwoPlates());
    ASSERT_EQ(::mkfifo(Path("out").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(Path("picture").c_str(), 0600), 0);
    ToolResult r = RunTool({input, "-o", Path("out"), "--preview", Path("picture")},
                           "cat '" + Path("out") + "' > '" + Path("copy.mqo") + "' & cat '" +
                               Path("picture") + "' > '" + Path("copy.png") + "' & true");
    EXPECT_EQ(r.status, 0) << r.err;
    // The readers finish after the tool.
    const auto done = [&] {
        return Contents(Path("copy.mqo")).find("Eof") != std::string::npos &&
               Contents(Path("copy.png")).find("IEND") != std::string::npos;
    };
    for (int i = 0; i < 100 && !done(); ++i) ::usleep(50000);
    EXPECT_TRUE(fs::is_fifo(Path("out")));
    EXPECT_TRUE(fs::is_fifo(Path("picture")));
    EXPECT_EQ(Load(Path("copy.mqo")).objects.size(), 3u);
    EXPECT_EQ(Contents(Path("copy.png")).substr(1, 3), "PNG");
}

// Running out of memory, while the document is read or while the module
// thickens it, is an input error like any other: one message naming the
// file, status 2, nothing written. (The sanitizers need more address space
// than the limits leave.)
TEST_F(ToolTest, RunningOutOfMemoryIsAnErrorThatWritesNothing) {
#ifdef THICKEN_SANITIZED_BUILD
    GTEST_SKIP() << "the sanitizers reserve more address space than the limits allow";
#endif
    const int n = 400;
    std::ostringstream grid;
    grid << "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"g\" {\r\n\tvertex "
         << (n + 1) * (n + 1) << " {\r\n";
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x) grid << "\t\t" << x << " " << y << " 0\r\n";
    grid << "\t}\r\n\tface " << n * n << " {\r\n";
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const int a = y * (n + 1) + x;
            grid << "\t\t4 V(" << a << " " << a + n + 1 << " " << a + n + 2 << " " << a + 1 << ")\r\n";
        }
    grid << "\t}\r\n}\r\nEof\r\n";
    const std::string input = Write("grid.mqo", grid.str());
    // About 30 MB of address space ends the reading, 100 MB the module's work.
    for (const char* limit : {"30000", "100000"}) {
        ToolResult r = RunTool({input, "-o", Path("out.mqo")}, std::string("ulimit -v ") + limit);
        EXPECT_EQ(r.status, 2) << limit << ": " << r.err;
        EXPECT_NE(r.err.find("mqthicken: " + input + ": "), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << r.err;
        EXPECT_EQ(Entries(), std::vector<std::string>{"grid.mqo"}) << limit;
    }
}

// ---- Thickening --------------------------------------------------------------

TEST_F(ToolTest, SampleBecomesAClosedOutwardShellBesideTheUnchangedSource) {
    fs::copy_file(SamplesDir() + "/curved_patch.mqo", Path("patch.mqo"));
    ToolResult r = RunTool({Path("patch.mqo"), "--stats"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("closed    yes\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("oriented  yes\n"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("wrote " + Path("patch-thick.mqo")), std::string::npos) << r.err;

    Scene source = Load(Path("patch.mqo"));
    Scene result = Load(Path("patch-thick.mqo"));
    ASSERT_EQ(result.objects.size(), 2u);
    // The source object is written back as it was read.
    EXPECT_EQ(result.objects[0].name, source.objects[0].name);
    EXPECT_EQ(result.objects[0].points, source.objects[0].points);
    EXPECT_EQ(result.materials.size(), 2u);

    const SceneObject& shell = result.objects[1];
    const MeshStats stats = ComputeMeshStats(shell);
    EXPECT_TRUE(stats.closed);
    EXPECT_TRUE(stats.oriented);
    // 24 x 16 quads on each side and one wall quad per border edge.
    EXPECT_EQ(stats.quads, 2u * 24 * 16 + 2 * (24 + 16));
    // A third of a cylinder of radius 60, length 100, 5 thick: about 2π·60·100/3·5.
    EXPECT_NEAR(stats.signedVolume, 62832, 200);
    EXPECT_NE(r.out.find("quads     " + std::to_string(stats.quads) + "\n"), std::string::npos);
}

TEST_F(ToolTest, TimingsNameEveryStageOnStderrAndChangeNothingElse) {
    fs::copy_file(SamplesDir() + "/curved_patch.mqo", Path("patch.mqo"));
    ToolResult plain = RunTool({Path("patch.mqo"), "-o", Path("plain.mqo"), "--stats"});
    ToolResult timed = RunTool({Path("patch.mqo"), "-o", Path("timed.mqo"), "--stats", "--timings"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    ASSERT_EQ(timed.status, 0) << timed.err;
    EXPECT_EQ(Contents(Path("timed.mqo")), Contents(Path("plain.mqo")));
    EXPECT_EQ(timed.out, plain.out);
    EXPECT_EQ(plain.err.find("timings"), std::string::npos);

    // One line per stage, in the order the stages run, each with a time.
    const char* stages[] = {"read",  "document", "dialog", "harvest", "first weld", "loads",
                            "normals", "move and commit", "sides", "inversion", "merges",
                            "final weld", "write", "total"};
    size_t at = timed.err.find("mqthicken: timings (ms)\n");
    ASSERT_NE(at, std::string::npos) << timed.err;
    for (const char* stage : stages) {
        const size_t line = timed.err.find(std::string("\n  ") + stage + " ", at);
        ASSERT_NE(line, std::string::npos) << stage << " missing or out of order in\n" << timed.err;
        double ms = -1;
        EXPECT_EQ(std::sscanf(timed.err.c_str() + line + 3 + std::strlen(stage), "%lf", &ms), 1) << stage;
        EXPECT_GE(ms, 0.0) << stage;
        at = line + 1;
    }
}

TEST_F(ToolTest, DirectionsAndThicknessPlaceTheCopies) {
    const std::string input = Write("in.mqo", TwoPlates());
    const struct {
        const char* direction;
        float low, high;
    } cases[] = {{"front", -2, 0}, {"center", -1, 1}, {"back", 0, 2}};
    for (const auto& c : cases) {
        const std::string output = Path(std::string(c.direction) + ".mqo");
        ToolResult r = RunTool({input, "-t", "2", "-d", c.direction, "--select", "object:left",
                                "--only-result", "-o", output});
        ASSERT_EQ(r.status, 0) << r.err;
        Scene scene = Load(output);
        ASSERT_EQ(scene.objects.size(), 1u);
        auto [low, high] = DepthRange(scene.objects[0]);
        EXPECT_EQ(low, c.low) << c.direction;
        EXPECT_EQ(high, c.high) << c.direction;
        EXPECT_GT(ComputeMeshStats(scene.objects[0]).signedVolume, 0) << c.direction;
    }
    // A decimal comma ends the number, as in the dialog: the user is told.
    ToolResult comma = RunTool({input, "-t", "2,5", "--select", "object:left", "--only-result",
                                "-o", Path("comma.mqo")});
    ASSERT_EQ(comma.status, 0) << comma.err;
    EXPECT_NE(comma.err.find("warning: the thickness \"2,5\" is read as 2\n"), std::string::npos)
        << comma.err;
    EXPECT_EQ(DepthRange(Load(Path("comma.mqo")).objects[0]), std::make_pair(-1.0f, 1.0f));

    // Options with their values in one argument, one given twice (the last
    // counts), and an input beginning with '-' after "--".
    fs::copy_file(input, Path("-in.mqo"));
    ToolResult spelt = RunTool({"-t2", "-d", "back", "--direction=front", "--select=object:left",
                                "--only-result", "-ospelt.mqo", "--", "-in.mqo"},
                               "cd '" + dir_.string() + "'");
    ASSERT_EQ(spelt.status, 0) << spelt.err;
    EXPECT_EQ(DepthRange(Load(Path("spelt.mqo")).objects[0]), std::make_pair(-2.0f, 0.0f));
}

TEST_F(ToolTest, FaceGroupsCanBeLeftOut) {
    const std::string input = Write("in.mqo", TwoPlates());
    const std::string output = Path("out.mqo");
    ToolResult backOnly =
        RunTool({input, "--select", "object:left", "--no-front", "--no-side", "-o", output});
    ASSERT_EQ(backOnly.status, 0) << backOnly.err;
    Scene scene = Load(output);
    ASSERT_EQ(scene.objects.size(), 3u);
    const SceneObject& back = scene.objects[2];
    ASSERT_EQ(back.FaceCount(), 1u);
    // The back copy is turned inside out and lies behind the surface.
    EXPECT_EQ(DepthRange(back), std::make_pair(2.5f, 2.5f));
    EXPECT_EQ(back.points, (std::vector<int32_t>{3, 2, 1, 0}));

    ToolResult sidesOnly = RunTool({input, "--select", "object:left", "--no-front", "--no-back",
                                    "--only-result", "-o", output, "--stats"});
    ASSERT_EQ(sidesOnly.status, 0) << sidesOnly.err;
    EXPECT_NE(sidesOnly.out.find("quads     4\n"), std::string::npos) << sidesOnly.out;
    EXPECT_NE(sidesOnly.out.find("closed    no\n"), std::string::npos);
}

TEST_F(ToolTest, SelectionByObjectAndByMaterial) {
    const std::string input = Write("in.mqo", TwoPlates());
    const std::string output = Path("out.mqo");
    auto shellOf = [&](const std::vector<std::string>& select) {
        std::vector<std::string> args = {input, "--only-result", "-o", output};
        args.insert(args.end(), select.begin(), select.end());
        ToolResult r = RunTool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        Scene scene = Load(output);
        return scene.objects.empty() ? SceneObject{} : scene.objects[0];
    };
    auto minX = [](const SceneObject& o) {
        float x = 1e30f;
        for (const ScenePoint& p : o.vertices) x = std::min(x, p.x);
        return x;
    };
    SceneObject both = shellOf({});
    EXPECT_EQ(both.FaceCount(), 12u);  // two boxes
    SceneObject right = shellOf({"--select", "object:right"});
    EXPECT_EQ(right.FaceCount(), 6u);
    EXPECT_EQ(minX(right), 5.0f);
    SceneObject byNumber = shellOf({"--select", "material:0"});
    EXPECT_EQ(byNumber.FaceCount(), 6u);
    EXPECT_EQ(minX(byNumber), 0.0f);
    // Material numbers are kept: the front and back of the box have material 1.
    SceneObject byName = shellOf({"--select", "material:b"});
    EXPECT_EQ(minX(byName), 5.0f);
    EXPECT_EQ(std::count(byName.faceMaterial.begin(), byName.faceMaterial.end(), 1), 2);

    ToolResult unknown = RunTool({input, "--select", "object:middle"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("no object named \"middle\""), std::string::npos) << unknown.err;
    ToolResult noMaterial = RunTool({input, "--select", "material:7"});
    EXPECT_EQ(noMaterial.status, 2);
    EXPECT_NE(noMaterial.err.find("no material 7"), std::string::npos) << noMaterial.err;
}

TEST_F(ToolTest, HiddenLockedOrEmptySelectionsThickenNothing) {
    for (const std::string flags : {"visible 0\r\n\tlocking 0", "visible 15\r\n\tlocking 1"}) {
        const std::string input = Write("in.mqo", TwoPlates(flags));
        ToolResult r = RunTool({input, "--select", "object:right", "-o", Path("out.mqo")});
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_NE(r.err.find("nothing was thickened"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("hidden or locked"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(Path("out.mqo")));
        // The hidden or locked object is written back with its flags, and
        // only the other plate is thickened.
        ToolResult all = RunTool({input, "-o", Path("all.mqo")});
        ASSERT_EQ(all.status, 0) << all.err;
        Scene scene = Load(Path("all.mqo"));
        ASSERT_EQ(scene.objects.size(), 3u);
        EXPECT_EQ(scene.objects[1].visible, flags[8] != '0');
        EXPECT_EQ(scene.objects[1].locked, flags.back() == '1');
        EXPECT_EQ(scene.objects[2].FaceCount(), 6u);
    }
    const std::string noFaces = Write("empty.obj", "o nothing\nv 0 0 0\n");
    ToolResult r = RunTool({noFaces, "-o", Path("out.obj")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("the input has no faces"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(Path("out.obj")));
}

// Lines and points alone are nothing to thicken, from any format; nothing
// is written.
TEST_F(ToolTest, OnlyLinesOrPointsAreNothingToThicken) {
    const struct {
        const char *name, *text, *message;
    } cases[] = {
        {"lines.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nl 1 2 3\n", "nothing to thicken: only lines\n"},
        {"mixed.obj", "v 0 0 0\nv 1 0 0\nl 1 2\np 1\n", "nothing to thicken: only lines and points\n"},
        {"lines.mqo",
         "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\nObject \"l\" {\r\n\tvertex 2 {\r\n"
         "\t\t0 0 0\r\n\t\t1 0 0\r\n\t}\r\n\tface 1 {\r\n\t\t2 V(0 1)\r\n\t}\r\n}\r\nEof\r\n",
         "nothing to thicken: only lines\n"},
        {"faceless.ply",
         "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nproperty float y\n"
         "property float z\nend_header\n0 0 0\n",
         "the input has no faces\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string output = Path(std::string("out-") + c.name);
        ToolResult r = RunTool({Write(c.name, c.text), "-o", output});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(output));
    }
}

// Faces that the last weld deletes (points within 0.001 of one another) are
// counted; hidden and locked flags lost in a conversion are named.
TEST_F(ToolTest, FacesLostInTheWeldsAndFlagsLostInConversionsAreSaid) {
    const float triangles[3][9] = {{0, 0, 0, 1, 0, 0, 1, 1, 0},
                                   {0, 0, 0, 1, 1, 0, 0, 1, 0},
                                   {5, 5, 0, 5.0005f, 5, 0, 5, 5.0005f, 0}};
    // A binary STL of the first `count` triangles.
    const auto binary = [&triangles](uint32_t count) {
        std::string stl(80, ' ');
        stl.append(reinterpret_cast<const char*>(&count), 4);
        for (uint32_t t = 0; t < count; ++t) {
            stl += std::string(12, '\0');
            stl.append(reinterpret_cast<const char*>(triangles[t]), 36);
            stl += std::string(2, '\0');
        }
        return stl;
    };
    ToolResult r = RunTool({Write("sliver.stl", binary(3)), "-o", Path("sliver-thick.stl")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("warning: the weld that joins points closer than 0.001 removed 1 of "
                         "the 3 front faces and 1 of the 3 back faces\n"),
              std::string::npos)
        << r.err;
    ToolResult plate = RunTool({Write("plate.stl", binary(2)), "-o", Path("plate-thick.stl")});
    ASSERT_EQ(plate.status, 0) << plate.err;
    EXPECT_EQ(plate.err.find("weld"), std::string::npos) << plate.err;

    const std::string hidden = Write("hidden.mqo", TwoPlates("visible 0\r\n\tlocking 0"));
    const std::pair<const char*, const char*> formats[] = {
        {"out.ply", "out.ply: PLY does not carry over hidden and locked flags\n"},
        {"out.obj", "out.obj: OBJ has no hidden and locked flags: they are kept in \"# "
                    "mqthicken:\" comments, which other programs skip\n"},
        {"out.mqo", nullptr}};
    for (const auto& [name, message] : formats) {
        ToolResult converted = RunTool({hidden, "-o", Path(name)});
        ASSERT_EQ(converted.status, 0) << converted.err;
        if (message) EXPECT_NE(converted.err.find(message), std::string::npos) << converted.err;
        else EXPECT_EQ(converted.err.find("flags"), std::string::npos) << converted.err;
    }
}

// The modeller's command leaves hidden and locked objects out; the options
// let the tool thicken them, and the source comes back with its own flags.
TEST_F(ToolTest, HiddenAndLockedObjectsAreThickenedWhenIncluded) {
    const struct {
        const char *flags, *option, *otherOption;
    } cases[] = {{"visible 15\r\n\tlocking 1", "--include-locked", "--include-hidden"},
                 {"visible 0\r\n\tlocking 0", "--include-hidden", "--include-locked"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        const std::string text =
            "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\nObject \"plate\" {\r\n\t" +
            std::string(c.flags) +
            "\r\n\tvertex 3 {\r\n\t\t0 0 0\r\n\t\t1 0 0\r\n\t\t0 1 0\r\n\t}\r\n"
            "\tface 1 {\r\n\t\t3 V(0 1 2)\r\n\t}\r\n}\r\nEof\r\n";
        const std::string input = Write("in.mqo", text), output = Path("out.mqo");
        fs::remove(output);
        ToolResult refused = RunTool({input, "-o", output});
        EXPECT_EQ(refused.status, 1) << refused.err;
        EXPECT_NE(refused.err.find("nothing was thickened: the selected faces lie in hidden or "
                                   "locked objects, which are not thickened (--include-hidden "
                                   "and --include-locked thicken them)\n"),
                  std::string::npos)
            << refused.err;
        ToolResult other = RunTool({input, "-o", output, c.otherOption});
        EXPECT_EQ(other.status, 1) << other.err;
        EXPECT_NE(other.err.find("(" + std::string(c.option) + " thickens them)"),
                  std::string::npos)
            << other.err;
        EXPECT_FALSE(fs::exists(output));

        ToolResult r = RunTool({input, "-o", output, c.option, "--stats"});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.out.find("closed    yes\n"), std::string::npos) << r.out;
        // Every byte of the source object, its flag lines too, is the input's.
        EXPECT_EQ(Contents(output).substr(0, text.size() - 5), text.substr(0, text.size() - 5));
        const Scene scene = Load(output);
        ASSERT_EQ(scene.objects.size(), 2u);
        EXPECT_TRUE(scene.objects[1].visible);
        EXPECT_FALSE(scene.objects[1].locked);
    }
    // An open shell from a locked object is explained from that object's
    // faces: two squares touching at one corner.
    const std::string bowtie =
        Write("bowtie.obj", "o bow\n# mqthicken: locked\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                            "v 2 1 0\nv 2 2 0\nv 1 2 0\nf 1 2 3 4\nf 3 5 6 7\n");
    ToolResult open = RunTool({bowtie, "--include-locked", "-t", "0.5"});
    ASSERT_EQ(open.status, 0) << open.err;
    EXPECT_NE(open.err.find("in the selected faces: 1 point where separate fans of faces meet\n"),
              std::string::npos)
        << open.err;
}

TEST_F(ToolTest, ObjInObjOutKeepsTheShellOutward) {
    // A unit square in OBJ's winding, front towards +z, with a polyline.
    const std::string input = Write("plate.obj",
                                    "o plate\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                                    "usemtl skin\nf 1/1 2/2 3/3 4/4\nl 1 3\n");
    ToolResult r = RunTool({input, "-t", "1", "-d", "front", "--stats"});
    ASSERT_EQ(r.status, 0) << r.err;
    Scene scene = Load(Path("plate-thick.obj"));
    ASSERT_EQ(scene.objects.size(), 2u);
    EXPECT_EQ(scene.objects[0].FaceCount(), 2u);  // the line is kept
    const SceneObject& shell = scene.objects[1];
    const MeshStats stats = ComputeMeshStats(shell);
    EXPECT_TRUE(stats.closed);
    EXPECT_TRUE(stats.oriented);
    EXPECT_NEAR(stats.signedVolume, 1.0, 1e-6);
    // The front copy moved towards OBJ's front, +z.
    EXPECT_EQ(DepthRange(shell), std::make_pair(0.0f, 1.0f));
    ASSERT_EQ(scene.materials.size(), 1u);
    EXPECT_EQ(scene.materials[0].name, "skin");
}

TEST_F(ToolTest, FacesOfMoreThanFourPointsAreThickenedAsTrianglesAndKept) {
    // A convex pentagon: a unit square with a point at (1.5, 0.5).
    const std::string input =
        Write("penta.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 1.5 0.5 0\nf 1 2 5 3 4\n");
    ToolResult r = RunTool({input, "--stats"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("warning: 1 face of more than four points was thickened as triangles"),
              std::string::npos)
        << r.err;
    Scene scene = Load(Path("penta-thick.obj"));
    ASSERT_EQ(scene.objects.size(), 2u);
    EXPECT_EQ(scene.objects[0].FaceSize(0), 5u);  // the source keeps its pentagon
    const MeshStats stats = ComputeMeshStats(scene.objects[1]);
    EXPECT_TRUE(stats.closed);
    EXPECT_TRUE(stats.oriented);
    EXPECT_EQ(stats.triangles, 6u);
    EXPECT_EQ(stats.quads, 5u);
    EXPECT_NEAR(stats.signedVolume, 1.25 * 5.0, 1e-4);
}

TEST_F(ToolTest, ConvertsJapaneseNamesBetweenFormats) {
    fs::copy_file(SamplesDir() + "/curved_patch.mqo", Path("patch.mqo"));
    ToolResult r = RunTool({Path("patch.mqo"), "-o", Path("patch.obj"), "--select",
                            "material:青", "--stats"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string text = Contents(Path("patch.obj"));
    EXPECT_NE(text.find("o 曲面\n"), std::string::npos);
    EXPECT_NE(text.find("usemtl 青\n"), std::string::npos);
    EXPECT_NE(r.out.find("closed    yes\n"), std::string::npos) << r.out;
}

TEST_F(ToolTest, InfoShowsTheModuleInUtf8) {
    ToolResult r = RunTool({"--info"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("label 0   厚みをつけます。\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("name      厚みをつけます。     "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("product   0x005A554D\n"), std::string::npos);
    EXPECT_NE(r.out.find("plug-in   0x5A554D01\n"), std::string::npos);
    EXPECT_NE(r.out.find("type      5 (selection-modifying)\n"), std::string::npos);
    EXPECT_NE(r.out.find("version   0x0249"), std::string::npos);
}

// Two squares that touch at one corner thicken into a shell that is not
// closed there: the tool says so, and why.
TEST_F(ToolTest, AnOpenShellIsExplainedOnStderr) {
    const std::string input = Write("bowtie.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                                                  "v 2 1 0\nv 2 2 0\nv 1 2 0\nf 1 2 3 4\nf 3 5 6 7\n");
    ToolResult r = RunTool({input, "-t", "0.5", "--stats"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("mqthicken: warning: the new object is not closed; in the selected "
                         "faces: 1 point where separate fans of faces meet\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("closed    no\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("open      0\noverused  1\n"), std::string::npos) << r.out;

    ToolResult closed = RunTool({Write("square.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\n")});
    ASSERT_EQ(closed.status, 0) << closed.err;
    EXPECT_EQ(closed.err.find("warning"), std::string::npos) << closed.err;
}

// A document in UTF-8 (CodePage utf8) is selected by its names as typed and
// written back in UTF-8; one in Shift-JIS stays in Shift-JIS.
TEST_F(ToolTest, DocumentsKeepTheirCodePage) {
    std::string text = TwoPlates("visible 15\r\n\tlocking 0");
    text.replace(text.find("\r\n\r\n"), 4, "\r\nCodePage utf8\r\n\r\n");
    text.replace(text.find("\"right\""), 7, "\"右板\"");
    const std::string input = Write("utf8.mqo", text);
    ToolResult r = RunTool({input, "--select", "object:右板"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string written = Contents(Path("utf8-thick.mqo"));
    EXPECT_EQ(written.substr(0, text.size() - 5), text.substr(0, text.size() - 5));
    EXPECT_EQ(Load(Path("utf8-thick.mqo")).objects.back().FaceCount(), 6u);

    ToolResult obj = RunTool({input, "-o", Path("names.obj")});
    ASSERT_EQ(obj.status, 0) << obj.err;
    EXPECT_NE(Contents(Path("names.obj")).find("\no 右板\n"), std::string::npos);
    ASSERT_EQ(RunTool({Path("names.obj"), "-o", Path("sjis.mqo"), "--only-result"}).status, 0);
    EXPECT_EQ(Contents(Path("sjis.mqo")).find("CodePage"), std::string::npos);
}

// Any code page the system converts: a Korean document (code page 949) is
// selected by its names in UTF-8 and written to OBJ in UTF-8; a UTF-8
// document whose name is not valid UTF-8 is written to OBJ as valid UTF-8,
// with a warning that names the object.
TEST_F(ToolTest, DocumentsInOtherCodePagesAreThickened) {
    std::string korean = TwoPlates("visible 15\r\n\tlocking 0");
    korean.replace(korean.find("\r\n\r\n"), 4, "\r\nCodePage 949\r\n\r\n");
    korean.replace(korean.find("\"right\""), 7, "\"\xC6\xC7\xC0\xDA\"");  // 판자
    const std::string input = Write("korean.mqo", korean);
    ToolResult r = RunTool({input, "--select", "object:판자", "--stats"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Load(Path("korean-thick.mqo")).objects.back().FaceCount(), 6u);
    ASSERT_EQ(RunTool({input, "-o", Path("korean.obj")}).status, 0);
    EXPECT_NE(Contents(Path("korean.obj")).find("\no 판자\n"), std::string::npos);

    std::string broken = TwoPlates("visible 15\r\n\tlocking 0");
    broken.replace(broken.find("\r\n\r\n"), 4, "\r\nCodePage utf8\r\n\r\n");
    broken.replace(broken.find("\"right\""), 7, "\"r\xFFght\"");
    ToolResult obj = RunTool({Write("broken.mqo", broken), "-o", Path("broken.obj")});
    ASSERT_EQ(obj.status, 0) << obj.err;
    EXPECT_NE(obj.err.find("warning: the name \"r"), std::string::npos) << obj.err;
    const std::string written = Contents(Path("broken.obj"));
    EXPECT_EQ(written.find('\xFF'), std::string::npos);
    EXPECT_NE(written.find("\no r?ght\n"), std::string::npos) << written;
}

// ---- Archives ----------------------------------------------------------------

// An archive as the zip library writes it, members in the order given.
std::string MakeArchive(const std::vector<std::pair<std::string, std::string>>& members) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(source);
    zip_t* archive = zip_open_from_source(source, ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (const auto& [name, data] : members) {
        zip_source_t* member = zip_source_buffer(archive, data.data(), data.size(), 0);
        const zip_int64_t index = zip_file_add(archive, name.c_str(), member, 0);
        // The thumbnail is stored, the others deflated.
        if (name.size() > 4 && name.substr(name.size() - 4) == ".jpg")
            zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
    }
    EXPECT_EQ(zip_close(archive), 0);
    zip_stat_t stat;
    zip_source_stat(source, &stat);
    std::string bytes(stat.size, '\0');
    zip_source_open(source);
    zip_source_read(source, bytes.data(), bytes.size());
    zip_source_close(source);
    zip_source_free(source);
    return bytes;
}

// The members of the archive at `path`, by name in archive order.
std::vector<std::pair<std::string, std::string>> ArchiveMembers(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> members;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) return members;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        std::string data(stat.size, '\0');
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        EXPECT_EQ(zip_fread(file, data.data(), data.size()), zip_int64_t(data.size()));
        zip_fclose(file);
        members.emplace_back(stat.name, data);
    }
    zip_discard(archive);
    return members;
}

TEST_F(ToolTest, ArchivedDocumentsKeepTheirOtherMembersAndForm) {
    const std::string document = TwoPlates("visible 15\r\n\tlocking 0");
    const std::string thumbnail("\xFF\xD8\xFF\xE0\0\x10JFIF\r\n\x1A\n", 14);
    const std::string settings = "<?xml version=\"1.0\"?>\r\n<plugins/>\r\n";
    const std::string input = Write("plates.mqoz", MakeArchive({{"plates.jpg", thumbnail},
                                                                {"plates.mqo", document},
                                                                {"plates.mqx", settings}}));
    ToolResult r = RunTool({input, "--stats"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto members = ArchiveMembers(Path("plates-thick.mqoz"));
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0], (std::pair<std::string, std::string>{"plates.jpg", thumbnail}));
    EXPECT_EQ(members[2], (std::pair<std::string, std::string>{"plates.mqx", settings}));
    EXPECT_EQ(members[1].first, "plates.mqo");
    // The document differs only in the new object, before "Eof".
    const std::string& written = members[1].second;
    const size_t eof = document.size() - 5;
    EXPECT_EQ(written.substr(0, eof), document.substr(0, eof));
    EXPECT_EQ(written.substr(eof, 18), "Object \"thickened\"");

    // Out of and into an archive from the plain formats.
    ASSERT_EQ(RunTool({input, "-o", Path("plain.mqo")}).status, 0);
    EXPECT_EQ(Contents(Path("plain.mqo")), written);
    ASSERT_EQ(RunTool({Path("plain.mqo"), "-o", Path("again.mqoz"), "--only-result"}).status, 0);
    const auto again = ArchiveMembers(Path("again.mqoz"));
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].first, "again.mqo");
    EXPECT_EQ(Load(Path("again.mqoz")).objects.size(), 1u);

    // A malformed document is named by its member, a Shift-JIS name shown
    // decoded.
    const std::string named = Write("named.mqoz", MakeArchive({{"\x95\x5c.mqo", "hello\n"}}));
    ToolResult bad = RunTool({named});
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.err.find(named + " (表.mqo):1: not a Metasequoia document"), std::string::npos)
        << bad.err;
}

// ---- Untouched write-back ----------------------------------------------------

// A .mqo document as a run wrote it, without the object it added: the chunk
// of its last object taken out.
std::string WithoutNewObject(const std::string& output, const std::string& written) {
    Scene scene;
    std::string error;
    if (!LoadScene(output, scene, error) || scene.source.objectChunks.empty()) return written;
    const SourceSpan last = scene.source.objectChunks.back();
    return written.substr(0, last.begin) + written.substr(last.End());
}

// Whether `added`, what follows an OBJ file's own bytes, is the new object
// alone: line ends that end the file's last line, then its "o" line (or
// its "g" line, in a file that names its objects so), in UTF-8 or in the
// UTF-16 of the file.
bool IsNewObjObject(std::string added) {
    const bool utf16 = added.size() > 1 && (added[0] == '\0' || added[1] == '\0');
    if (utf16) added.erase(std::remove(added.begin(), added.end(), '\0'), added.end());
    added.erase(0, added.find_first_not_of("\r\n"));
    return (added.rfind("o thickened", 0) == 0 || added.rfind("g thickened", 0) == 0) &&
           added.find(" thickened", 3) == std::string::npos;
}

// Every document the tool thickens into its own format comes back as its
// own bytes around the new object: the shipped sample, the documents and
// OBJ files of the fuzz corpora, and OBJ files of many exporters (Debian's
// assimp-testmodels). An OBJ file without a final line end gains one.
TEST_F(ToolTest, EveryFileComesBackAsItsOwnBytesAroundTheNewObject) {
    std::vector<std::pair<fs::path, std::string>> inputs = {
        {SamplesDir() + "/curved_patch.mqo", ".mqo"}};
    for (const auto& [folder, extension] :
         {std::pair<std::string, std::string>{"/mqo_reader", ".mqo"}, {"/obj_reader", ".obj"}})
        for (const auto& entry : fs::directory_iterator(MQTHICKEN_FIXTURES + folder))
            inputs.emplace_back(entry.path(), extension);
    for (const auto& entry : fs::directory_iterator(MQTHICKEN_REAL_OBJ_DIR))
        if (entry.path().extension() == ".obj") inputs.emplace_back(entry.path(), ".obj");
    int thickened = 0;
    for (const auto& [file, extension] : inputs) {
        const std::string input = Path("in" + extension), output = Path("out" + extension);
        fs::copy_file(file, input, fs::copy_options::overwrite_existing);
        ToolResult r = RunTool({input, "-o", output});
        if (r.status != 0) continue;
        ++thickened;
        const std::string source = Contents(input), written = Contents(output);
        if (extension == ".mqo") {
            EXPECT_EQ(WithoutNewObject(output, written), source) << file;
            continue;
        }
        ASSERT_GT(written.size(), source.size()) << file;
        EXPECT_EQ(written.substr(0, source.size()), source) << file;
        EXPECT_TRUE(IsNewObjObject(written.substr(source.size())))
            << file << ": " << written.substr(source.size(), 40);
    }
    EXPECT_GE(thickened, 100);
}

// ---- Real files ------------------------------------------------------------

// OBJ files written by many exporters (Debian's assimp-testmodels): each is
// thickened or refused with status 2 and a message, never crashes, and what
// is written reads back, in either format, with the objects and counts of
// the input plus the new object.
TEST_F(ToolTest, RealObjFilesAreReadOrRefusedAndWrittenBackWhole) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(MQTHICKEN_REAL_OBJ_DIR))
        if (entry.path().extension() == ".obj") files.push_back(entry.path());
    ASSERT_GE(files.size(), 10u) << "the test models are missing: run tools/install-deps";
    int thickened = 0;
    for (const fs::path& file : files) {
        for (const char* format : {".obj", ".mqo"}) {
            const std::string output = Path(file.stem().string() + format);
            ToolResult r = RunTool({file.string(), "-o", output});
            ASSERT_TRUE(r.status == 0 || r.status == 1 || r.status == 2)
                << file << ": status " << r.status << "\n" << r.err;
            if (r.status == 2) {
                EXPECT_NE(r.err.find(file.string()), std::string::npos) << r.err;
                EXPECT_FALSE(fs::exists(output));
                break;
            }
            if (r.status == 1) break;
            ++thickened;
            const Scene in = Load(file.string()), out = Load(output);
            ASSERT_EQ(out.objects.size(), in.objects.size() + 1) << file << " as " << format;
            for (size_t o = 0; o < in.objects.size(); ++o) {
                SCOPED_TRACE(file.string() + " as " + format + ", object " + std::to_string(o));
                EXPECT_EQ(out.objects[o].vertices.size(), in.objects[o].vertices.size());
                EXPECT_EQ(out.objects[o].faceStart, in.objects[o].faceStart);
                EXPECT_EQ(out.objects[o].points, in.objects[o].points);
            }
        }
    }
    EXPECT_GE(thickened, int(files.size()));
}

// A unit cube of quads, front faces outward (the host's clockwise order).
Scene UnitCube() {
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    SceneObject& cube = scene.objects.emplace_back();
    cube.name = "cube";
    for (int i = 0; i < 8; ++i)
        cube.vertices.push_back({float(i & 1), float((i >> 1) & 1), float((i >> 2) & 1)});
    const int32_t sides[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                 {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& side : sides) cube.AddFace(side, nullptr, 4, -1);
    return scene;
}

// A closed cube written in every format, binary and text, thickens into a
// closed, outward shell read back from every format, of one volume for the
// quads and one for the triangles STL makes of them.
TEST_F(ToolTest, AClosedBoxThickensAlikeFromAndIntoEveryFormat) {
    const std::vector<std::pair<std::string, bool>> forms = {
        {"cube.mqo", false}, {"cube.mqoz", false}, {"cube.obj", false}, {"cube.stl", false},
        {"text.stl", true},  {"cube.ply", false},  {"text.ply", true}};
    ASSERT_GT(ComputeMeshStats(UnitCube().objects[0]).signedVolume, 0);
    for (const auto& [name, ascii] : forms) {
        Scene cube = UnitCube();
        SaveReport report;
        std::string error;
        ASSERT_TRUE(SaveScene(Path(name), cube, SaveOptions{ascii}, report, error)) << error;
    }
    double volume[2] = {0, 0};  // of the quads' shell, of the triangles'
    for (const auto& [from, fromAscii] : forms)
        for (const auto& [into, ascii] : forms) {
            SCOPED_TRACE(from + " into " + into);
            const std::string output = Path("out-" + into);
            std::vector<std::string> args = {Path(from), "-o", output, "-t", "0.2", "--only-result"};
            if (ascii) args.push_back("--ascii");
            ToolResult r = RunTool(args);
            ASSERT_EQ(r.status, 0) << r.err;
            const Scene written = Load(output);
            ASSERT_EQ(written.objects.size(), 1u);
            const MeshStats stats = ComputeMeshStats(written.objects[0]);
            EXPECT_TRUE(stats.closed);
            EXPECT_TRUE(stats.oriented);
            double& expected = volume[from.find(".stl") != std::string::npos];
            if (expected == 0) expected = stats.signedVolume;
            EXPECT_GT(expected, 0.5);  // the outer surface less the inner, both facing out
            EXPECT_NEAR(stats.signedVolume, expected, 1e-5);
        }
}

// The triangles the faces of three or more points of `scene` make.
size_t TriangleCount(const Scene& scene) {
    size_t triangles = 0;
    for (const SceneObject& object : scene.objects)
        for (size_t f = 0; f < object.FaceCount(); ++f)
            if (object.FaceSize(f) >= 3) triangles += object.FaceSize(f) - 2;
    return triangles;
}

// STL and PLY files of other programs (Debian's assimp-testmodels) are
// thickened or refused with a message naming them; the new object comes back
// from STL and PLY as it comes back from a document, and a file written back
// in its own format holds its own faces and the new object's.
TEST_F(ToolTest, RealStlAndPlyFilesAreThickenedOrRefused) {
    std::vector<fs::path> files;
    for (const char* folder : {MQTHICKEN_REAL_STL_DIR, MQTHICKEN_REAL_PLY_DIR})
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file()) files.push_back(entry.path());
    ASSERT_GE(files.size(), 10u) << "the test models are missing: run tools/install-deps";
    int thickened = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string reference = Path("reference.mqo");
        fs::remove(reference);
        ToolResult r = RunTool({file.string(), "-o", reference, "--only-result"});
        ASSERT_TRUE(r.status == 0 || r.status == 1 || r.status == 2) << r.err;
        if (r.status == 2) {
            EXPECT_NE(r.err.find(file.string()), std::string::npos) << r.err;
            EXPECT_FALSE(fs::exists(reference));
        }
        if (r.status != 0) continue;
        ++thickened;
        const MeshStats expected = ComputeMeshStats(Load(reference).objects.at(0));
        for (const char* format : {".stl", ".ply"}) {
            const std::string output = Path(std::string("out") + format);
            ToolResult again = RunTool({file.string(), "-o", output, "--only-result"});
            ASSERT_EQ(again.status, 0) << again.err;
            const MeshStats stats = ComputeMeshStats(Load(output).objects.at(0));
            EXPECT_EQ(stats.closed, expected.closed) << format;
            if (format == std::string(".stl")) {
                EXPECT_EQ(stats.triangles, expected.triangles + 2 * expected.quads);
                EXPECT_EQ(stats.quads, 0u);
            } else {
                EXPECT_EQ(stats.triangles, expected.triangles);
                EXPECT_EQ(stats.quads, expected.quads);
            }
            EXPECT_NEAR(stats.signedVolume, expected.signedVolume,
                        1e-4 * (1 + std::abs(expected.signedVolume)))
                << format;
        }
        std::string extension = file.extension().string();
        for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string whole = Path("whole" + extension);
        ASSERT_EQ(RunTool({file.string(), "-o", whole}).status, 0);
        EXPECT_EQ(TriangleCount(Load(whole)),
                  TriangleCount(Load(file.string())) + TriangleCount(Load(reference)));
    }
    EXPECT_GE(thickened, 8);
}

// ---- Walls ---------------------------------------------------------------------

// Five faces of a unit cube, facing outward.
const std::string kBoxPoints = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n";
const std::string kBoxFaces = "f 1 4 3 2\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";

// Along the averaged normals, a corner where three of the box's faces meet
// stands 1/sqrt(3) of the offset from each, one where two meet 1/sqrt(2):
// 12 of the 20 corners of each surface stand at 57.7%, none within 2%.
TEST_F(ToolTest, WallsAreMeasuredFromTheFacesTheyCameFromAndThinOnesNamed) {
    const std::string box = Write("box.obj", kBoxPoints + kBoxFaces);
    ToolResult r = RunTool({box, "-t", "0.2", "--stats"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nwall      min 57.7%  p5 57.7%  median 57.7%  within 2% 0.0% of 40 "
                         "corners\n"),
              std::string::npos)
        << r.out;
    const char* thin = "mqthicken: warning: 100.0% of the corners of the front and back surfaces "
                       "stand below 90% of the offset asked for, the thinnest at 57.7%";
    EXPECT_NE(r.err.find(thin), std::string::npos) << r.err;
    ToolResult quiet = RunTool({box, "-t", "0.2", "-d", "front"});
    EXPECT_NE(quiet.err.find(thin), std::string::npos) << quiet.err;
    EXPECT_NE(quiet.err.find("--even"), std::string::npos) << quiet.err;

    // A face the first weld removes, ahead of the box: it is left out of
    // both surfaces, and the box's faces are still measured from their own.
    const std::string sliver =
        Write("sliver.obj", kBoxPoints + "v 5 5 5\nv 5 5 5.00001\nv 6 5 5\nf 9 10 11\n" + kBoxFaces);
    ToolResult lost = RunTool({sliver, "-t", "0.2", "--stats"});
    ASSERT_EQ(lost.status, 0) << lost.err;
    EXPECT_NE(lost.out.find("\nwall      min 57.7%  p5 57.7%  median 57.7%  within 2% 0.0% of 40 "
                            "corners (2 faces lost in the welds left out)\n"),
              std::string::npos)
        << lost.out;

    // A flat patch comes out as thick as asked: no warning.
    ToolResult flat = RunTool({Write("flat.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n"),
                               "-t", "0.2", "--stats"});
    EXPECT_NE(flat.out.find("within 2% 100.0% of 8 corners\n"), std::string::npos) << flat.out;
    EXPECT_EQ(flat.err.find("warning"), std::string::npos) << flat.err;
}

// A valley two wide and one deep: offset by more than 2 into it, its faces
// cross over one another.
TEST_F(ToolTest, AValleyThickenedBeyondItsWidthHasFoldedFaces) {
    const std::string valley = Write("valley.obj", "v -1 1 0\nv 0 0 0\nv 1 1 0\nv -1 1 1\nv 0 0 1\n"
                                                   "v 1 1 1\nf 1 2 5 4\nf 2 3 6 5\n");
    const char* folded = "mqthicken: warning: 2 faces of the front and back surfaces folded over";
    ToolResult centred = RunTool({valley, "-t", "6"});
    ASSERT_EQ(centred.status, 0) << centred.err;
    EXPECT_NE(centred.err.find(std::string(folded) + " (turned more than 90 degrees from the faces "
                               "they came from): the thickness is more than the surface's bend "
                               "can take there; they stay unfolded below a thickness of 4\n"),
              std::string::npos)
        << centred.err;
    ToolResult back = RunTool({valley, "-t", "6", "-d", "back"});
    EXPECT_NE(back.err.find("they stay unfolded below a thickness of 2\n"), std::string::npos)
        << back.err;
    ToolResult within = RunTool({valley, "-t", "3.9"});
    EXPECT_EQ(within.err.find("folded"), std::string::npos) << within.err;

    // A knife edge, two faces folded back nearly flat on one another: with
    // --even its two vertices would go far away, and are held back.
    const std::string knife = Write("knife.obj", "v 0 0 0\nv 1 0.02 0\nv 1 -0.02 0\nv 0 0 1\n"
                                                 "v 1 0.02 1\nv 1 -0.02 1\nf 1 2 5 4\nf 3 1 4 6\n");
    ToolResult even = RunTool({knife, "-t", "0.1", "--even"});
    EXPECT_NE(even.err.find("warning: 2 vertices stand where faces fold back on one another"),
              std::string::npos)
        << even.err;
    // Its walls stay thin, and the warning does not offer --even again.
    EXPECT_NE(even.err.find("there no point stands at the offset from every face around it"),
              std::string::npos)
        << even.err;
    EXPECT_EQ(even.err.find("--even keeps"), std::string::npos) << even.err;
    EXPECT_EQ(RunTool({knife, "-t", "0.1"}).err.find("fold back"), std::string::npos);
}

// A 20 x 20 grid 0.0005 apart, as a model in metres would be: the welds
// join its points, --scale keeps them apart and writes the shell back at
// the file's own scale.
TEST_F(ToolTest, ScaleThickensAModelInMetresWithoutLosingFaces) {
    std::string text;
    char line[64];
    for (int j = 0; j <= 20; ++j)
        for (int i = 0; i <= 20; ++i) {
            std::snprintf(line, sizeof line, "v %.4f %.4f 0\n", i * 0.0005, j * 0.0005);
            text += line;
        }
    for (int j = 0; j < 20; ++j)
        for (int i = 0; i < 20; ++i) {
            const int a = j * 21 + i + 1;
            std::snprintf(line, sizeof line, "f %d %d %d %d\n", a, a + 1, a + 22, a + 21);
            text += line;
        }
    const std::string grid = Write("grid.obj", text);
    ToolResult plain = RunTool({grid, "-t", "0.0002", "-o", Path("plain.obj")});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.err.find("which the welds join; a model in metres may want --scale 100"),
              std::string::npos)
        << plain.err;

    const std::string output = Path("scaled.obj");
    ToolResult scaled = RunTool({grid, "-t", "0.0002", "--scale", "100", "--stats", "-o", output});
    ASSERT_EQ(scaled.status, 0) << scaled.err;
    EXPECT_EQ(scaled.err.find("warning"), std::string::npos) << scaled.err;
    EXPECT_NE(scaled.out.find("quads     880\n"), std::string::npos) << scaled.out;
    EXPECT_NE(scaled.out.find("closed    yes\n"), std::string::npos) << scaled.out;
    EXPECT_NE(scaled.out.find("within 2% 100.0% of 3200 corners\n"), std::string::npos) << scaled.out;
    const Scene written = Load(output);
    ASSERT_EQ(written.objects.size(), 2u);
    const auto [low, high] = DepthRange(written.objects[1]);
    EXPECT_NEAR(low, -0.0001f, 1e-9f);
    EXPECT_NEAR(high, 0.0001f, 1e-9f);
    // The source is written as it was read.
    EXPECT_EQ(Contents(output).substr(0, text.size()), text);
    EXPECT_EQ(RunTool({grid, "--scale", "0"}).status, 2);
}

}  // namespace
