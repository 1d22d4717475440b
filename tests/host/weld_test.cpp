// The weld (MQObj_OptimizeVertex): which vertices join, who survives, and
// what happens to the faces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "host/mq_functions.h"
#include "tests/host/face_reading.h"

namespace {

int Add(MQObject o, float x, float y, float z = 0.0f) {
    MQPoint p{x, y, z};
    return MQObj_AddVertex(o, &p);
}

// Adds a face with fresh vertices at the given corners, the way the module
// copies selected faces; UV u of each point is its corner number.
int AddLooseFace(MQObject o, const std::vector<MQPoint>& corners) {
    std::vector<int> pts;
    std::vector<MQCoordinate> uv;
    for (size_t i = 0; i < corners.size(); ++i) {
        MQPoint p = corners[i];
        pts.push_back(MQObj_AddVertex(o, &p));
        uv.push_back(MQCoordinate{float(i), 0.0f});
    }
    int f = MQObj_AddFace(o, static_cast<int>(pts.size()), pts.data());
    MQObj_SetFaceCoordinateArray(o, f, uv.data());
    return f;
}

TEST(HostWeld, JoinsCoincidentCornersOfNeighbouringQuadsKeepingLowestIndex) {
    MQObject o = MQ_CreateObject();
    // A 2 x 2 grid of loose quads: 16 vertices, 9 distinct positions.
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i) {
            float x = float(i), y = float(j);
            AddLooseFace(o, {{x, y, 0}, {x + 1, y, 0}, {x + 1, y + 1, 0}, {x, y + 1, 0}});
        }
    // Jitter one copy by less than the distance: it still joins.
    MQPoint q;
    MQObj_GetVertex(o, 4, &q);
    q.x += 0.00004f;
    MQObj_SetVertex(o, 4, &q);
    ASSERT_TRUE(MQObj_OptimizeVertex(o, 0.0001f, nullptr));
    ASSERT_EQ(MQObj_GetFaceCount(o), 4);
    // Face 0 keeps its own vertices; face 1 (corners (1,0) (2,0) (2,1) (1,1))
    // now starts at vertex 1 and ends at vertex 2, those of face 0.
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), Points(o, 0));
    EXPECT_EQ((std::vector<int>{1, 5, 6, 2}), Points(o, 1));
    EXPECT_EQ((std::vector<int>{3, 2, 10, 11}), Points(o, 2));
    EXPECT_EQ((std::vector<int>{2, 6, 14, 10}), Points(o, 3));
    EXPECT_EQ((std::vector<float>{0, 1, 2, 3}), Us(o, 3));
    EXPECT_EQ(MQObj_GetVertexRefCount(o, 2), 4);
    MQObj_Compact(o);
    EXPECT_EQ(MQObj_GetVertexCount(o), 9);
    EXPECT_EQ((std::vector<int>{2, 5, 8, 6}), Points(o, 3));
    MQObj_Delete(o);
}

TEST(HostWeld, PointsExactlyAtTheDistanceStayApart) {
    MQObject o = MQ_CreateObject();
    // Exact in binary, so the distances from vertex 0 are exactly d; the
    // other pairs are farther apart.
    const float d = 0.625f;
    Add(o, 0, 0);
    Add(o, 0.625f, 0);      // at d along x
    Add(o, 0, 0, -0.625f);  // at d along -z
    Add(o, -0.375f, 0.5f);  // at d diagonally
    int pts[4] = {0, 1, 3, 2};
    MQObj_AddFace(o, 4, pts);
    MQObj_OptimizeVertex(o, d, nullptr);
    MQObj_Compact(o);
    EXPECT_EQ(MQObj_GetVertexCount(o), 4);
    EXPECT_EQ(MQObj_GetFacePointCount(o, 0), 4);
    // Just inside the distance the first two join.
    MQObject p = MQ_CreateObject();
    Add(p, 0, 0);
    Add(p, 0.62499994f, 0);
    MQObj_OptimizeVertex(p, d, nullptr);
    MQObj_Compact(p);
    EXPECT_EQ(MQObj_GetVertexCount(p), 1);
    MQObj_Delete(o);
    MQObj_Delete(p);
}

