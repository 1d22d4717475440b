// The container's indexed load against the plain definition of the load, in
// which every lookup scans the arrays from the start and the first match
// wins, on a few hundred random host objects full of shared edges, repeated
// faces in both windings, lines, 1-point and 5-point faces and faces that
// repeat a vertex.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>

#include "host_fixture.h"
#include "wide_faces.h"

namespace {

class ScanModel {
public:
    explicit ScanModel(MQObject o) {
        HostApi.MQObj_Compact(o);
        const int n = HostApi.MQObj_GetVertexCount(o);
        for (int i = 0; i < n; ++i) {
            MQPoint p;
            HostApi.MQObj_GetVertex(o, i, &p);
            ZUM_MQVector v;
            v.FromPoint(p);
            vertices.emplace_back(new VertexObject(i, v));
        }
        const int faces = HostApi.MQObj_GetFaceCount(o);
        for (int f = 0; f < faces; ++f) {
            const int c = HostApi.MQObj_GetFacePointCount(o, f);
            std::vector<int> p(c > 0 ? c : 0);
            if (c > 0) HostApi.MQObj_GetFacePointArray(o, f, p.data());
            if (c == 2) {
                if (FindEdge(p[0], p[1]) < 0) AddEdge(p[0], p[1]);
                continue;
            }
            if (c != 3 && c != 4) continue;
            int e[4];
            for (int k = 0; k < c; ++k) e[k] = FindOrAddEdge(p[k], p[(k + 1) % c]);
            if (FindPolygon(e[0], e[1], e[2], c == 4 ? e[3] : -1) >= 0) continue;
            polygons.emplace_back(new PolygonObject(static_cast<int>(polygons.size()), edges[e[0]].get(),
                                                    edges[e[1]].get(), edges[e[2]].get(),
                                                    c == 4 ? edges[e[3]].get() : nullptr));
            std::vector<MQCoordinate> uv(c);
            HostApi.MQObj_GetFaceCoordinateArray(o, f, uv.data());
            for (int k = 0; k < c; ++k) polygons.back()->AddUV(uv[k].u, uv[k].v);
            polygons.back()->SetMaterial(HostApi.MQObj_GetFaceMaterial(o, f));
        }
    }

    int FindEdge(int a, int b) const {
        for (size_t i = 0; i < edges.size(); ++i) {
            const int x = edges[i]->VertexAt(0)->Index(), y = edges[i]->VertexAt(1)->Index();
            if ((x == a && y == b) || (x == b && y == a)) return static_cast<int>(i);
        }
        return -1;
    }
    int FindPolygon(int a, int b, int c, int d) const {
        for (size_t i = 0; i < polygons.size(); ++i) {
            const PolygonObject* p = polygons[i].get();
            if (p->VertexCount() != 3 && p->VertexCount() != 4) continue;
            if (p->FindEdge(a) && p->FindEdge(b) && p->FindEdge(c) && (d < 0 || p->FindEdge(d)))
                return static_cast<int>(i);
        }
        return -1;
    }

