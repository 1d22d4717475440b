// The command's results on the generated benchmark inputs, compared bit for
// bit with results recorded from a build before any speed work: every
// optimisation of the mesh model, the driver or the host must leave each
// vertex, face, UV pair and material exactly as it was.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <ostream>
#include <memory>
#include <string>

#include "bench/generated_mesh.h"
#include "bench/inprocess_command.h"
#include "bench/object_digest.h"
#include "host/document.h"
#include "platform/message_box_log.h"

namespace {

struct ReferenceCase {
    const char* name;
    MeshShape shape;
    int faces;
    ThickenAnswers answers;
    ObjectDigest expected;
};

ThickenAnswers Answers(const char* thickness, ThickenAnswers::Direction direction, bool front = true,
                       bool side = true, bool back = true) {
    ThickenAnswers answers;
    answers.thickness = thickness;
    answers.direction = direction;
    answers.front = front;
    answers.side = side;
    answers.back = back;
    return answers;
}

ObjectDigest Digest(int vertices, int faces, int lines, uint64_t hash) {
    ObjectDigest digest;
    digest.vertices = vertices;
    digest.faces = faces;
    digest.lines = lines;
    digest.hash = hash;
    return digest;
}

std::string Show(const ObjectDigest& d) {
    char text[128];
    std::snprintf(text, sizeof text, "Digest(%d, %d, %d, 0x%016" PRIX64 "ull)", d.vertices, d.faces, d.lines,
                  d.hash);
    return text;
}

// Names the case in test output instead of dumping its bytes.
void PrintTo(const ReferenceCase& c, std::ostream* out) { *out << c.name; }

class ReferenceResults : public ::testing::TestWithParam<ReferenceCase> {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartModuleInProcess()); }
};

TEST_P(ReferenceResults, MatchBitForBit) {
    const ReferenceCase& c = GetParam();
    MQDocumentRec document;
    AddSelectedObject(document, MakeMesh(c.shape, c.faces));
    ClearRecordedMessageBoxes();
    const MQObjectRec* result = RunThickenInProcess(document, c.answers);
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
    const ObjectDigest actual = DigestOf(*result);
    EXPECT_EQ(Show(actual), Show(c.expected));
}

using D = ThickenAnswers::Direction;

// Expected counts, where they follow from the layout: a grid of 100 x 100
// quads has 101 x 101 vertices and 400 border edges, so a shell of
// 2 x 10000 + 400 faces on 2 x 10201 vertices; the hemisphere's 50 rings of
// 100 cells have two rims of 100 edges, 2 x 10000 + 200 faces on
// 2 x 51 x 100 vertices.
const ReferenceCase kCases[] = {
    {"quads_centre", MeshShape::BumpyGrid, 10000, Answers("0.5", D::Center),
     Digest(20402, 20400, 0, 0x9D964BE812C83C4Bull)},
    {"quads_side_only", MeshShape::BumpyGrid, 2500, Answers("2", D::Center, false, true, false),
     Digest(400, 200, 0, 0x5ADAD5F7D97BA247ull)},
    {"hemisphere_front", MeshShape::Hemisphere, 10000, Answers("1.25", D::Front),
     Digest(10200, 20200, 0, 0x52BC114F9A4426C3ull)},
    {"hemisphere_negative_no_back", MeshShape::Hemisphere, 4000,
     Answers("-0.75", D::Back, true, true, false),
     Digest(2170, 4092, 0, 0xE8DE1696E54AA316ull)},
    {"mixed_back", MeshShape::MixedLines, 10000, Answers("0.3", D::Back),
     Digest(13186, 19930, 316, 0x70FEE2292A1EDC59ull)},
    // Enough vertices (160k harvested, 84k in the final weld) for the welds
    // to size their survivor map from a sample; 200 x 200 quads.
    {"quads_weld_sized_from_a_sample", MeshShape::BumpyGrid, 40000, Answers("0.25", D::Front),
     Digest(80802, 80800, 0, 0xE68ACDA126CCD224ull)},
    {"mixed_zero", MeshShape::MixedLines, 10000, Answers("0", D::Center),
     Digest(6594, 19608, 316, 0x1856650833AF6253ull)},
};

INSTANTIATE_TEST_SUITE_P(GeneratedInputs, ReferenceResults, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ReferenceCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