TEST(HostWeld, CollapsesAQuadToATriangleAndATriangleToNothing) {
    MQObject o = MQ_CreateObject();
    // Quad whose last two corners coincide: becomes the triangle 0 1 2, the
    // UV of the first of the repeated points stays.
    int quad = AddLooseFace(o, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 0.00001f}});
    // Triangle squeezed into a point far away: deleted, its vertices too.
    int tri = AddLooseFace(o, {{5, 5, 5}, {5, 5, 5}, {5, 5.00001f, 5}});
    // Quad folded onto two points: deleted.
    int folded = AddLooseFace(o, {{9, 0, 0}, {9, 1, 0}, {9, 0, 0}, {9, 1, 0}});
    // Quad folded along its diagonal (a b a c): 3 distinct points, no area.
    int diagonal = AddLooseFace(o, {{20, 0, 0}, {21, 0, 0}, {20, 0, 0.00001f}, {20, 1, 0}});
    // A line of length zero: deleted; a real line stays.
    int dot = AddLooseFace(o, {{7, 7, 7}, {7, 7, 7}});
    int line = AddLooseFace(o, {{7, 0, 0}, {8, 0, 0}});
    MQObj_OptimizeVertex(o, 0.001f, nullptr);

    EXPECT_EQ((std::vector<int>{0, 1, 2}), Points(o, quad));
    EXPECT_EQ((std::vector<float>{0, 1, 2}), Us(o, quad));
    EXPECT_EQ(MQObj_GetFacePointCount(o, tri), 0);
    EXPECT_EQ(MQObj_GetFacePointCount(o, folded), 0);
    EXPECT_EQ(MQObj_GetFacePointCount(o, diagonal), 0);
    EXPECT_EQ(MQObj_GetFacePointCount(o, dot), 0);
    EXPECT_EQ(MQObj_GetFacePointCount(o, line), 2);
    MQObj_Compact(o);
    EXPECT_EQ(MQObj_GetFaceCount(o), 2);
    EXPECT_EQ(MQObj_GetVertexCount(o), 3 + 2);
    MQObj_Delete(o);
}

TEST(HostWeld, ClustersDoNotChain) {
    MQObject o = MQ_CreateObject();
    // Spaced 0.6 apart with d = 1: 0 takes 1 (0.6); 2 is 1.2 from 0 and only
    // near the joined 1, so it survives and takes 3.
    for (int i = 0; i < 4; ++i) Add(o, 0.6f * float(i), 0);
    MQObj_OptimizeVertex(o, 1.0f, nullptr);
    MQObj_Compact(o);
    ASSERT_EQ(MQObj_GetVertexCount(o), 2);
    MQPoint a, b;
    MQObj_GetVertex(o, 0, &a);
    MQObj_GetVertex(o, 1, &b);
    EXPECT_EQ(a.x, 0.0f);
    EXPECT_EQ(b.x, 0.6f * 2.0f);
    MQObj_Delete(o);
}

TEST(HostWeld, JoinsTheLowestIndexedSurvivorNotTheNearest) {
    MQObject o = MQ_CreateObject();
    Add(o, 0, 0);      // survivor 0
    Add(o, 1.5f, 0);   // 1.5 from 0: survives with d = 1
    Add(o, 0.8f, 0);   // 0.8 from 0, 0.7 from 1: joins 0
    int pts[3] = {0, 1, 2};
    MQObj_AddFace(o, 3, pts);
    Add(o, 3, 3);
    int pts2[3] = {1, 2, 3};
    MQObj_AddFace(o, 3, pts2);
    MQObj_OptimizeVertex(o, 1.0f, nullptr);
    EXPECT_EQ((std::vector<int>{1, 0, 3}), Points(o, 1));
    EXPECT_EQ(MQObj_GetFacePointCount(o, 0), 0);  // 0 1 0: two distinct points
    MQObj_Delete(o);
}

// A vertex at exactly the place of an earlier one that joined another goes
// where that one went, not to it; one at the place of a survivor joins it.
TEST(HostWeld, ExactCopiesGoWhereTheirFirstWent) {
    MQObject o = MQ_CreateObject();
    Add(o, 0, 0);     // survivor 0
    Add(o, 0.8f, 0);  // joins 0
    Add(o, 1.5f, 0);  // survives with d = 1
    Add(o, 0.8f, 0);  // as vertex 1: joins 0, though 2 is nearer
    Add(o, 1.5f, 0);  // as vertex 2: joins 2
    Add(o, 3, 3);
    int pts[3] = {3, 4, 5};
    MQObj_AddFace(o, 3, pts);
    MQObj_OptimizeVertex(o, 1.0f, nullptr);
    EXPECT_EQ((std::vector<int>{0, 2, 5}), Points(o, 0));
    MQObj_Delete(o);
}

TEST(HostWeld, ApplyArrayLimitsTheVerticesThatTakePart) {
    MQObject o = MQ_CreateObject();
    for (int i = 0; i < 4; ++i) Add(o, 0, 0);
    unsigned char apply[4] = {0, 1, 0, 1};
    MQObj_OptimizeVertex(o, 0.1f, apply);
    MQObj_Compact(o);
    EXPECT_EQ(MQObj_GetVertexCount(o), 3);  // 3 joined 1; 0 and 2 untouched
    MQObj_Delete(o);
}

