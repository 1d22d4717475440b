#include <gtest/gtest.h>

#include <map>

#include "host_fixture.h"
#include "message_fixture.h"

namespace {

class ContainerCommitTest : public HostFixture {
protected:
    // The two objects hold the same points, bit for bit.
    void ExpectSamePoints(MQObject written, MQObject expected) {
        const std::vector<MQPoint> a = ReadVertices(written), b = ReadVertices(expected);
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].x, b[i].x) << i;
            EXPECT_EQ(a[i].y, b[i].y) << i;
            EXPECT_EQ(a[i].z, b[i].z) << i;
        }
    }
    static TestFace Face(std::vector<int> points, std::vector<MQCoordinate> uvs = {}, int material = -1) {
        if (uvs.empty()) uvs.assign(points.size(), MQCoordinate{0, 0});
        return TestFace{points, uvs, material};
    }
};

TEST_F(ContainerCommitTest, LoadThenCommitGivesBackLinesTrianglesQuadsUVsAndMaterials) {
    const std::vector<TestFace> faces = {
        Face({0, 1, 2}, {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}}, 1),
        Face({1, 3, 4, 2}, {{0.7f, 0.8f}, {0.9f, 1.0f}, {1.1f, 1.2f}, {1.3f, 1.4f}}, 0),
        Face({0, 5}),
        Face({5, 4, 3}, {{2, 3}, {4, 5}, {6, 7}}),
    };
    MQObject o = MakeObject(Points(6), faces);
    ZUM_MQObject m;
    m.LoadFromHost(o);
    m.CommitToHost();

    // Lines first, then polygons in order.
    const std::vector<TestFace> expected = {faces[2], faces[0], faces[1], faces[3]};
    EXPECT_EQ(ReadFaces(o), expected);
    const std::vector<MQPoint> v = ReadVertices(o);
    ASSERT_EQ(v.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(v[i].x, Points(6)[i].x);
        EXPECT_EQ(v[i].y, Points(6)[i].y);
        EXPECT_EQ(v[i].z, Points(6)[i].z);
    }
    EXPECT_EQ(RecordedMessageBoxes().size(), 0u);
    EXPECT_EQ(m.HostObject(), o);
}

// A model whose memory is handed to another model is left empty but bound:
// its host object's faces can still be cleared. The model that took the
// memory loads a second object whole.
TEST_F(ContainerCommitTest, StorageHandedOnLeavesTheDonorBoundAndTheTakersLoadWhole) {
    const std::vector<TestFace> faces = {Face({0, 1, 2}), Face({1, 3, 4, 2}), Face({0, 5})};
    MQObject first = MakeObject(Points(6), faces);
    MQObject other = MakeObject(Points(4), {Face({0, 1, 2, 3}), Face({3, 2, 1})});
    ZUM_MQObject m;
    m.LoadFromHost(first);
    ZUM_MQObject next;
    next.TakeStorage(m);
    EXPECT_EQ(m.VertexCount(), 0);
    EXPECT_EQ(m.EdgeCount(), 0);
    EXPECT_EQ(m.PolygonCount(), 0);
    EXPECT_EQ(m.HostObject(), first);
    next.LoadFromHost(other);

    ASSERT_EQ(next.VertexCount(), 4);
    EXPECT_EQ(next.PolygonCount(), 2);
    EXPECT_EQ(next.EdgeCount(), 5);
    EXPECT_EQ(next.VertexAt(3)->Polygons().size(), 2u);
    EXPECT_EQ(next.VertexAt(3)->Position().x, Points(4)[3].x);
    m.ClearHostFaces();
    EXPECT_TRUE(ReadFaces(first).empty());
    EXPECT_EQ(ReadFaces(other).size(), 2u);
    EXPECT_EQ(RecordedMessageBoxes().size(), 0u);
}

