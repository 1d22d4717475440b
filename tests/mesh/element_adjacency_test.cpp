#include <gtest/gtest.h>

#include <algorithm>

#include "element_builder.h"
#include "message_fixture.h"

namespace {

class ElementAdjacencyTest : public MessageFixture {
protected:
    ElementBuilder b;
};

// Each list of an element holds each element at most once.
template <class List>
bool Unique(const List& list) {
    std::vector<const void*> seen(list.begin(), list.end());
    std::sort(seen.begin(), seen.end());
    return std::adjacent_find(seen.begin(), seen.end()) == seen.end();
}

TEST_F(ElementAdjacencyTest, EdgeIsRecordedOnceWithEachEnd) {
    VertexObject* a = b.Vertex();
    VertexObject* c = b.Vertex();
    EdgeObject* e = b.Edge(a, c);
    ASSERT_EQ(a->Edges().size(), 1u);
    ASSERT_EQ(c->Edges().size(), 1u);
    EXPECT_EQ(a->Edges()[0], e);
    EXPECT_EQ(c->Edges()[0], e);
    EXPECT_EQ(e->VertexAt(0), a);
    EXPECT_EQ(e->VertexAt(1), c);
    EXPECT_EQ(e->PolygonCount(), 0);

    EdgeObject* loop = b.Edge(a, a);
    ASSERT_EQ(a->Edges().size(), 2u);
    EXPECT_EQ(a->Edges()[1], loop);
    EXPECT_EQ(loop->OtherVertex(a->Index()), a);
}

TEST_F(ElementAdjacencyTest, TriangleIsRecordedWithEdgesAndCornersOnce) {
    VertexObject* v0 = b.Vertex();
    VertexObject* v1 = b.Vertex();
    VertexObject* v2 = b.Vertex();
    EdgeObject* e01 = b.Edge(v0, v1);
    EdgeObject* e12 = b.Edge(v1, v2);
    EdgeObject* e20 = b.Edge(v2, v0);
    PolygonObject* t = b.Polygon(e01, e12, e20);

    EXPECT_EQ(MessageCount(), 0u);
    EXPECT_EQ(CornerIndices(t), (std::vector<int>{0, 1, 2}));
    for (EdgeObject* e : {e01, e12, e20}) {
        EXPECT_EQ(e->PolygonCount(), 1);
        EXPECT_EQ(e->Polygons()[0], t);
    }
    for (VertexObject* v : {v0, v1, v2}) {
        ASSERT_EQ(v->Polygons().size(), 1u);
        EXPECT_EQ(v->Polygons()[0], t);
        EXPECT_EQ(v->Edges().size(), 2u);
    }
    EXPECT_EQ(v0->Edges()[0], e01);
    EXPECT_EQ(v0->Edges()[1], e20);
    EXPECT_EQ(v1->Edges()[0], e01);
    EXPECT_EQ(v1->Edges()[1], e12);
}

TEST_F(ElementAdjacencyTest, SharedEdgesCountEveryPolygonOnce) {
    // A quad 0-1-2-3 and a triangle 1-4-2 on its side (1, 2), plus a loose
    // edge (3, 4) that no polygon uses.
    std::vector<VertexObject*> v;
    for (int i = 0; i < 5; ++i) v.push_back(b.Vertex());
    EdgeObject* e01 = b.Edge(v[0], v[1]);
    EdgeObject* e12 = b.Edge(v[1], v[2]);
    EdgeObject* e23 = b.Edge(v[2], v[3]);
    EdgeObject* e30 = b.Edge(v[3], v[0]);
    EdgeObject* e14 = b.Edge(v[1], v[4]);
    EdgeObject* e42 = b.Edge(v[4], v[2]);
    EdgeObject* line = b.Edge(v[3], v[4]);
    PolygonObject* quad = b.Polygon(e01, e12, e23, e30);
    // The triangle runs along (1, 2) against the edge's direction.
    PolygonObject* tri = b.Polygon(e14, e42, e12);

    EXPECT_EQ(CornerIndices(quad), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(CornerIndices(tri), (std::vector<int>{1, 4, 2}));
    EXPECT_EQ(e12->PolygonCount(), 2);
    EXPECT_EQ(e12->Polygons()[0], quad);
    EXPECT_EQ(e12->Polygons()[1], tri);
    for (EdgeObject* e : {e01, e23, e30, e14, e42}) EXPECT_EQ(e->PolygonCount(), 1);
    EXPECT_EQ(line->PolygonCount(), 0);

    ASSERT_EQ(v[1]->Polygons().size(), 2u);
    EXPECT_EQ(v[1]->Polygons()[0], quad);
    EXPECT_EQ(v[1]->Polygons()[1], tri);
    EXPECT_EQ(v[2]->Polygons().size(), 2u);
    EXPECT_EQ(v[0]->Polygons().size(), 1u);
    EXPECT_EQ(v[4]->Polygons().size(), 1u);
    EXPECT_EQ(v[1]->Edges().size(), 3u);  // (0,1), (1,2), (1,4)
    EXPECT_EQ(v[4]->Edges().size(), 3u);  // (1,4), (4,2), (3,4)
    for (auto& vertex : b.vertices) {
        EXPECT_TRUE(Unique(vertex->Edges()));
        EXPECT_TRUE(Unique(vertex->Polygons()));
    }
    for (auto& edge : b.edges) EXPECT_TRUE(Unique(edge->Polygons()));
}

TEST_F(ElementAdjacencyTest, ManyPolygonsAroundOneVertexOutgrowTheInlineLists) {
    // A fan of 12 triangles around a centre: lists grow past their inline
    // room and keep order and uniqueness.
    VertexObject* centre = b.Vertex();
    std::vector<VertexObject*> rim;
    for (int i = 0; i < 12; ++i) rim.push_back(b.Vertex(std::cos(i * 0.5), std::sin(i * 0.5), 0));
    std::vector<EdgeObject*> spokes;
    for (VertexObject* r : rim) spokes.push_back(b.Edge(centre, r));
    std::vector<PolygonObject*> fan;
    for (int i = 0; i < 12; ++i) {
        EdgeObject* side = b.Edge(rim[i], rim[(i + 1) % 12]);
        fan.push_back(b.Polygon(spokes[i], side, spokes[(i + 1) % 12]));
    }
    ASSERT_EQ(centre->Edges().size(), 12u);
    ASSERT_EQ(centre->Polygons().size(), 12u);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(centre->Edges()[i], spokes[i]);
        EXPECT_EQ(centre->Polygons()[i], fan[i]);
        EXPECT_EQ(spokes[i]->PolygonCount(), 2);
    }
}

TEST_F(ElementAdjacencyTest, CornerOrderFollowsEdgesWhateverTheirDirection) {
    VertexObject* a = b.Vertex();
    VertexObject* bb = b.Vertex();
    VertexObject* c = b.Vertex();
    VertexObject* d = b.Vertex();
    // (a, b), (b, c), (c, a)
    EXPECT_EQ(CornerIndices(b.Polygon(b.Edge(a, bb), b.Edge(bb, c), b.Edge(c, a))), (std::vector<int>{0, 1, 2}));
    // (a, b), (c, b), (c, a)
    EXPECT_EQ(CornerIndices(b.Polygon(b.Edge(a, bb), b.Edge(c, bb), b.Edge(c, a))), (std::vector<int>{0, 1, 2}));
    // (b, a), (b, c), (a, c): first corner is the end of e0 that the last edge has.
    EXPECT_EQ(CornerIndices(b.Polygon(b.Edge(bb, a), b.Edge(bb, c), b.Edge(a, c))), (std::vector<int>{0, 1, 2}));
    // (a, b), (b, c), (c, d), (d, a) and the same with every edge reversed.
    EXPECT_EQ(CornerIndices(b.Polygon(b.Edge(a, bb), b.Edge(bb, c), b.Edge(c, d), b.Edge(d, a))),
              (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(CornerIndices(b.Polygon(b.Edge(bb, a), b.Edge(c, bb), b.Edge(d, c), b.Edge(a, d))),
              (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(MessageCount(), 0u);
}

TEST_F(ElementAdjacencyTest, AccessorsOutOfRangeAnswerNone) {
    VertexObject* v0 = b.Vertex();
    VertexObject* v1 = b.Vertex();
    VertexObject* v2 = b.Vertex();
    VertexObject* stranger = b.Vertex();
    EdgeObject* e01 = b.Edge(v0, v1);
    PolygonObject* t = b.Polygon(e01, b.Edge(v1, v2), b.Edge(v2, v0));

    EXPECT_EQ(e01->VertexAt(2), nullptr);
    EXPECT_EQ(e01->VertexAt(-1), nullptr);
    EXPECT_EQ(e01->OtherVertex(stranger->Index()), nullptr);
    EXPECT_EQ(e01->OtherVertex(v0->Index()), v1);
    EXPECT_EQ(e01->OtherVertex(v1->Index()), v0);

    EXPECT_EQ(t->VertexAt(t->VertexCount()), nullptr);
    EXPECT_EQ(t->VertexAt(-1), nullptr);
    EXPECT_EQ(t->EdgeAt(-1), nullptr);
    EXPECT_EQ(t->EdgeAt(3), nullptr);
    EXPECT_EQ(t->EdgeAt(0), e01);
    EXPECT_EQ(t->EdgeCount(), 3);
    EXPECT_EQ(t->FindEdge(e01->Index()), e01);
    EXPECT_EQ(t->FindEdge(99), nullptr);
    EXPECT_EQ(t->Material(), -1);
    t->SetMaterial(7);
    EXPECT_EQ(t->Material(), 7);
    EXPECT_EQ(MessageCount(), 0u);  // accessors show nothing
}

// A broken chain never leaves an empty corner: the polygon is abandoned with
// no corners and is recorded with no edge and no vertex.
void ExpectAbandoned(const PolygonObject* p, const ElementBuilder& b) {
    EXPECT_EQ(p->VertexCount(), 0);
    EXPECT_EQ(p->VertexAt(0), nullptr);
    for (auto& e : b.edges) EXPECT_FALSE(e->Polygons().contains(const_cast<PolygonObject*>(p)));
    for (auto& v : b.vertices) EXPECT_FALSE(v->Polygons().contains(const_cast<PolygonObject*>(p)));
}

TEST_F(ElementAdjacencyTest, FirstAndLastEdgeSharingNoEndIsAbandoned) {
    std::vector<VertexObject*> v;
    for (int i = 0; i < 6; ++i) v.push_back(b.Vertex());
    PolygonObject* p = b.Polygon(b.Edge(v[0], v[1]), b.Edge(v[1], v[2]), b.Edge(v[3], v[4]));
    ASSERT_EQ(MessageCount(), 1u);
    EXPECT_MESSAGE(0, cp932::kPolygonCaption, cp932::kPolygonNotBuilt);
    ExpectAbandoned(p, b);
    EXPECT_EQ(p->EdgeCount(), 3);

    // What readers do with it stays safe.
    EXPECT_EQ(p->CornerNormal(v[0]).LengthSquared(), 0.0);
    p->AddUV(0, 0);
    EXPECT_MESSAGE(1, cp932::kUVCaption, cp932::kUVBeyondCorners);
    EXPECT_FALSE(p->HasUV());
}

TEST_F(ElementAdjacencyTest, WalkThatFindsNoNextCornerIsAbandoned) {
    std::vector<VertexObject*> v;
    for (int i = 0; i < 6; ++i) v.push_back(b.Vertex());
    // (0, 1), (2, 3), (3, 0): the walk reaches 1 and edge 1 does not go on from it.
    PolygonObject* tri = b.Polygon(b.Edge(v[0], v[1]), b.Edge(v[2], v[3]), b.Edge(v[3], v[0]));
    ASSERT_EQ(MessageCount(), 1u);
    EXPECT_MESSAGE(0, cp932::kPolygonCaption, cp932::kCornersNotBuilt);
    ExpectAbandoned(tri, b);

    // A quad whose third edge misses: (0, 1), (1, 2), (4, 5), (3, 0).
    ClearRecordedMessageBoxes();
    PolygonObject* quad = b.Polygon(b.Edge(v[0], v[1]), b.Edge(v[1], v[2]), b.Edge(v[4], v[5]), b.Edge(v[3], v[0]));
    ASSERT_EQ(MessageCount(), 1u);
    EXPECT_MESSAGE(0, cp932::kPolygonCaption, cp932::kCornersNotBuilt);
    ExpectAbandoned(quad, b);
}

TEST_F(ElementAdjacencyTest, MissingEdgeIsAbandoned) {
    VertexObject* v0 = b.Vertex();
    VertexObject* v1 = b.Vertex();
    PolygonObject* p = b.Polygon(b.Edge(v0, v1), nullptr, b.Edge(v1, v0));
    ASSERT_EQ(MessageCount(), 1u);
    EXPECT_MESSAGE(0, cp932::kPolygonCaption, cp932::kPolygonNotBuilt);
    ExpectAbandoned(p, b);
    EXPECT_EQ(p->EdgeCount(), 0);
}

TEST_F(ElementAdjacencyTest, ChainWithTwoFirstCornersKeepsItsFiveCornersAndIsRecorded) {
    // The quad (0, 1, 2, 1) as a load makes it: edges (0,1), (1,2), (1,2),
    // (0,1). Both ends of the first edge are on the last one.
    VertexObject* v0 = b.Vertex();
    VertexObject* v1 = b.Vertex();
    VertexObject* v2 = b.Vertex();
    VertexObject* v3 = b.Vertex();
    EdgeObject* e01 = b.Edge(v0, v1);
    EdgeObject* e12 = b.Edge(v1, v2);
    PolygonObject* p = b.Polygon(e01, e12, e12, e01);
    ASSERT_EQ(MessageCount(), 1u);
    EXPECT_MESSAGE(0, cp932::kPolygonCaption, cp932::kCornersNotBuilt);
    EXPECT_EQ(CornerIndices(p), (std::vector<int>{0, 1, 1, 2, 2}));
    EXPECT_EQ(e01->PolygonCount(), 1);
    EXPECT_EQ(e12->PolygonCount(), 1);
    for (VertexObject* v : {v0, v1, v2}) EXPECT_EQ(v->Polygons().size(), 1u);
    EXPECT_EQ(v3->Polygons().size(), 0u);
    EXPECT_EQ(p->VertexAt(5), nullptr);
}

TEST_F(ElementAdjacencyTest, LoopAheadOfAWalkThatBreaksIsAbandoned) {
    // The quad (0, 0, 2, 3) as a load makes it: (0,0), (0,2), (2,3), (3,0).
    // Two first corners; the third step starts at the second 0 and edge (2,3)
    // does not go on from it.
    VertexObject* v0 = b.Vertex();
    VertexObject* v2 = b.Vertex();
    VertexObject* v3 = b.Vertex();
    PolygonObject* p = b.Polygon(b.Edge(v0, v0), b.Edge(v0, v2), b.Edge(v2, v3), b.Edge(v3, v0));
    ASSERT_EQ(MessageCount(), 1u);
    EXPECT_MESSAGE(0, cp932::kPolygonCaption, cp932::kCornersNotBuilt);
    ExpectAbandoned(p, b);
}

TEST_F(ElementAdjacencyTest, RepeatedEdgeInOneChainIsRecordedOnce) {
    // The quad (0, 1, 0, 2) as a load makes it: edges (0,1), (0,1), (0,2), (0,2).
    VertexObject* v0 = b.Vertex();
    VertexObject* v1 = b.Vertex();
    VertexObject* v2 = b.Vertex();
    EdgeObject* e01 = b.Edge(v0, v1);
    EdgeObject* e02 = b.Edge(v0, v2);
    PolygonObject* p = b.Polygon(e01, e01, e02, e02);
    EXPECT_EQ(MessageCount(), 0u);
    EXPECT_EQ(CornerIndices(p), (std::vector<int>{0, 1, 0, 2}));
    EXPECT_EQ(e01->PolygonCount(), 1);
    EXPECT_EQ(e02->PolygonCount(), 1);
    EXPECT_EQ(v0->Polygons().size(), 1u);
    EXPECT_EQ(v0->Edges().size(), 2u);
}

}  // namespace