TEST(HostWeld, ZeroNegativeOrNanDistanceAndNonFinitePointsJoinNothing) {
    MQObject o = MQ_CreateObject();
    Add(o, 0, 0);
    Add(o, 0, 0);
    const float inf = std::numeric_limits<float>::infinity();
    Add(o, inf, 0);
    Add(o, inf, 0);
    MQObj_OptimizeVertex(o, 0.0f, nullptr);
    MQObj_OptimizeVertex(o, -1.0f, nullptr);
    MQObj_OptimizeVertex(o, std::numeric_limits<float>::quiet_NaN(), nullptr);
    MQObj_Compact(o);
    EXPECT_EQ(MQObj_GetVertexCount(o), 4);
    MQObj_OptimizeVertex(o, 1.0f, nullptr);
    MQObj_Compact(o);
    EXPECT_EQ(MQObj_GetVertexCount(o), 3);
    MQObj_Delete(o);
}

TEST(HostWeld, LargeGridOfLooseQuadsWeldsToTheSharedGrid) {
    // Catches cell-boundary misses: corners sit on and across grid cells of
    // every sign, with the copies jittered within the distance.
    MQObject o = MQ_CreateObject();
    const int n = 40;
    const float step = 0.00015f;  // a little more than the distance apart
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            float x = (i - n / 2) * step, y = (j - n / 2) * step;
            float e = ((i + j) % 3 - 1) * 0.00002f;
            AddLooseFace(o, {{x + e, y, 0}, {x + step, y - e, 0}, {x + step, y + step + e, 0}, {x, y + step, -e}});
        }
    MQObj_OptimizeVertex(o, 0.0001f, nullptr);
    MQObj_Compact(o);
    EXPECT_EQ(MQObj_GetFaceCount(o), n * n);
    EXPECT_EQ(MQObj_GetVertexCount(o), (n + 1) * (n + 1));
    MQObj_Delete(o);
}

// The survivors of a weld by the written rules, found by comparing all pairs.
std::vector<int> NaiveSurvivors(const std::vector<MQPoint>& points, float distance) {
    const double d2 = double(distance) * double(distance);
    std::vector<int> survivors;
    for (size_t v = 0; v < points.size(); ++v) {
        bool joins = false;
        for (int s : survivors) {
            const double dx = double(points[v].x) - points[s].x;
            const double dy = double(points[v].y) - points[s].y;
            const double dz = double(points[v].z) - points[s].z;
            if (dx * dx + dy * dy + dz * dz < d2) {
                joins = true;
                break;
            }
        }
        if (!joins) survivors.push_back(static_cast<int>(v));
    }
    return survivors;
}

TEST(HostWeld, AgreesWithAllPairsComparisonOnRandomClouds) {
    std::mt19937 random(12345);
    const float distances[] = {0.001f, 0.05f, 0.3f};
    for (float d : distances) {
        for (int round = 0; round < 3; ++round) {
            // Clusters around a few centres of both signs, at scales around d,
            // so that pairs fall on both sides of the distance and of cell walls.
            std::uniform_real_distribution<float> centre(-20.0f * d, 20.0f * d);
            std::uniform_real_distribution<float> offset(-1.5f * d, 1.5f * d);
            std::vector<MQPoint> points;
            MQObject o = MQ_CreateObject();
            for (int i = 0; i < 600; ++i) {
                MQPoint c{centre(random), centre(random), (i % 3 == 0) ? 0.0f : centre(random)};
                if (i % 2 == 0 && !points.empty()) c = points[random() % points.size()];
                MQPoint p{c.x + offset(random), c.y + offset(random), c.z + (i % 5 == 0 ? 0.0f : offset(random))};
                points.push_back(p);
                MQObj_AddVertex(o, &p);
            }
            std::vector<int> expected = NaiveSurvivors(points, d);
            MQObj_OptimizeVertex(o, d, nullptr);
            std::vector<int> survivors;
            for (int v = 0; v < MQObj_GetVertexCount(o); ++v)
                if (MQObj_GetVertexUniqueID(o, v) != 0 && MQObj_GetVertexIndexFromUniqueID(o, MQObj_GetVertexUniqueID(o, v)) == v)
                    survivors.push_back(v);
            EXPECT_EQ(survivors, expected) << "distance " << d << ", round " << round;
            EXPECT_LT(expected.size(), points.size());
            MQObj_Delete(o);
        }
    }
}