// The points of a model whose elements then went on to a copy's model are
// written with the faces of that copy's model, as a direct commit of the
// model would have written them; a model that holds other elements by then
// is refused, and nothing is written.
TEST_F(ContainerCommitTest, PointsWrittenWithTheFacesOfTheModelHoldingTheElementsMatchADirectCommit) {
    const std::vector<TestFace> faces = {
        Face({0, 1, 2}, {{0.1f, 0.2f}, {0.3f, 0.4f}, {0.5f, 0.6f}}, 1),
        Face({1, 3, 4, 2}, {}, 0),
        Face({0, 5}),
    };
    MQObject first = MakeObject(Points(6), faces);
    MQObject copy = MakeObject(Points(6), faces);
    MQObject direct = MakeObject(Points(6), faces);
    ZUM_MQObject a;
    a.LoadFromHost(first);
    a.VertexAt(4)->Translate(ZUM_MQVector(0.5, 0.25, -1.0));
    CommitImage points;
    a.CapturePoints(points);
    ZUM_MQObject b;
    ASSERT_TRUE(b.LoadCopyFromHost(copy, a));
    b.VertexAt(1)->Translate(ZUM_MQVector(2.0, 0.0, 0.0));  // the copy's own move
    ZUM_MQObject d;
    d.LoadFromHost(direct);
    d.VertexAt(4)->Translate(ZUM_MQVector(0.5, 0.25, -1.0));
    d.CommitToHost();

    EXPECT_TRUE(a.WriteCommit(points, b));
    EXPECT_EQ(ReadFaces(first), ReadFaces(direct));
    ExpectSamePoints(first, direct);

    // New elements: the points no longer go with them.
    b.AddPolygon(b.EdgeAt(0), b.EdgeAt(1), b.EdgeAt(2), nullptr);
    const std::vector<TestFace> before = ReadFaces(first);
    EXPECT_FALSE(a.WriteCommit(points, b));
    EXPECT_EQ(ReadFaces(first), before);
    EXPECT_FALSE(a.WriteCommit(points, d));
}

// Turning the faces and releasing the model leaves the host object as a turn
// with its reload does, and the model empty but still bound.
TEST_F(ContainerCommitTest, InvertAndReleaseTurnsTheFacesAsInvertDoes) {
    const std::vector<TestFace> faces = {Face({0, 1, 2, 3}, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}, 1), Face({3, 2, 4}),
                                         Face({4, 5})};
    MQObject turned = MakeObject(Points(6), faces);
    MQObject released = MakeObject(Points(6), faces);
    ZUM_MQObject t, r;
    t.LoadFromHost(turned);
    r.LoadFromHost(released);
    t.InvertHostFaces();
    r.InvertHostFacesAndRelease();
    EXPECT_EQ(ReadFaces(released), ReadFaces(turned));
    EXPECT_EQ(r.VertexCount(), 0);
    EXPECT_EQ(r.PolygonCount(), 0);
    r.ClearHostFaces();
    EXPECT_TRUE(ReadFaces(released).empty());
}

TEST_F(ContainerCommitTest, MovedVerticesAreRoundedToFloats) {
    MQObject o = MakeObject(Points(3), {Face({0, 1, 2})});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    m.VertexAt(1)->SetPosition(ZUM_MQVector(0.1, 1.0 / 3.0, -2.5));
    m.VertexAt(2)->Translate(ZUM_MQVector(1e-12, 0, 0));
    m.CommitToHost();
    const std::vector<MQPoint> v = ReadVertices(o);
    EXPECT_EQ(v[1].x, 0.1f);
    EXPECT_EQ(v[1].y, static_cast<float>(1.0 / 3.0));
    EXPECT_EQ(v[1].z, -2.5f);
    EXPECT_EQ(v[2].x, Points(3)[2].x);
    // The model keeps its doubles.
    EXPECT_EQ(m.VertexAt(1)->Position().x, 0.1);
}

TEST_F(ContainerCommitTest, LineAheadOfTwoTrianglesIsFaceZero) {
    MQObject o = MakeObject(Points(5), {
                                           Face({0, 1, 2}, {{1, 1}, {2, 2}, {3, 3}}, 3),
                                           Face({3, 4}),
                                           Face({0, 2, 3}, {{4, 4}, {5, 5}, {6, 6}}, 2),
                                       });
    ZUM_MQObject m;
    m.LoadFromHost(o);
    m.CommitToHost();
    const std::vector<TestFace> got = ReadFaces(o);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0], Face({3, 4}));
    EXPECT_EQ(got[1], Face({0, 1, 2}, {{1, 1}, {2, 2}, {3, 3}}, 3));
    EXPECT_EQ(got[2], Face({0, 2, 3}, {{4, 4}, {5, 5}, {6, 6}}, 2));
}

