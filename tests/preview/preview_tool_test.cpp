// mqthicken --preview as its users run it: the picture of a shell the real
// module made, read back from the PNG file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb_image.h>

#include "preview/preview.h"
#include "tests/tool/scratch_folder_test.h"
#include "tests/tool/tool_runner.h"

namespace fs = std::filesystem;

namespace {

// A unit square in y = 0 whose front faces +y.
const char kSquare[] =
    "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n"
    "Object \"square\" {\r\n\tvertex 4 {\r\n"
    "\t\t0 0 0\r\n\t\t1 0 0\r\n\t\t1 0 1\r\n\t\t0 0 1\r\n\t}\r\n"
    "\tface 1 {\r\n\t\t4 V(0 1 2 3)\r\n\t}\r\n}\r\nEof\r\n";

class PreviewToolTest : public ScratchFolderTest {
protected:
    PreviewToolTest() : ScratchFolderTest("mqthicken-preview") {}

    void SetUp() override {
        ScratchFolderTest::SetUp();
        Write("in.mqo", kSquare);
    }

    // Thickens the square by 0.5 with `args` and returns the centre pixel of
    // its 160 x 120 picture.
    Rgb CentreOf(std::vector<std::string> args) {
        const std::string picture = Path("shell.png");
        args.insert(args.begin(), {Path("in.mqo"), "-o", Path("out.mqo"), "-t", "0.5",
                                   "--preview", picture, "--preview-size", "160x120"});
        ToolResult r = RunTool(args);
        EXPECT_EQ(r.status, 0) << r.err;
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load(picture.c_str(), &width, &height, &channels, 3);
        EXPECT_TRUE(pixels);
        if (!pixels) return {};
        EXPECT_EQ(width, 160);
        EXPECT_EQ(height, 120);
        const stbi_uc* p = pixels + (60 * width + 80) * 3;
        const Rgb centre{p[0], p[1], p[2]};
        stbi_image_free(pixels);
        return centre;
    }
};

bool Looks(Rgb pixel, FaceGroup group) {
    // Same order of channels as the group's colour.
    const Rgb c = GroupColour(group);
    auto order = [](Rgb p) { return std::tuple{p.r > p.g, p.g > p.b, p.r > p.b}; };
    return order(pixel) == order(c) && pixel != kPreviewBackground;
}

TEST_F(PreviewToolTest, TheModulesFrontBackAndSideFacesGetTheirColours) {
    EXPECT_TRUE(Looks(CentreOf({"--view", "top"}), FaceGroup::Front));
    const Rgb back = CentreOf({"--view", "bottom"});
    EXPECT_TRUE(Looks(back, FaceGroup::Back));
    EXPECT_TRUE(Looks(CentreOf({"--view", "front"}), FaceGroup::Side));
    // Without the front surface the back surface is seen from behind, from
    // above: the same colour, darker.
    const Rgb inside = CentreOf({"--view", "top", "--no-front"});
    EXPECT_TRUE(Looks(inside, FaceGroup::Back));
    EXPECT_LT(inside.r + inside.g + inside.b, (back.r + back.g + back.b) * 6 / 10);
    // The side walls alone.
    EXPECT_TRUE(Looks(CentreOf({"--view", "front", "--no-front", "--no-back"}), FaceGroup::Side));
}

TEST_F(PreviewToolTest, TwoRunsDrawTheSameBytes) {
    for (const char* name : {"a.png", "b.png"}) {
        ToolResult r = RunTool({Path("in.mqo"), "-o", Path("out.mqo"), "--preview", Path(name)});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_NE(r.err.find("wrote picture " + Path(name)), std::string::npos) << r.err;
    }
    const std::string a = Contents(Path("a.png"));
    EXPECT_EQ(a.substr(0, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_EQ(a, Contents(Path("b.png")));
}

TEST_F(PreviewToolTest, ABadPicturePathOrSizeIsAUsageErrorThatWritesNothing) {
    const std::string in = Path("in.mqo");
    const std::string png = Path("p.png");
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{in, "--preview", Path("p.txt")}, "ending in .png"},
        {{in, "--preview", Path("missing/p.png")}, "no folder"},
        {{in, "--preview"}, "needs a value"},
        {{in, "--preview", png, "--preview-size", "0x10"}, "WIDTHxHEIGHT"},
        {{in, "--preview", png, "--preview-size", "640"}, "WIDTHxHEIGHT"},
        {{in, "--preview", png, "--preview-size", "64x"}, "WIDTHxHEIGHT"},
        {{in, "--preview", png, "--preview-size", "-64x64"}, "WIDTHxHEIGHT"},
        {{in, "--preview", png, "--preview-size", "8193x64"}, "WIDTHxHEIGHT"},
        {{in, "--preview", png, "--view", "sideways"}, "--view takes"},
        {{in, "--view", "top"}, "--preview, which is not given"},
    };
    for (const auto& c : cases) {
        ToolResult r = RunTool(c.args);
        EXPECT_EQ(r.status, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(Entries(), std::vector<std::string>{"in.mqo"});
    const std::string help = RunTool({"--help"}).out;
    for (const char* option : {"--preview FILE", "--preview-size WxH", "--view VIEW"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST_F(PreviewToolTest, APictureThatCannotBeWrittenLeavesTheMeshAsWithoutIt) {
    ASSERT_EQ(RunTool({Path("in.mqo"), "-o", Path("plain.mqo")}).status, 0);
    fs::create_directory(Path("taken.png"));
    ToolResult r = RunTool({Path("in.mqo"), "-o", Path("out.mqo"), "--preview", Path("taken.png")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("cannot write " + Path("taken.png")), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("the mesh was written"), std::string::npos) << r.err;
    EXPECT_EQ(Contents(Path("out.mqo")), Contents(Path("plain.mqo")));
    EXPECT_TRUE(fs::is_empty(Path("taken.png")));
}

}  // namespace
