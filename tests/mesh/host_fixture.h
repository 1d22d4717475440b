// A fixture for tests of the mesh container against the reference host: the
// host table is bound to the host in this process, and the host objects a
// test makes are released at its end.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "host/bind_in_process.h"
#include "host/main_window.h"
#include "mesh/zum_mq_object.h"
#include "platform/message_box_log.h"
#include "plugin/host_api.h"

// A host face as a test writes or reads it.
struct TestFace {
    TestFace() {}
    TestFace(std::vector<int> p, std::vector<MQCoordinate> uv = {}, int m = -1)
        : points(std::move(p)), uvs(std::move(uv)), material(m) {}

    std::vector<int> points;
    std::vector<MQCoordinate> uvs;  // empty: the host's default
    int material = -1;
};

inline bool operator==(const MQCoordinate& a, const MQCoordinate& b) { return a.u == b.u && a.v == b.v; }
inline bool operator==(const TestFace& a, const TestFace& b) {
    return a.points == b.points && a.uvs == b.uvs && a.material == b.material;
}
inline std::ostream& operator<<(std::ostream& out, const TestFace& f) {
    out << "{points";
    for (int p : f.points) out << ' ' << p;
    out << "; uvs";
    for (const MQCoordinate& c : f.uvs) out << " (" << c.u << ',' << c.v << ')';
    return out << "; material " << f.material << '}';
}

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        saved = HostApi;
        BindHostApiInProcess();
        ClearRecordedMessageBoxes();
    }
    void TearDown() override {
        for (MQObject o : objects) HostApi.MQObj_Delete(o);
        HostApi = saved;
        ClearRecordedMessageBoxes();
    }

    // A new host object with the given vertices and faces.
    MQObject MakeObject(const std::vector<MQPoint>& vertices, const std::vector<TestFace>& faces) {
        MQObject o = Keep(HostApi.MQ_CreateObject());
        for (MQPoint p : vertices) HostApi.MQObj_AddVertex(o, &p);
        for (const TestFace& f : faces) {
            std::vector<int> points = f.points;
            HostApi.MQObj_AddFace(o, static_cast<int>(points.size()), points.data());
            const int index = HostApi.MQObj_GetFaceCount(o) - 1;
            if (!f.uvs.empty()) {
                std::vector<MQCoordinate> uvs = f.uvs;
                HostApi.MQObj_SetFaceCoordinateArray(o, index, uvs.data());
            }
            if (f.material >= 0) HostApi.MQObj_SetFaceMaterial(o, index, f.material);
        }
        return o;
    }

    MQObject Keep(MQObject o) {
        objects.push_back(o);
        return o;
    }

    // Vertices 0 .. n-1 at (i, 2i, 3i) + small offsets, distinct.
    static std::vector<MQPoint> Points(int n) {
        std::vector<MQPoint> out;
        for (int i = 0; i < n; ++i) out.push_back(MQPoint{i * 1.25f, i * 0.5f + 0.1f, -0.3f * i});
        return out;
    }

    // The faces of a host object, with their UV pairs and materials.
    static std::vector<TestFace> ReadFaces(MQObject o) {
        std::vector<TestFace> out;
        const int n = HostApi.MQObj_GetFaceCount(o);
        for (int f = 0; f < n; ++f) {
            const int c = HostApi.MQObj_GetFacePointCount(o, f);
            TestFace face;
            face.points.resize(c);
            face.uvs.resize(c);
            if (c > 0) {
                HostApi.MQObj_GetFacePointArray(o, f, face.points.data());
                HostApi.MQObj_GetFaceCoordinateArray(o, f, face.uvs.data());
            }
            face.material = HostApi.MQObj_GetFaceMaterial(o, f);
            out.push_back(face);
        }
        return out;
    }

    static std::vector<MQPoint> ReadVertices(MQObject o) {
        std::vector<MQPoint> out(HostApi.MQObj_GetVertexCount(o));
        for (size_t i = 0; i < out.size(); ++i) HostApi.MQObj_GetVertex(o, static_cast<int>(i), &out[i]);
        return out;
    }

    // Indices of the two ends of edge i.
    static std::pair<int, int> Ends(const ZUM_MQObject& m, int i) {
        return {m.EdgeAt(i)->VertexAt(0)->Index(), m.EdgeAt(i)->VertexAt(1)->Index()};
    }

    static std::vector<int> Corners(const PolygonObject* p) {
        std::vector<int> out;
        for (int k = 0; k < p->VertexCount(); ++k) out.push_back(p->VertexAt(k)->Index());
        return out;
    }

    std::vector<MQObject> objects;
    HostApiTable saved{};
};
