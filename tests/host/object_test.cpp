// The object model through the C interface: numbering across deletion and
// compaction, clones, merges, inversion and per-vertex attributes.
#include <gtest/gtest.h>

#include <vector>

#include "host/mq_functions.h"
#include "tests/host/face_reading.h"

namespace {

MQPoint P(float x, float y, float z = 0.0f) { return MQPoint{x, y, z}; }

// A strip of `quads` unit quads along x, with UV (x, y) at each corner.
MQObject Strip(int quads) {
    MQObject o = MQ_CreateObject();
    for (int i = 0; i <= quads; ++i) {
        MQPoint a = P(float(i), 0), b = P(float(i), 1);
        MQObj_AddVertex(o, &a);
        MQObj_AddVertex(o, &b);
    }
    for (int i = 0; i < quads; ++i) {
        int pts[4] = {2 * i, 2 * i + 2, 2 * i + 3, 2 * i + 1};
        int f = MQObj_AddFace(o, 4, pts);
        MQCoordinate uv[4] = {{float(i), 0}, {float(i + 1), 0}, {float(i + 1), 1}, {float(i), 1}};
        MQObj_SetFaceCoordinateArray(o, f, uv);
        MQObj_SetFaceMaterial(o, f, i % 2);
    }
    return o;
}

float X(MQObject o, int v) {
    MQPoint p;
    MQObj_GetVertex(o, v, &p);
    return p.x;
}

TEST(HostObject, AddFaceRefusesBadCountsAndIndicesAndAddsNothing) {
    MQObject o = Strip(1);
    int five[5] = {0, 1, 2, 3, 0};
    EXPECT_EQ(MQObj_AddFace(o, 5, five), -1);
    EXPECT_EQ(MQObj_AddFace(o, 0, five), -1);
    int bad[3] = {0, 1, 4};
    EXPECT_EQ(MQObj_AddFace(o, 3, bad), -1);
    EXPECT_EQ(MQObj_AddFace(o, 3, nullptr), -1);
    EXPECT_EQ(MQObj_GetFaceCount(o), 1);
    EXPECT_EQ(MQObj_GetVertexRefCount(o, 0), 1);
    int line[2] = {0, 1};
    EXPECT_EQ(MQObj_AddFace(o, 2, line), 1);
    EXPECT_EQ(MQObj_GetFaceMaterial(o, 1), -1);
    MQObj_Delete(o);
}

TEST(HostObject, DeleteFaceKeepsIndicesUntilCompactThenClosesUpInOrder) {
    MQObject o = Strip(3);  // vertices 0..7, faces 0..2
    ASSERT_TRUE(MQObj_DeleteFace(o, 1, TRUE));
    // Face 1's corners 2..5 are shared with faces 0 and 2: none goes.
    EXPECT_EQ(MQObj_GetFaceCount(o), 3);
    EXPECT_EQ(MQObj_GetFacePointCount(o, 1), 0);
    EXPECT_FALSE(MQObj_DeleteFace(o, 1, TRUE));
    ASSERT_TRUE(MQObj_DeleteFace(o, 0, TRUE));
    // Vertices 0 to 3 lost their last face (face 1 is gone already): they go.
    EXPECT_EQ(MQObj_GetVertexCount(o), 8);
    EXPECT_EQ((std::vector<int>{4, 6, 7, 5}), Points(o, 2));

    MQObj_Compact(o);
    ASSERT_EQ(MQObj_GetFaceCount(o), 1);
    ASSERT_EQ(MQObj_GetVertexCount(o), 4);
    EXPECT_EQ((std::vector<int>{0, 2, 3, 1}), Points(o, 0));
    EXPECT_EQ(X(o, 0), 2.0f);
    EXPECT_EQ(X(o, 2), 3.0f);
    EXPECT_EQ((std::vector<float>{2, 3, 3, 2}), Us(o, 0));
    EXPECT_EQ(MQObj_GetFaceMaterial(o, 0), 0);
    MQObj_Delete(o);
}

TEST(HostObject, CompactWithNoVertexDeletedKeepsTheNumberingAndTheOtherFacesInOrder) {
    MQObject o = Strip(3);
    const std::vector<int> middle = Points(o, 1), last = Points(o, 2);
    const std::vector<float> lastUs = Us(o, 2);
    MQObj_SetFaceMaterial(o, 2, 1);
    ASSERT_TRUE(MQObj_DeleteFace(o, 0, FALSE));
    MQObj_Compact(o);
    ASSERT_EQ(MQObj_GetFaceCount(o), 2);
    EXPECT_EQ(MQObj_GetVertexCount(o), 8);
    EXPECT_EQ(Points(o, 0), middle);
    EXPECT_EQ(Points(o, 1), last);
    EXPECT_EQ(Us(o, 1), lastUs);
    EXPECT_EQ(MQObj_GetFaceMaterial(o, 1), 1);
    // Nothing deleted at all: nothing changes.
    MQObj_Compact(o);
    EXPECT_EQ(MQObj_GetFaceCount(o), 2);
    EXPECT_EQ(Points(o, 1), last);
    MQObj_Delete(o);
}

TEST(HostObject, DeleteFaceWithoutVertexDeletionAndIsolatedVerticesSurviveCompact) {
    MQObject o = Strip(1);
    MQPoint lone = P(9, 9);
    int loneIndex = MQObj_AddVertex(o, &lone);
    ASSERT_TRUE(MQObj_DeleteFace(o, 0, FALSE));
    MQObj_Compact(o);
    EXPECT_EQ(MQObj_GetFaceCount(o), 0);
    EXPECT_EQ(MQObj_GetVertexCount(o), loneIndex + 1);
    EXPECT_EQ(X(o, loneIndex), 9.0f);
    MQObj_Delete(o);
}

TEST(HostObject, CloneKeepsNumberingDeletedSlotsAndAttributes) {
    MQObject o = Strip(2);
    MQObj_SetVertexWeight(o, 3, 0.25f);
    MQObj_DeleteFace(o, 0, TRUE);
    MQObj_SetName(o, "strip");
    MQObject c = MQObj_Clone(o);
    ASSERT_NE(c, nullptr);
    ASSERT_EQ(MQObj_GetVertexCount(c), MQObj_GetVertexCount(o));
    ASSERT_EQ(MQObj_GetFaceCount(c), MQObj_GetFaceCount(o));
    EXPECT_EQ(MQObj_GetFacePointCount(c, 0), 0);
    EXPECT_EQ(Points(c, 1), Points(o, 1));
    EXPECT_EQ(Us(c, 1), Us(o, 1));
    EXPECT_EQ(MQObj_GetFaceMaterial(c, 1), 1);
    for (int v = 0; v < MQObj_GetVertexCount(o); ++v) {
        EXPECT_EQ(X(c, v), X(o, v));
        EXPECT_EQ(MQObj_GetVertexUniqueID(c, v), MQObj_GetVertexUniqueID(o, v));
    }
    EXPECT_EQ(MQObj_GetVertexWeight(c, 3), 0.25f);
    char name[16];
    MQObj_GetName(c, name, sizeof name);
    EXPECT_STREQ(name, "strip");
    // Both compact to the same numbering.
    MQObj_Compact(o);
    MQObj_Compact(c);
    EXPECT_EQ(MQObj_GetVertexCount(c), 4);
    EXPECT_EQ(Points(c, 0), Points(o, 0));
    MQObj_Delete(o);
    MQObj_Delete(c);
}

TEST(HostObject, MergeAppendsLiveVerticesThenFacesInOrderWithUVsAndMaterials) {
    MQObject target = Strip(1);  // 4 vertices, 1 face
    MQObject source = Strip(3);  // 8 vertices, 3 faces
    MQObj_SetVertexWeight(source, 7, 0.5f);
    MQObj_DeleteFace(source, 0, TRUE);  // vertices 0 and 1 go
    ASSERT_TRUE(MQObj_Merge(target, source));
    EXPECT_FALSE(MQObj_Merge(target, target));

    ASSERT_EQ(MQObj_GetVertexCount(target), 4 + 6);
    for (int v = 0; v < 6; ++v) EXPECT_EQ(X(target, 4 + v), X(source, 2 + v));
    EXPECT_EQ(MQObj_GetVertexWeight(target, 9), 0.5f);
    ASSERT_EQ(MQObj_GetFaceCount(target), 3);
    // Source face 1 was (2, 4, 5, 3): source vertex k is target vertex k + 2.
    EXPECT_EQ((std::vector<int>{4, 6, 7, 5}), Points(target, 1));
    EXPECT_EQ((std::vector<int>{6, 8, 9, 7}), Points(target, 2));
    EXPECT_EQ((std::vector<float>{1, 2, 2, 1}), Us(target, 1));
    EXPECT_EQ((std::vector<float>{2, 3, 3, 2}), Us(target, 2));
    EXPECT_EQ(MQObj_GetFaceMaterial(target, 1), 1);
    EXPECT_EQ(MQObj_GetFaceMaterial(target, 2), 0);
    EXPECT_EQ(MQObj_GetVertexRefCount(target, 6), 2);
    // Merged vertices get ids of the target, still unique.
    EXPECT_EQ(MQObj_GetVertexIndexFromUniqueID(target, MQObj_GetVertexUniqueID(target, 9)), 9);
    EXPECT_NE(MQObj_GetVertexUniqueID(target, 9), MQObj_GetVertexUniqueID(target, 3));
    // A source with no deleted vertex lands in one block, references and all.
    MQObject whole = Strip(1);
    ASSERT_TRUE(MQObj_Merge(target, whole));
    ASSERT_EQ(MQObj_GetVertexCount(target), 10 + 4);
    EXPECT_EQ((std::vector<int>{10, 12, 13, 11}), Points(target, 3));
    EXPECT_EQ(MQObj_GetVertexRefCount(target, 13), 1);
    EXPECT_EQ(MQObj_GetVertexIndexFromUniqueID(target, MQObj_GetVertexUniqueID(target, 13)), 13);
    MQObj_Delete(target);
    MQObj_Delete(source);
    MQObj_Delete(whole);
}

TEST(HostObject, InvertFaceReversesPointsAndUVsTogether) {
    MQObject o = Strip(1);
    ASSERT_TRUE(MQObj_InvertFace(o, 0));
    EXPECT_EQ((std::vector<int>{1, 3, 2, 0}), Points(o, 0));
    std::vector<MQCoordinate> uv(4);
    MQObj_GetFaceCoordinateArray(o, 0, uv.data());
    // Each point keeps its own UV pair: point 1 is (0, 1), point 2 is (1, 0).
    EXPECT_EQ(uv[0].u, 0.0f);
    EXPECT_EQ(uv[0].v, 1.0f);
    EXPECT_EQ(uv[1].u, 1.0f);
    EXPECT_EQ(uv[1].v, 1.0f);
    EXPECT_EQ(uv[3].u, 0.0f);
    EXPECT_EQ(uv[3].v, 0.0f);
    ASSERT_TRUE(MQObj_InvertFace(o, 0));
    EXPECT_EQ((std::vector<int>{0, 2, 3, 1}), Points(o, 0));
    MQObj_DeleteFace(o, 0, TRUE);
    EXPECT_FALSE(MQObj_InvertFace(o, 0));
    EXPECT_FALSE(MQObj_InvertFace(o, 7));
    MQObj_Delete(o);
}

TEST(HostObject, CopyVertexAttributeCopiesWeightButNotPositionOrIdentity) {
    MQObject source = Strip(1);
    MQObject target = MQ_CreateObject();
    MQObj_SetVertexWeight(source, 2, 0.125f);
    MQPoint p = P(5, 5, 5);
    int v = MQObj_AddVertex(target, &p);
    int id = MQObj_GetVertexUniqueID(target, v);
    MQObj_CopyVertexAttribute(target, v, source, 2);
    EXPECT_EQ(MQObj_GetVertexWeight(target, v), 0.125f);
    EXPECT_EQ(X(target, v), 5.0f);
    EXPECT_EQ(MQObj_GetVertexUniqueID(target, v), id);
    MQObj_CopyVertexAttribute(target, v, source, 99);  // out of range: nothing
    EXPECT_EQ(MQObj_GetVertexWeight(target, v), 0.125f);
    MQObj_Delete(source);
    MQObj_Delete(target);
}

TEST(HostObject, NullHandlesAndBadIndicesAnswerNeutralValues) {
    MQPoint p = P(1, 2, 3);
    EXPECT_EQ(MQObj_GetVertexCount(nullptr), 0);
    EXPECT_EQ(MQObj_AddVertex(nullptr, &p), -1);
    EXPECT_EQ(MQObj_GetFacePointCount(nullptr, 0), 0);
    EXPECT_EQ(MQObj_GetFaceMaterial(nullptr, 0), -1);
    EXPECT_EQ(MQObj_Clone(nullptr), nullptr);
    EXPECT_FALSE(MQObj_OptimizeVertex(nullptr, 1.0f, nullptr));
    MQObject o = Strip(1);
    MQObj_GetVertex(o, 99, &p);
    EXPECT_EQ(p.x, 0.0f);
    EXPECT_EQ(MQObj_GetFacePointCount(o, -1), 0);
    int pts[4] = {-7, -7, -7, -7};
    MQObj_GetFacePointArray(o, 5, pts);
    EXPECT_EQ(pts[0], -7);
    MQObj_Delete(o);
}

TEST(HostObject, DeleteVertexTakesItsFacesAndUniqueIdsSurviveCompact) {
    MQObject o = Strip(2);  // faces (0 2 3 1) and (2 4 5 3)
    const int id5 = MQObj_GetVertexUniqueID(o, 5);
    const int face1 = MQObj_GetFaceUniqueID(o, 1);
    ASSERT_TRUE(MQObj_DeleteVertex(o, 0));
    EXPECT_FALSE(MQObj_DeleteVertex(o, 0));
    EXPECT_EQ(MQObj_GetFacePointCount(o, 0), 0);
    EXPECT_EQ(MQObj_GetFacePointCount(o, 1), 4);
    EXPECT_EQ(MQObj_GetVertexRefCount(o, 1), 0);  // its face went with vertex 0
    EXPECT_EQ(MQObj_GetVertexRefCount(o, 2), 1);
    EXPECT_EQ(MQObj_GetVertexIndexFromUniqueID(o, MQObj_GetVertexUniqueID(o, 0)), -1);
    MQObj_Compact(o);
    // Vertex 1 was left without faces but not deleted: it stays.
    EXPECT_EQ(MQObj_GetVertexCount(o), 5);
    EXPECT_EQ(MQObj_GetVertexIndexFromUniqueID(o, id5), 4);
    EXPECT_EQ(MQObj_GetFaceIndexFromUniqueID(o, face1), 0);
    EXPECT_EQ((std::vector<int>{1, 3, 4, 2}), Points(o, 0));
    MQObj_Delete(o);
}

}  // namespace