// A weld of more vertices than one chunk of probes (32768) works out the
// next chunk's cells on a side thread: the joins must stay those of the
// written rules across chunks, with vertices that take no part at a chunk's
// start.
TEST(HostWeld, AgreesWithAllPairsComparisonAcrossChunksOfProbes) {
    std::mt19937 random(777);
    const float d = 0.05f;
    std::uniform_real_distribution<float> centre(-30.0f * d, 30.0f * d);
    std::uniform_real_distribution<float> offset(-1.5f * d, 1.5f * d);
    std::vector<MQPoint> centres(400);
    for (MQPoint& c : centres) c = MQPoint{centre(random), centre(random), centre(random)};
    const int n = 3 * 32768 + 5;
    MQObject o = MQ_CreateObject();
    std::vector<unsigned char> apply(n, 1);
    std::vector<MQPoint> applied;
    std::vector<int> appliedIndex, expected;
    for (int v = 0; v < n; ++v) {
        const MQPoint& c = centres[random() % centres.size()];
        MQPoint p{c.x + offset(random), c.y + offset(random), c.z + offset(random)};
        MQObj_AddVertex(o, &p);
        if (v % 7 == 3 || v % 32768 == 0) {
            apply[v] = 0;
            expected.push_back(v);
        } else {
            applied.push_back(p);
            appliedIndex.push_back(v);
        }
    }
    for (int s : NaiveSurvivors(applied, d)) expected.push_back(appliedIndex[s]);
    std::sort(expected.begin(), expected.end());
    MQObj_OptimizeVertex(o, d, apply.data());
    std::vector<int> live;
    for (int v = 0; v < n; ++v)
        if (MQObj_GetVertexIndexFromUniqueID(o, MQObj_GetVertexUniqueID(o, v)) == v) live.push_back(v);
    EXPECT_EQ(live, expected);
    MQObj_Delete(o);
}

// A vertex is live when its unique id still leads to it.
bool IsLive(MQObject o, int v) {
    return MQObj_GetVertexIndexFromUniqueID(o, MQObj_GetVertexUniqueID(o, v)) == v;
}

TEST(HostWeld, ReferenceCountsAndDeletionsFollowTheFacesThatStay) {
    // Lines, triangles and quads on random vertices of a crowded square, some
    // repeating a point, so that faces collapse, vertices lose their last
    // face, and survivors lose faces and gain others.
    std::mt19937 random(777);
    const float d = 0.05f;
    std::uniform_real_distribution<float> coordinate(-0.3f, 0.3f);
    MQObject o = MQ_CreateObject();
    std::vector<MQPoint> points;
    for (int i = 0; i < 400; ++i) {
        MQPoint p{coordinate(random), coordinate(random), 0.0f};
        points.push_back(p);
        MQObj_AddVertex(o, &p);
    }
    for (int f = 0; f < 150; ++f) {
        const int count = 2 + static_cast<int>(random() % 3);
        int pts[4];
        for (int k = 0; k < count; ++k) pts[k] = static_cast<int>(random() % points.size());
        if (f % 7 == 0) pts[count - 1] = pts[0];
        MQObj_AddFace(o, count, pts);
    }
    std::vector<bool> hadFaces(points.size());
    for (size_t v = 0; v < points.size(); ++v) hadFaces[v] = MQObj_GetVertexRefCount(o, static_cast<int>(v)) > 0;
    const std::vector<int> survivors = NaiveSurvivors(points, d);
    MQObj_OptimizeVertex(o, d, nullptr);

    std::vector<int> refs(points.size(), 0);
    for (int f = 0; f < MQObj_GetFaceCount(o); ++f) {
        std::vector<int> pts = Points(o, f);
        for (int p : pts) {
            EXPECT_TRUE(IsLive(o, p)) << "face " << f << " names deleted vertex " << p;
            ++refs[p];
        }
        std::sort(pts.begin(), pts.end());
        EXPECT_TRUE(std::adjacent_find(pts.begin(), pts.end()) == pts.end()) << "face " << f << " repeats a point";
    }
    std::vector<bool> survives(points.size());
    for (int s : survivors) survives[s] = true;
    for (size_t v = 0; v < points.size(); ++v) {
        const int i = static_cast<int>(v);
        EXPECT_EQ(IsLive(o, i), survives[v] && (refs[v] > 0 || !hadFaces[v])) << "vertex " << v;
        EXPECT_EQ(MQObj_GetVertexRefCount(o, i), IsLive(o, i) ? refs[v] : 0) << "vertex " << v;
    }
    MQObj_Delete(o);
}

}  // namespace
