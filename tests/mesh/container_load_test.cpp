#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "host_fixture.h"
#include "wide_faces.h"

namespace {

class ContainerLoadTest : public HostFixture {};

TEST_F(ContainerLoadTest, EmptyObjectGivesAnEmptyBoundModel) {
    MQObject o = MakeObject({}, {});
    ZUM_MQObject m;
    EXPECT_EQ(m.HostObject(), nullptr);
    EXPECT_TRUE(m.LoadFromHost(o));
    EXPECT_EQ(m.HostObject(), o);
    EXPECT_EQ(m.VertexCount(), 0);
    EXPECT_EQ(m.EdgeCount(), 0);
    EXPECT_EQ(m.PolygonCount(), 0);
}

// A clone mirrored from another model's elements is the model a full load
// of the clone gives: positions read from the clone, the same edges with the
// same ends and polygon counts, the same corners, UV pairs and materials.
TEST_F(ContainerLoadTest, CloneTakenOverFromAnotherModelMatchesItsFullLoad) {
    std::vector<MQPoint> points = Points(6);
    MQObject o = MakeObject(points, {{{0, 1, 2}, {{0.5f, 0.25f}, {1, 0}, {0, 1}}, 2},
                                     {{1, 3, 4, 2}},
                                     {{0, 5}},
                                     {{0, 2, 1}}});
    ZUM_MQObject donor;
    donor.LoadFromHost(o);
    donor.VertexAt(1)->Translate(ZUM_MQVector(5, 5, 5));  // not what the clone holds
    MQObject copy = HostApi.MQObj_Clone(o);
    MQObject other = HostApi.MQObj_Clone(o);
    ZUM_MQObject taken;
    EXPECT_TRUE(taken.LoadCopyFromHost(copy, donor));
    ZUM_MQObject loaded;
    loaded.LoadFromHost(other);

    EXPECT_EQ(taken.HostObject(), copy);
    EXPECT_EQ(donor.HostObject(), o);
    EXPECT_EQ(donor.VertexCount(), 0);
    EXPECT_EQ(donor.PolygonCount(), 0);
    ASSERT_EQ(taken.VertexCount(), loaded.VertexCount());
    for (int i = 0; i < loaded.VertexCount(); ++i) {
        EXPECT_EQ(taken.VertexAt(i)->Position().x, loaded.VertexAt(i)->Position().x);
        EXPECT_EQ(taken.VertexAt(i)->Position().y, loaded.VertexAt(i)->Position().y);
        EXPECT_EQ(taken.VertexAt(i)->Position().z, loaded.VertexAt(i)->Position().z);
    }
    ASSERT_EQ(taken.EdgeCount(), loaded.EdgeCount());
    for (int i = 0; i < loaded.EdgeCount(); ++i) {
        EXPECT_EQ(Ends(taken, i), Ends(loaded, i));
        EXPECT_EQ(taken.EdgeAt(i)->PolygonCount(), loaded.EdgeAt(i)->PolygonCount());
    }
    ASSERT_EQ(taken.PolygonCount(), loaded.PolygonCount());
    for (int i = 0; i < loaded.PolygonCount(); ++i) {
        EXPECT_EQ(Corners(taken.PolygonAt(i)), Corners(loaded.PolygonAt(i)));
        EXPECT_EQ(taken.PolygonAt(i)->Material(), loaded.PolygonAt(i)->Material());
        ASSERT_EQ(taken.PolygonAt(i)->UVCount(), loaded.PolygonAt(i)->UVCount());
        for (int k = 0; k < loaded.PolygonAt(i)->UVCount(); ++k) {
            EXPECT_EQ(taken.PolygonAt(i)->UAt(k), loaded.PolygonAt(i)->UAt(k));
            EXPECT_EQ(taken.PolygonAt(i)->VAt(k), loaded.PolygonAt(i)->VAt(k));
        }
    }
    // An object that is no clone of the donor's is loaded in full.
    MQObject smaller = MakeObject(Points(3), {{{0, 1, 2}}});
    ZUM_MQObject fallback;
    EXPECT_FALSE(fallback.LoadCopyFromHost(smaller, taken));
    EXPECT_EQ(fallback.VertexCount(), 3);
    EXPECT_EQ(fallback.EdgeCount(), 3);
    EXPECT_EQ(fallback.PolygonCount(), 1);
    EXPECT_EQ(taken.VertexCount(), 0);
    EXPECT_TRUE(RecordedMessageBoxes().empty());
    HostApi.MQObj_Delete(copy);
    HostApi.MQObj_Delete(other);
}

TEST_F(ContainerLoadTest, TwoTrianglesShareOneEdgeInTheOrderOfTheFaces) {
    MQObject o = MakeObject(Points(4), {{{0, 1, 2}}, {{0, 2, 3}}});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    ASSERT_EQ(m.VertexCount(), 4);
    ASSERT_EQ(m.EdgeCount(), 5);
    ASSERT_EQ(m.PolygonCount(), 2);
    const std::pair<int, int> expected[] = {{0, 1}, {1, 2}, {2, 0}, {2, 3}, {3, 0}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(m.EdgeAt(i)->Index(), i);
        EXPECT_EQ(Ends(m, i), expected[i]) << "edge " << i;
        EXPECT_EQ(m.EdgeAt(i)->PolygonCount(), i == 2 ? 2 : 1) << "edge " << i;
    }
    EXPECT_EQ(Corners(m.PolygonAt(0)), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Corners(m.PolygonAt(1)), (std::vector<int>{0, 2, 3}));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m.VertexAt(i)->Index(), i);
        MQPoint p = Points(4)[i];
        EXPECT_EQ(m.VertexAt(i)->Position().x, static_cast<double>(p.x));
        EXPECT_EQ(m.VertexAt(i)->Position().y, static_cast<double>(p.y));
        EXPECT_EQ(m.VertexAt(i)->Position().z, static_cast<double>(p.z));
    }
    EXPECT_EQ(m.FindEdgeByVertices(0, 2), 2);
    EXPECT_EQ(m.FindEdgeByVertices(2, 0), 2);
    EXPECT_EQ(m.FindEdgeByVertices(1, 3), -1);
    EXPECT_EQ(m.FindPolygonByEdges(2, 3, 4, -1), 1);
    EXPECT_EQ(m.FindPolygonByEdges(4, 2, 3, -1), 1);
    EXPECT_EQ(m.FindPolygonByEdges(0, 1, 3, -1), -1);
    EXPECT_EQ(m.FindPolygonByEdges(0, 1, 2, 3), -1);
    EXPECT_EQ(m.FindPolygonByEdges(0, 1, 99, -1), -1);
    EXPECT_EQ(RecordedMessageBoxes().size(), 0u);
}

