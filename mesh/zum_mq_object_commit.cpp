// ZUM_MQObject: writing the model back into its host object, and the
// operations on all of the host object's faces at once.
#include "mesh/zum_mq_object.h"

#include "plugin/host_api.h"

void ZUM_MQObject::ClearHostFaces() {
    if (!hostObject) return;
    const int n = HostApi.MQObj_GetFaceCount(hostObject);
    // A deleted face keeps its slot (with no points) until compaction, so the
    // loop runs over the numbering it started with.
    for (int f = 0; f < n; ++f)
        if (HostApi.MQObj_GetFacePointCount(hostObject, f) != 0) HostApi.MQObj_DeleteFace(hostObject, f, 1);
    HostApi.MQObj_Compact(hostObject);
}

namespace {

// A host face holds 3 or 4 points here. A polygon with no corners (a chain
// that could not be walked) or with 5 (a face that repeats a vertex) has no
// faithful host face and is left out.
bool Writable(const PolygonObject& p) { return p.VertexCount() == 3 || p.VertexCount() == 4; }

}  // namespace

void ZUM_MQObject::CommitToHost() {
    if (!hostObject) return;
    ClearHostFaces();
    vertices.ForEach([this](const VertexObject* v) {
        MQPoint point;
        v->Position().ToPoint(point);
        HostApi.MQObj_AddVertex(hostObject, &point);
    });
    WriteFacesOf(*this);
}

void ZUM_MQObject::CapturePoints(CommitImage& image) const {
    image.stamp = stamp;
    image.points.resize(vertices.Size());
    MQPoint* point = image.points.data();
    vertices.ForEach([&point](const VertexObject* v) { v->Position().ToPoint(*point++); });
}

void ZUM_MQObject::WritePoints(const std::vector<MQPoint>& points) {
    ClearHostFaces();
    // The host object is empty now: what is added is numbered from 0 in the
    // order added, so model vertex i becomes host vertex i.
    for (const MQPoint& p : points) {
        MQPoint point = p;
        HostApi.MQObj_AddVertex(hostObject, &point);
    }
}

bool ZUM_MQObject::WriteCommit(const CommitImage& image, const ZUM_MQObject& elements) {
    if (image.stamp != elements.stamp || image.points.size() != elements.vertices.Size()) return false;
    if (!hostObject) return true;
    WritePoints(image.points);
    WriteFacesOf(elements);
    return true;
}

void ZUM_MQObject::WriteFacesOf(const ZUM_MQObject& elements) {
    int face = 0;
    int points[4];
    elements.edges.ForEach([&](const EdgeObject* e) {
        if (e->PolygonCount() != 0) return;
        points[0] = e->VertexAt(0)->Index();
        points[1] = e->VertexAt(1)->Index();
        HostApi.MQObj_AddFace(hostObject, 2, points);
        ++face;
    });

    MQCoordinate uvs[4];
    elements.polygons.ForEach([&](const PolygonObject* p) {
        if (!Writable(*p)) return;
        const int n = p->VertexCount();
        for (int k = 0; k < n; ++k) points[k] = p->VertexAt(k)->Index();
        HostApi.MQObj_AddFace(hostObject, n, points);
        if (p->HasUV()) {
            for (int k = 0; k < n; ++k) {
                uvs[k].u = static_cast<float>(p->UAt(k));
                uvs[k].v = static_cast<float>(p->VAt(k));
            }
            HostApi.MQObj_SetFaceCoordinateArray(hostObject, face, uvs);
        }
        if (p->Material() >= 0) HostApi.MQObj_SetFaceMaterial(hostObject, face, p->Material());
        ++face;
    });
}

void ZUM_MQObject::TurnHostFaces() {
    if (!hostObject) return;
    const int n = HostApi.MQObj_GetFaceCount(hostObject);
    for (int f = 0; f < n; ++f) HostApi.MQObj_InvertFace(hostObject, f);
}

bool ZUM_MQObject::InvertHostFaces() {
    TurnHostFaces();
    Reload();
    return true;
}

void ZUM_MQObject::InvertHostFacesAndRelease() {
    TurnHostFaces();
    ReleaseModel();
}