TEST_F(ContainerCommitTest, WhatTheLoadLeavesOutDoesNotComeBack) {
    MQObject o = MakeObject(Points(4), {Face({0, 1, 2}), Face({1, 2}), Face({3}), Face({2, 1, 0}), Face({0, 1, 2})});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    m.CommitToHost();
    EXPECT_EQ(ReadFaces(o), (std::vector<TestFace>{Face({0, 1, 2})}));
    EXPECT_EQ(HostApi.MQObj_GetVertexCount(o), 4);  // vertex 3 stays, faceless
}

TEST_F(ContainerCommitTest, EmptyModelLeavesNeitherFacesNorVertices) {
    MQObject o = MakeObject({}, {});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    m.CommitToHost();
    EXPECT_EQ(HostApi.MQObj_GetFaceCount(o), 0);
    EXPECT_EQ(HostApi.MQObj_GetVertexCount(o), 0);
}

TEST_F(ContainerCommitTest, AppendedPolygonsGetTheHostDefaults) {
    MQObject o = MakeObject({}, {});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    VertexObject* a = m.AddVertex(ZUM_MQVector(0, 0, 0));
    VertexObject* b = m.AddVertex(ZUM_MQVector(1, 0, 0));
    VertexObject* c = m.AddVertex(ZUM_MQVector(1, 1, 0));
    VertexObject* d = m.AddVertex(ZUM_MQVector(0, 1, 0));
    m.AddPolygon(m.AddEdge(a, b), m.AddEdge(b, c), m.AddEdge(c, d), m.AddEdge(d, a));
    m.AddEdge(a, c);  // a line
    m.CommitToHost();
    EXPECT_EQ(ReadFaces(o), (std::vector<TestFace>{Face({0, 2}), Face({0, 1, 2, 3})}));
    EXPECT_EQ(HostApi.MQObj_GetVertexCount(o), 4);
}

TEST_F(ContainerCommitTest, PolygonsWithoutAFaithfulHostFaceAreLeftOut) {
    // A polygon that could not be walked has no corners; one on the chain
    // (0,1), (1,2), (1,2), (0,1) has five. Neither is written; nothing reads
    // an empty corner or writes more than four points.
    MQObject o = MakeObject({}, {});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    std::vector<VertexObject*> v;
    for (int i = 0; i < 6; ++i) v.push_back(m.AddVertex(ZUM_MQVector(i, i * i, 0)));
    EdgeObject* e01 = m.AddEdge(v[0], v[1]);
    EdgeObject* e12 = m.AddEdge(v[1], v[2]);
    EdgeObject* e34 = m.AddEdge(v[3], v[4]);
    EdgeObject* e45 = m.AddEdge(v[4], v[5]);
    EdgeObject* e53 = m.AddEdge(v[5], v[3]);
    PolygonObject* five = m.AddPolygon(e01, e12, e12, e01);
    PolygonObject* none = m.AddPolygon(e01, e34, e12, nullptr);
    m.AddPolygon(e34, e45, e53, nullptr);
    EXPECT_EQ(five->VertexCount(), 5);
    EXPECT_EQ(none->VertexCount(), 0);
    ClearRecordedMessageBoxes();
    m.CommitToHost();
    EXPECT_EQ(ReadFaces(o), (std::vector<TestFace>{Face({3, 4, 5})}));
    EXPECT_EQ(RecordedMessageBoxes().size(), 0u);
}

TEST_F(ContainerCommitTest, MissingUVPairsAreReportedAndWrittenAsZero) {
    // The triangle (0, 1, 1) comes out of the load with the corners 0, 1, 1, 1
    // and its three UV pairs.
    MQObject o = MakeObject(Points(2), {Face({0, 1, 1}, {{1, 2}, {3, 4}, {5, 6}}, 4)});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    ClearRecordedMessageBoxes();
    m.CommitToHost();
    EXPECT_EQ(ReadFaces(o), (std::vector<TestFace>{Face({0, 1, 1, 1}, {{1, 2}, {3, 4}, {5, 6}, {0, 0}}, 4)}));
    ASSERT_EQ(RecordedMessageBoxes().size(), 2u);
    EXPECT_EQ(RecordedMessageBoxes()[0].caption, cp932::kUVCaption);
    EXPECT_EQ(RecordedMessageBoxes()[0].text, cp932::kInvalidUIndex);
    EXPECT_EQ(RecordedMessageBoxes()[1].text, cp932::kInvalidVIndex);
    EXPECT_EQ(RecordedMessageBoxes()[1].owner, HostMainWindow());
}