TEST_F(ContainerLoadTest, RepeatedTrianglesAndQuadsAreDroppedInEitherWinding) {
    MQObject o = MakeObject(Points(7), {
                                           {{0, 1, 2}, {}, 1},
                                           {{0, 1, 2}, {}, 2},  // same
                                           {{0, 2, 1}, {}, 3},  // reversed
                                           {{1, 2, 0}, {}, 4},  // rotated
                                           {{3, 4, 5, 6}, {}, 5},
                                           {{6, 5, 4, 3}, {}, 6},  // reversed
                                           {{5, 6, 3, 4}, {}, 7},  // rotated
                                           {{3, 5, 4, 6}, {}, 8},  // other pairs: a new quad
                                       });
    ZUM_MQObject m;
    m.LoadFromHost(o);
    ASSERT_EQ(m.PolygonCount(), 3);
    EXPECT_EQ(m.PolygonAt(0)->Material(), 1);
    EXPECT_EQ(m.PolygonAt(1)->Material(), 5);
    EXPECT_EQ(m.PolygonAt(2)->Material(), 8);
    EXPECT_EQ(Corners(m.PolygonAt(2)), (std::vector<int>{3, 5, 4, 6}));
    EXPECT_EQ(m.EdgeCount(), 3 + 4 + 2);  // the third quad adds (3, 5) and (4, 6)
}