    std::vector<std::unique_ptr<VertexObject>> vertices;
    std::vector<std::unique_ptr<EdgeObject>> edges;
    std::vector<std::unique_ptr<PolygonObject>> polygons;

private:
    int AddEdge(int a, int b) {
        edges.emplace_back(new EdgeObject(static_cast<int>(edges.size()), vertices[a].get(), vertices[b].get()));
        return static_cast<int>(edges.size()) - 1;
    }
    int FindOrAddEdge(int a, int b) {
        const int e = FindEdge(a, b);
        return e >= 0 ? e : AddEdge(a, b);
    }
};

template <class List>
std::vector<int> Indices(const List& list) {
    std::vector<int> out;
    for (auto* element : list) out.push_back(element->Index());
    return out;
}

std::vector<int> PolygonEdges(const PolygonObject* p) {
    std::vector<int> out;
    for (int k = 0; k < p->EdgeCount(); ++k) out.push_back(p->EdgeAt(k)->Index());
    return out;
}

std::vector<int> PolygonCorners(const PolygonObject* p) {
    std::vector<int> out;
    for (int k = 0; k < p->VertexCount(); ++k) out.push_back(p->VertexAt(k)->Index());
    return out;
}

void ExpectSameModel(const ZUM_MQObject& m, const ScanModel& s) {
    ASSERT_EQ(m.VertexCount(), static_cast<int>(s.vertices.size()));
    ASSERT_EQ(m.EdgeCount(), static_cast<int>(s.edges.size()));
    ASSERT_EQ(m.PolygonCount(), static_cast<int>(s.polygons.size()));
    for (int i = 0; i < m.VertexCount(); ++i) {
        const VertexObject* a = m.VertexAt(i);
        const VertexObject* b = s.vertices[i].get();
        EXPECT_EQ(a->Index(), i);
        EXPECT_EQ(a->Position().x, b->Position().x);
        EXPECT_EQ(a->Position().y, b->Position().y);
        EXPECT_EQ(a->Position().z, b->Position().z);
        EXPECT_EQ(Indices(a->Edges()), Indices(b->Edges())) << "vertex " << i;
        EXPECT_EQ(Indices(a->Polygons()), Indices(b->Polygons())) << "vertex " << i;
    }
    for (int i = 0; i < m.EdgeCount(); ++i) {
        const EdgeObject* a = m.EdgeAt(i);
        const EdgeObject* b = s.edges[i].get();
        EXPECT_EQ(a->Index(), i);
        EXPECT_EQ(a->VertexAt(0)->Index(), b->VertexAt(0)->Index()) << "edge " << i;
        EXPECT_EQ(a->VertexAt(1)->Index(), b->VertexAt(1)->Index()) << "edge " << i;
        EXPECT_EQ(Indices(a->Polygons()), Indices(b->Polygons())) << "edge " << i;
    }
    for (int i = 0; i < m.PolygonCount(); ++i) {
        const PolygonObject* a = m.PolygonAt(i);
        const PolygonObject* b = s.polygons[i].get();
        EXPECT_EQ(a->Index(), i);
        EXPECT_EQ(PolygonCorners(a), PolygonCorners(b)) << "polygon " << i;
        EXPECT_EQ(PolygonEdges(a), PolygonEdges(b)) << "polygon " << i;
        ASSERT_EQ(a->UVCount(), b->UVCount()) << "polygon " << i;
        for (int k = 0; k < a->UVCount(); ++k) {
            EXPECT_EQ(a->UAt(k), b->UAt(k));
            EXPECT_EQ(a->VAt(k), b->VAt(k));
        }
        EXPECT_EQ(a->Material(), b->Material()) << "polygon " << i;
    }
}

std::vector<std::string> TakeMessages() {
    std::vector<std::string> out;
    for (const RecordedMessageBox& box : RecordedMessageBoxes()) out.push_back(box.caption + "|" + box.text);
    ClearRecordedMessageBoxes();
    return out;
}

class LoadMatchesScanTest : public HostFixture {
protected:
    // A random object of up to `maxVertices` vertices and `maxFaces` faces.
    // Returns the faces that are to report five points.
    MQObject RandomObject(std::mt19937& rng, int maxVertices, int maxFaces, std::vector<int>& wide) {
        auto below = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        const int nv = 1 + below(maxVertices);
        const int nf = below(maxFaces + 1);
        std::vector<MQPoint> points;
        for (int i = 0; i < nv; ++i)
            points.push_back(MQPoint{below(1000) / 7.0f, below(1000) / 11.0f, below(1000) / 13.0f});
        std::vector<TestFace> faces;
        for (int f = 0; f < nf; ++f) {
            TestFace face;
            const int kind = below(100);
            if (kind < 15 && !faces.empty()) {
                // An earlier face again: as it was, reversed, or rotated.
                face = faces[below(static_cast<int>(faces.size()))];
                const int how = below(3);
                if (how == 1) std::reverse(face.points.begin(), face.points.end());
                if (how == 2 && !face.points.empty())
                    std::rotate(face.points.begin(), face.points.begin() + 1, face.points.end());
            } else {
                const int c = kind < 22 ? 1 : kind < 42 ? 2 : kind < 70 ? 3 : 4;
                for (int k = 0; k < c; ++k) face.points.push_back(below(nv));
            }
            face.uvs.clear();
            for (size_t k = 0; k < face.points.size(); ++k)
                face.uvs.push_back(MQCoordinate{below(64) / 8.0f, below(64) / 16.0f});
            face.material = below(5) - 1;
            faces.push_back(face);
        }
        MQObject o = MakeObject(points, faces);
        // A deleted face or two, so that the load compacts.
        if (nf > 0 && below(4) == 0) HostApi.MQObj_DeleteFace(o, below(nf), 1);
        HostApi.MQObj_Compact(o);
        wide.clear();
        const int live = HostApi.MQObj_GetFaceCount(o);
        for (int f = 0; f < live; ++f)
            if (HostApi.MQObj_GetFacePointCount(o, f) == 4 && below(8) == 0) wide.push_back(f);
        return o;
    }