TEST_F(ContainerCommitTest, ClearHostFacesEmptiesTheObjectButNotTheModel) {
    MQObject o = MakeObject(Points(5), {Face({0, 1, 2}), Face({2, 3}), Face({1, 2, 3, 4})});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    HostApi.MQObj_DeleteFace(o, 1, 1);  // an empty slot the loop passes over
    m.ClearHostFaces();
    EXPECT_EQ(HostApi.MQObj_GetFaceCount(o), 0);
    EXPECT_EQ(HostApi.MQObj_GetVertexCount(o), 0);
    EXPECT_EQ(m.VertexCount(), 5);
    EXPECT_EQ(m.EdgeCount(), 6);  // the line (2, 3) is a side of the quad
    EXPECT_EQ(m.PolygonCount(), 2);

    // Committing afterwards brings it all back.
    m.CommitToHost();
    EXPECT_EQ(HostApi.MQObj_GetFaceCount(o), 2);
    EXPECT_EQ(HostApi.MQObj_GetVertexCount(o), 5);
}

TEST_F(ContainerCommitTest, ClearHostFacesWithoutFacesOnlyCompacts) {
    MQObject o = MakeObject(Points(3), {});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    m.ClearHostFaces();
    EXPECT_EQ(HostApi.MQObj_GetVertexCount(o), 3);
    EXPECT_EQ(m.VertexCount(), 3);
    EXPECT_EQ(m.EdgeCount(), 0);
}

// PolygonCount of the edge between each pair of vertices.
std::map<std::pair<int, int>, int> CountsByPair(const ZUM_MQObject& m) {
    std::map<std::pair<int, int>, int> out;
    for (int i = 0; i < m.EdgeCount(); ++i) {
        int a = m.EdgeAt(i)->VertexAt(0)->Index(), b = m.EdgeAt(i)->VertexAt(1)->Index();
        out[{std::min(a, b), std::max(a, b)}] = m.EdgeAt(i)->PolygonCount();
    }
    return out;
}

TEST_F(ContainerCommitTest, InvertHostFacesTurnsEveryFaceAndReloads) {
    MQObject o = MakeObject(Points(7), {Face({0, 1, 2, 3}, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}, 1), Face({3, 2, 4}),
                                        Face({4, 5}), Face({2, 1, 6, 4})});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    const int vertices = m.VertexCount(), edges = m.EdgeCount(), polygons = m.PolygonCount();
    const auto counts = CountsByPair(m);
    EXPECT_TRUE(m.InvertHostFaces());
    EXPECT_EQ(m.VertexCount(), vertices);
    EXPECT_EQ(m.EdgeCount(), edges);
    EXPECT_EQ(m.PolygonCount(), polygons);
    EXPECT_EQ(CountsByPair(m), counts);
    for (int i = 0; i < vertices; ++i) EXPECT_EQ(m.VertexAt(i)->Position().x, static_cast<double>(Points(7)[i].x));

    // The host's faces are reversed (with their UV pairs) and the model follows them.
    const std::vector<TestFace> faces = ReadFaces(o);
    ASSERT_EQ(faces.size(), 4u);
    ASSERT_EQ(faces[0].points.size(), 4u);
    EXPECT_EQ(std::vector<int>(faces[0].points.rbegin(), faces[0].points.rend()), (std::vector<int>{0, 1, 2, 3}));
    ASSERT_EQ(m.PolygonCount(), 3);
    EXPECT_EQ(Corners(m.PolygonAt(0)), faces[0].points);
    EXPECT_EQ(m.PolygonAt(0)->UAt(0), static_cast<double>(faces[0].uvs[0].u));
    EXPECT_EQ(m.PolygonAt(0)->Material(), 1);
    EXPECT_EQ(Corners(m.PolygonAt(1)), faces[1].points);
    EXPECT_EQ(Corners(m.PolygonAt(2)), faces[3].points);

    // After a commit as well.
    m.CommitToHost();
    const auto committed = CountsByPair(m);
    m.InvertHostFaces();
    EXPECT_EQ(CountsByPair(m), committed);
    EXPECT_EQ(m.PolygonCount(), polygons);
}

}  // namespace