TEST_F(ContainerLoadTest, LineAheadOfATriangleBecomesItsEdge) {
    MQObject o = MakeObject(Points(4), {{{0, 1}}, {{1, 0}}, {{0, 1, 2}}, {{2, 3}}, {{3}}});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    ASSERT_EQ(m.EdgeCount(), 4);
    EXPECT_EQ(Ends(m, 0), std::make_pair(0, 1));
    EXPECT_EQ(m.EdgeAt(0)->PolygonCount(), 1);
    EXPECT_EQ(m.EdgeAt(3)->PolygonCount(), 0);  // the line (2, 3)
    EXPECT_EQ(Ends(m, 3), std::make_pair(2, 3));
    EXPECT_EQ(m.PolygonCount(), 1);
    EXPECT_EQ(m.VertexCount(), 4);  // the 1-point face keeps its vertex
    EXPECT_EQ(Corners(m.PolygonAt(0)), (std::vector<int>{0, 1, 2}));
}

TEST_F(ContainerLoadTest, CornersFollowTheFaceWhateverTheStoredEdgeDirection) {
    // The second quad runs along every shared edge against its stored direction.
    MQObject o = MakeObject(Points(6), {{{0, 1, 2, 3}}, {{1, 0, 4, 5}}, {{3, 2, 1}}});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    ASSERT_EQ(m.PolygonCount(), 3);
    EXPECT_EQ(Corners(m.PolygonAt(1)), (std::vector<int>{1, 0, 4, 5}));
    EXPECT_EQ(Corners(m.PolygonAt(2)), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(Ends(m, 0), std::make_pair(0, 1));
    EXPECT_EQ(m.EdgeAt(0)->PolygonCount(), 2);
}

TEST_F(ContainerLoadTest, LoadCompactsTheHostObjectFirst) {
    MQObject o = MakeObject(Points(6), {{{0, 1, 2}}, {{3, 4, 5}}});
    HostApi.MQObj_DeleteFace(o, 0, 1);  // vertices 0, 1, 2 go too
    ZUM_MQObject m;
    m.LoadFromHost(o);
    EXPECT_EQ(HostApi.MQObj_GetVertexCount(o), 3);
    ASSERT_EQ(m.VertexCount(), 3);
    EXPECT_EQ(m.VertexAt(0)->Position().x, static_cast<double>(Points(6)[3].x));
    ASSERT_EQ(m.PolygonCount(), 1);
    EXPECT_EQ(Corners(m.PolygonAt(0)), (std::vector<int>{0, 1, 2}));
}

TEST_F(ContainerLoadTest, AccessorsOutOfRangeThrow) {
    MQObject o = MakeObject(Points(3), {{{0, 1, 2}}});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    EXPECT_THROW(m.VertexAt(m.VertexCount()), std::out_of_range);
    EXPECT_THROW(m.VertexAt(-1), std::out_of_range);
    EXPECT_THROW(m.EdgeAt(m.EdgeCount()), std::out_of_range);
    EXPECT_THROW(m.EdgeAt(-1), std::out_of_range);
    EXPECT_THROW(m.PolygonAt(1), std::out_of_range);
    EXPECT_THROW(m.FindOrAddEdge(0, 3), std::out_of_range);
    EXPECT_EQ(m.EdgeCount(), 3);
    EXPECT_NO_THROW(m.VertexAt(2));
}

TEST_F(ContainerLoadTest, ObjectAndCloneGiveTheSameNumbering) {
    MQObject o = MakeObject(Points(6), {{{0, 1, 2, 3}}, {{2, 1, 4}}, {{4, 5}}, {{3, 2, 4, 5}}});
    MQObject clone = Keep(HostApi.MQObj_Clone(o));
    ZUM_MQObject a, b;
    a.LoadFromHost(o);
    b.LoadFromHost(clone);
    ASSERT_EQ(a.VertexCount(), b.VertexCount());
    ASSERT_EQ(a.EdgeCount(), b.EdgeCount());
    ASSERT_EQ(a.PolygonCount(), b.PolygonCount());
    for (int i = 0; i < a.EdgeCount(); ++i) EXPECT_EQ(Ends(a, i), Ends(b, i));
    for (int i = 0; i < a.PolygonCount(); ++i) EXPECT_EQ(Corners(a.PolygonAt(i)), Corners(b.PolygonAt(i)));
}

TEST_F(ContainerLoadTest, AppendsNumberFromTheCountsAndLeaveTheHostAlone) {
    MQObject o = MakeObject({}, {});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    VertexObject* a = m.AddVertex(ZUM_MQVector(0, 0, 0));
    EXPECT_EQ(a->Index(), 0);
    VertexObject* b = m.AddVertex(ZUM_MQVector(1, 0, 0));
    VertexObject* c = m.AddVertex(ZUM_MQVector(1, 1, 0));
    VertexObject* d = m.AddVertex(ZUM_MQVector(0, 1, 0));
    EdgeObject* ab = m.AddEdge(a, b);
    EXPECT_EQ(ab->Index(), 0);
    EdgeObject* bc = m.AddEdge(b, c);
    EdgeObject* cd = m.AddEdge(c, d);
    EdgeObject* da = m.AddEdge(d, a);
    EdgeObject* again = m.AddEdge(b, a);  // no test for an existing edge
    EXPECT_EQ(again->Index(), 4);
    EXPECT_EQ(m.FindEdgeByVertices(0, 1), 0);  // the first one still wins
    PolygonObject* p = m.AddPolygon(ab, bc, cd, da);
    EXPECT_EQ(p->Index(), 0);
    EXPECT_EQ(Corners(p), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_FALSE(p->HasUV());
    EXPECT_EQ(p->Material(), -1);
    EXPECT_EQ(m.FindPolygonByEdges(1, 2, 3, 0), 0);
    EXPECT_EQ(HostApi.MQObj_GetVertexCount(o), 0);
    EXPECT_EQ(HostApi.MQObj_GetFaceCount(o), 0);
}

TEST_F(ContainerLoadTest, ElementsStayPutWhileTheArraysGrow) {
    MQObject o = MakeObject({}, {});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    VertexObject* first = m.AddVertex(ZUM_MQVector(1, 2, 3));
    VertexObject* previous = first;
    std::vector<EdgeObject*> chain;
    for (int i = 1; i < 20000; ++i) {
        VertexObject* v = m.AddVertex(ZUM_MQVector(i, 0, 0));
        chain.push_back(m.AddEdge(previous, v));
        previous = v;
    }
    EXPECT_EQ(m.VertexAt(0), first);
    EXPECT_EQ(first->Position().z, 3.0);
    EXPECT_EQ(first->Edges().size(), 1u);
    EXPECT_EQ(first->Edges()[0], chain[0]);
    for (int i = 0; i < m.EdgeCount(); ++i) ASSERT_EQ(m.EdgeAt(i), chain[i]);
    EXPECT_EQ(m.FindEdgeByVertices(12345, 12344), 12344);
}

TEST_F(ContainerLoadTest, ReloadDiscardsWhatWasAppended) {
    MQObject o = MakeObject(Points(3), {{{0, 1, 2}}});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    m.AddVertex(ZUM_MQVector(5, 5, 5));
    m.AddEdge(m.VertexAt(0), m.VertexAt(3));
    m.LoadFromHost(o);
    EXPECT_EQ(m.VertexCount(), 3);
    EXPECT_EQ(m.EdgeCount(), 3);
    EXPECT_EQ(m.FindEdgeByVertices(0, 3), -1);
    EXPECT_EQ(m.PolygonCount(), 1);
}

// Lists that outgrow their elements and UV tables in doubles are heap
// blocks; a model that holds some gives them back when it is emptied or
// reloaded, and a model whose elements hold none is released without
// reading them (the count of blocks tells which).
TEST_F(ContainerLoadTest, ElementsGiveTheirHeapBlocksBackWhenTheModelIsEmptied) {
    // A fan of eight triangles: the centre has eight edges and polygons.
    std::vector<MQPoint> points(9, MQPoint{0, 0, 0});
    std::vector<TestFace> fan;
    for (int k = 0; k < 8; ++k) {
        points[k + 1] = MQPoint{std::cos(k * 0.785f), std::sin(k * 0.785f), 0};
        fan.push_back({{0, k + 1, (k + 1) % 8 + 1}});
    }
    MQObject o = MakeObject(points, fan);
    const size_t before = element_heap::blocks;
    ZUM_MQObject m;
    m.LoadFromHost(o);
    EXPECT_EQ(element_heap::blocks, before + 2);
    VertexObject* a = m.AddVertex(ZUM_MQVector(0, 0, 1));
    VertexObject* b = m.AddVertex(ZUM_MQVector(1, 0, 1));
    VertexObject* c = m.AddVertex(ZUM_MQVector(0, 1, 1));
    PolygonObject* p = m.AddPolygon(m.AddEdge(a, b), m.AddEdge(b, c), m.AddEdge(c, a), nullptr);
    p->AddUV(0.1, 0.2);  // not floats: the table goes to the heap
    EXPECT_EQ(element_heap::blocks, before + 3);
    m.LoadFromHost(o);
    EXPECT_EQ(element_heap::blocks, before + 2);
    ASSERT_EQ(m.VertexAt(0)->Polygons().size(), 8u);
    m.ReleaseModel();
    EXPECT_EQ(element_heap::blocks, before);

    MQObject quad = MakeObject(Points(4), {{{0, 1, 2, 3}}});
    ZUM_MQObject plain;
    plain.LoadFromHost(quad);
    EXPECT_EQ(element_heap::blocks, before);
    plain.ReleaseModel();
    EXPECT_EQ(plain.VertexCount(), 0);
}

TEST_F(ContainerLoadTest, FacesOfMoreThanFourPointsAddNothingAndAreNotReadIntoSmallBuffers) {
    MQObject o = MakeObject(Points(6), {{{1, 2, 3, 4}}, {{1, 2, 5}}});
    WideFaces::Install({0});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    EXPECT_EQ(WideFaces::wideReads, 0);
    EXPECT_EQ(m.VertexCount(), 6);
    ASSERT_EQ(m.PolygonCount(), 1);
    EXPECT_EQ(Corners(m.PolygonAt(0)), (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(m.EdgeCount(), 3);
}

TEST_F(ContainerLoadTest, DegenerateFacesNeverLeaveEmptyCorners) {
    // (0, 1, 0, 2) keeps its four corners; (3, 3, 4, 5) cannot be walked and
    // is kept without corners; the triangle (0, 1, 1) comes out with four
    // corners and three UV pairs.
    MQObject o = MakeObject(Points(6), {{{0, 1, 0, 2}}, {{3, 3, 4, 5}}, {{0, 1, 1}}});
    ZUM_MQObject m;
    m.LoadFromHost(o);
    ASSERT_EQ(m.PolygonCount(), 3);
    EXPECT_EQ(Corners(m.PolygonAt(0)), (std::vector<int>{0, 1, 0, 2}));
    EXPECT_EQ(m.PolygonAt(1)->VertexCount(), 0);
    EXPECT_EQ(Corners(m.PolygonAt(2)), (std::vector<int>{0, 1, 1, 1}));
    EXPECT_EQ(m.PolygonAt(2)->UVCount(), 3);
    for (int i = 0; i < m.VertexCount(); ++i) {
        m.VertexAt(i)->ComputeVertexNormal();  // reads every corner of every polygon
        for (const PolygonObject* p : m.VertexAt(i)->Polygons()) EXPECT_NE(p->VertexCount(), 0);
    }
}

}  // namespace
