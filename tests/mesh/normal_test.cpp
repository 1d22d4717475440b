#include <gtest/gtest.h>

#include <cmath>

#include "element_builder.h"
#include "message_fixture.h"

namespace {

class NormalTest : public MessageFixture {
protected:
    ElementBuilder b;
};

void ExpectVector(const ZUM_MQVector& v, double x, double y, double z) {
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
}

TEST_F(NormalTest, CornerNormalFacesWhereCornersRunClockwise) {
    PolygonObject* t = b.Loop({b.Vertex(0, 0, 0), b.Vertex(1, 0, 0), b.Vertex(0, 1, 0)});
    for (int k = 0; k < 3; ++k) ExpectVector(t->CornerNormal(t->VertexAt(k)), 0, 0, -1);
    EXPECT_EQ(&t->CornerNormal(t->VertexAt(0)), &t->Normal());
}

TEST_F(NormalTest, FlatSquareGivesExactUnitNormals) {
    b.Loop({b.Vertex(0, 0, 0), b.Vertex(1, 0, 0), b.Vertex(1, 1, 0), b.Vertex(0, 1, 0)});
    for (auto& v : b.vertices) ExpectVector(v->ComputeVertexNormal(), 0, 0, -1);
    EXPECT_EQ(&b.vertices[0]->ComputeVertexNormal(), &b.vertices[0]->Normal());
}

TEST_F(NormalTest, BentPairOfSquaresAveragesOnTheSharedEdge) {
    VertexObject* p000 = b.Vertex(0, 0, 0);
    VertexObject* p100 = b.Vertex(1, 0, 0);
    VertexObject* p110 = b.Vertex(1, 1, 0);
    VertexObject* p010 = b.Vertex(0, 1, 0);
    VertexObject* p001 = b.Vertex(0, 0, 1);
    VertexObject* p101 = b.Vertex(1, 0, 1);
    EdgeObject* shared = b.Edge(p000, p100);
    b.Polygon(shared, b.Edge(p100, p110), b.Edge(p110, p010), b.Edge(p010, p000));
    b.Polygon(b.Edge(p000, p001), b.Edge(p001, p101), b.Edge(p101, p100), shared);

    const double h = 1.0 / std::sqrt(2.0);
    for (VertexObject* v : {p000, p100}) {
        const ZUM_MQVector& n = v->ComputeVertexNormal();
        EXPECT_EQ(n.x, 0.0);
        EXPECT_NEAR(n.y, -h, 1e-15);
        EXPECT_NEAR(n.z, -h, 1e-15);
    }
    ExpectVector(p110->ComputeVertexNormal(), 0, 0, -1);
    ExpectVector(p010->ComputeVertexNormal(), 0, 0, -1);
    ExpectVector(p001->ComputeVertexNormal(), 0, -1, 0);
    ExpectVector(p101->ComputeVertexNormal(), 0, -1, 0);
}

TEST_F(NormalTest, EveryPolygonOfAFanCountsOnce) {
    // Four triangles of different sizes and angles around the centre; each
    // adds its unit corner normal, whatever its area.
    VertexObject* c = b.Vertex(0, 0, 0);
    VertexObject* r0 = b.Vertex(1, 0, 0.2);
    VertexObject* r1 = b.Vertex(0, 3, 0);
    VertexObject* r2 = b.Vertex(-0.5, 0.1, 0.4);
    VertexObject* r3 = b.Vertex(0.2, -2, -0.3);
    std::vector<VertexObject*> rim{r0, r1, r2, r3};
    ZUM_MQVector expected;
    for (int i = 0; i < 4; ++i) {
        PolygonObject* t = b.Loop({c, rim[i], rim[(i + 1) % 4]});
        const ZUM_MQVector n = t->CornerNormal(c);
        EXPECT_NEAR(n.Length(), 1.0, 1e-15);
        expected.Add(n);
    }
    expected.Normalize();
    const ZUM_MQVector& n = c->ComputeVertexNormal();
    EXPECT_DOUBLE_EQ(n.x, expected.x);
    EXPECT_DOUBLE_EQ(n.y, expected.y);
    EXPECT_DOUBLE_EQ(n.z, expected.z);
}

TEST_F(NormalTest, FirstAndLastCornersWrapAround) {
    // A non-planar quad: at corner 3 next is corner 0, at corner 0 prev is corner 3.
    VertexObject* q0 = b.Vertex(0, 0, 0);
    VertexObject* q1 = b.Vertex(2, 0, 0);
    VertexObject* q2 = b.Vertex(2, 1, 1);
    VertexObject* q3 = b.Vertex(0, 1, 0);
    PolygonObject* q = b.Loop({q0, q1, q2, q3});
    // At corner 3: prev is corner 2, next wraps to corner 0; (2,0,1) x (0,-1,0) = (1,0,-2).
    const ZUM_MQVector& at3 = q->CornerNormal(q3);
    EXPECT_NEAR(at3.x, 1 / std::sqrt(5.0), 1e-15);
    EXPECT_EQ(at3.y, 0.0);
    EXPECT_NEAR(at3.z, -2 / std::sqrt(5.0), 1e-15);
    // At corner 0 the neighbours are q3 (prev) and q1 (next): (0,1,0) x (2,0,0).
    ExpectVector(q->CornerNormal(q0), 0, 0, -1);
}

// Corner 0 of the triangle (0,0,0), (0,1,0), p has the unit normal (-p.z, 0, p.x)
// when |p| = 1 in the xz plane.
PolygonObject* TriangleWithNormal(ElementBuilder& b, double nx, double nz) {
    return b.Loop({b.Vertex(0, 0, 0), b.Vertex(0, 1, 0), b.Vertex(nz, 0, -nx)});
}

TEST_F(NormalTest, ComponentsNearWholeNumbersSnap) {
    {
        const double c = 0.999995;
        PolygonObject* t = TriangleWithNormal(b, std::sqrt(1 - c * c), c);
        const ZUM_MQVector& n = t->CornerNormal(t->VertexAt(0));
        EXPECT_EQ(n.z, 1.0);
        EXPECT_NEAR(n.x, std::sqrt(1 - c * c), 1e-12);  // not renormalised
    }
    {
        const double c = 0.99998;
        PolygonObject* t = TriangleWithNormal(b, std::sqrt(1 - c * c), c);
        const ZUM_MQVector& n = t->CornerNormal(t->VertexAt(0));
        EXPECT_NE(n.z, 1.0);
        EXPECT_NEAR(n.z, c, 1e-12);
    }
    {
        const double s = 0.000003;
        PolygonObject* t = TriangleWithNormal(b, s, std::sqrt(1 - s * s));
        const ZUM_MQVector& n = t->CornerNormal(t->VertexAt(0));
        EXPECT_EQ(n.x, 0.0);
        EXPECT_EQ(n.z, 1.0);
    }
    {
        // Beyond 0.00001 from 0 nothing snaps, however near.
        const double s = 0.000015;
        PolygonObject* t = TriangleWithNormal(b, s, std::sqrt(1 - s * s));
        EXPECT_NEAR(t->CornerNormal(t->VertexAt(0)).x, s, 1e-15);
    }
    {
        // This point makes a normal whose x component is exactly 0.5.
        PolygonObject* t = b.Loop({b.Vertex(0, 0, 0), b.Vertex(0, 1, 0), b.Vertex(0.9321356899089522, 0, -0.5381687914901911)});
        const ZUM_MQVector& n = t->CornerNormal(t->VertexAt(0));
        EXPECT_EQ(n.x, 0.5);
        EXPECT_NEAR(n.z, std::sqrt(0.75), 1e-15);
    }
    {
        // Negative side: -0.999995 snaps to -1.
        const double c = -0.999995;
        PolygonObject* t = TriangleWithNormal(b, std::sqrt(1 - c * c), c);
        EXPECT_EQ(t->CornerNormal(t->VertexAt(0)).z, -1.0);
    }
}

TEST_F(NormalTest, DegenerateCornersGiveZeroInsteadOfNaN) {
    // Collinear neighbours.
    PolygonObject* flat = b.Loop({b.Vertex(0, 0, 0), b.Vertex(1, 0, 0), b.Vertex(2, 0, 0)});
    for (int k = 0; k < 3; ++k) ExpectVector(flat->CornerNormal(flat->VertexAt(k)), 0, 0, 0);
    ExpectVector(flat->VertexAt(1)->ComputeVertexNormal(), 0, 0, 0);

    // Coincident neighbours.
    VertexObject* p = b.Vertex(5, 5, 5);
    PolygonObject* pinched = b.Loop({p, b.Vertex(5, 5, 5), b.Vertex(6, 5, 5)});
    ExpectVector(pinched->CornerNormal(p), 0, 0, 0);

    // A vertex that is not a corner.
    ExpectVector(pinched->CornerNormal(b.vertices[0].get()), 0, 0, 0);
    ExpectVector(pinched->CornerNormal(nullptr), 0, 0, 0);
}

TEST_F(NormalTest, VertexWithoutPolygonsOrWithCancellingCornersGetsZero) {
    VertexObject* alone = b.Vertex(1, 2, 3);
    b.Edge(alone, b.Vertex(4, 5, 6));  // a line is no polygon
    ExpectVector(alone->ComputeVertexNormal(), 0, 0, 0);

    // Two triangles back to back on the same three points.
    VertexObject* a = b.Vertex(0, 0, 0);
    VertexObject* c = b.Vertex(1, 0, 0);
    VertexObject* d = b.Vertex(0, 1, 0);
    b.Loop({a, c, d});
    b.Loop({a, d, c});
    for (VertexObject* v : {a, c, d}) {
        const ZUM_MQVector& n = v->ComputeVertexNormal();
        EXPECT_FALSE(std::isnan(n.x) || std::isnan(n.y) || std::isnan(n.z));
        ExpectVector(n, 0, 0, 0);
    }
}

}  // namespace
