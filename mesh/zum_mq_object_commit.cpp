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

void ZUM_MQObject::CommitToHost() {
    if (!hostObject) return;
    ClearHostFaces();

    // The host object is empty now: what is added is numbered from 0 in the
    // order added, so model vertex i becomes host vertex i.
    MQPoint point{};
    for (const VertexObject* v : vertices) {
        v->Position().ToPoint(point);
        HostApi.MQObj_AddVertex(hostObject, &point);
    }

    int face = 0;
    int points[4];
    MQCoordinate uvs[4];
    for (const EdgeObject* e : edges) {
        if (e->PolygonCount() != 0) continue;
        points[0] = e->VertexAt(0)->Index();
        points[1] = e->VertexAt(1)->Index();
        HostApi.MQObj_AddFace(hostObject, 2, points);
        ++face;
    }

    for (const PolygonObject* p : polygons) {
        // A host face holds 3 or 4 points here. A polygon with no corners (a
        // chain that could not be walked) or with 5 (a face that repeats a
        // vertex) has no faithful host face and is left out.
        const int n = p->VertexCount();
        if (n != 3 && n != 4) continue;
        for (int k = 0; k < n; ++k) points[k] = p->VertexAt(k)->Index();
        const bool hasUV = p->HasUV();
        if (hasUV) {
            for (int k = 0; k < n; ++k) {
                uvs[k].u = static_cast<float>(p->UAt(k));
                uvs[k].v = static_cast<float>(p->VAt(k));
            }
        }
        HostApi.MQObj_AddFace(hostObject, n, points);
        if (hasUV) HostApi.MQObj_SetFaceCoordinateArray(hostObject, face, uvs);
        if (p->Material() >= 0) HostApi.MQObj_SetFaceMaterial(hostObject, face, p->Material());
        ++face;
    }
}

bool ZUM_MQObject::InvertHostFaces() {
    if (hostObject) {
        const int n = HostApi.MQObj_GetFaceCount(hostObject);
        for (int f = 0; f < n; ++f) HostApi.MQObj_InvertFace(hostObject, f);
    }
    Reload();
    return true;
}