    void CompareOn(std::mt19937& rng, int maxVertices, int maxFaces) {
        std::vector<int> wide;
        MQObject o = RandomObject(rng, maxVertices, maxFaces, wide);
        WideFaces::Install(wide);
        ZUM_MQObject m;
        ClearRecordedMessageBoxes();
        m.LoadFromHost(o);
        const int wideReadsByLoad = WideFaces::wideReads;
        const std::vector<std::string> indexedMessages = TakeMessages();
        ScanModel s(o);
        const std::vector<std::string> scanMessages = TakeMessages();
        HostApi.MQObj_GetFacePointCount = WideFaces::count;
        HostApi.MQObj_GetFacePointArray = WideFaces::points;
        HostApi.MQObj_GetFaceCoordinateArray = WideFaces::uvs;

        EXPECT_EQ(indexedMessages, scanMessages);
        ExpectSameModel(m, s);
        EXPECT_EQ(wideReadsByLoad, 0) << "a 5-point face was read into the load's buffers";

        // The lookups agree for every pair of vertices and for random sets of
        // edges, subsets of a polygon's edges included.
        const int nv = m.VertexCount(), ne = m.EdgeCount();
        for (int a = 0; a < nv; ++a)
            for (int b = 0; b < nv; ++b) ASSERT_EQ(m.FindEdgeByVertices(a, b), s.FindEdge(a, b)) << a << ", " << b;
        if (ne == 0) return;
        auto edge = [&]() { return static_cast<int>(rng() % static_cast<unsigned>(ne)); };
        for (int q = 0; q < 40; ++q) {
            const int a = edge(), b = edge(), c = edge(), d = (rng() % 2) ? edge() : -1;
            ASSERT_EQ(m.FindPolygonByEdges(a, b, c, d), s.FindPolygon(a, b, c, d));
        }
        for (int i = 0; i < m.PolygonCount(); ++i) {
            const PolygonObject* p = m.PolygonAt(i);
            if (p->EdgeCount() < 3) continue;
            const int a = p->EdgeAt(0)->Index(), b = p->EdgeAt(1)->Index(), c = p->EdgeAt(2)->Index();
            const int d = p->EdgeCount() == 4 ? p->EdgeAt(3)->Index() : -1;
            ASSERT_EQ(m.FindPolygonByEdges(a, b, c, d), s.FindPolygon(a, b, c, d));
            ASSERT_EQ(m.FindPolygonByEdges(c, a, b, -1), s.FindPolygon(c, a, b, -1));
            ASSERT_EQ(m.FindPolygonByEdges(a, a, b, -1), s.FindPolygon(a, a, b, -1));
        }
    }
};

TEST_F(LoadMatchesScanTest, SmallDenseObjects) {
    std::mt19937 rng(20240611);
    for (int trial = 0; trial < 300; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        CompareOn(rng, 8, 24);
        if (HasFatalFailure()) return;
    }
}

TEST_F(LoadMatchesScanTest, LargerObjectsThatOutgrowTheReservations) {
    std::mt19937 rng(77);
    for (int trial = 0; trial < 30; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        CompareOn(rng, 60, 400);
        if (HasFatalFailure()) return;
    }
}

}  // namespace

namespace {

// The first edge between a and b as a scan of the edge array finds it.
int ScanEdge(const ZUM_MQObject& m, int a, int b) {
    for (int i = 0; i < m.EdgeCount(); ++i) {
        const int x = m.EdgeAt(i)->VertexAt(0)->Index(), y = m.EdgeAt(i)->VertexAt(1)->Index();
        if ((x == a && y == b) || (x == b && y == a)) return i;
    }
    return -1;
}

TEST_F(LoadMatchesScanTest, AppendedEdgesBetweenBusyAndQuietVerticesAreFoundLowestFirst) {
    // AddEdge does not look for an edge that is there already, so pairs get
    // several edges; a few hub vertices get far more edges than the others.
    std::mt19937 rng(5);
    for (int trial = 0; trial < 20; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        MQObject o = MakeObject({}, {});
        ZUM_MQObject m;
        m.LoadFromHost(o);
        const int nv = 5 + static_cast<int>(rng() % 40);
        for (int i = 0; i < nv; ++i) m.AddVertex(ZUM_MQVector(i, 0, 0));
        auto pick = [&]() {
            const int r = static_cast<int>(rng() % 100);
            return r < 40 ? static_cast<int>(rng() % 3) : static_cast<int>(rng() % static_cast<unsigned>(nv));
        };
        for (int step = 0; step < 600; ++step) {
            const int a = pick(), b = pick();
            m.AddEdge(m.VertexAt(a), m.VertexAt(b));
            if (step % 50 == 0 || step == 599) {
                for (int x = 0; x < nv; ++x)
                    for (int y = 0; y < nv; ++y) ASSERT_EQ(m.FindEdgeByVertices(x, y), ScanEdge(m, x, y)) << x << ", " << y;
            }
        }
        EXPECT_EQ(m.FindEdgeByVertices(-1, 0), -1);
        EXPECT_EQ(m.FindEdgeByVertices(0, nv), -1);
    }
}

}  // namespace
