// The object functions of the C interface. Each checks its handle and
// indices and forwards to MQObjectRec.
#include <cstring>

#include "host/merge_observer.h"
#include "host/mq_functions.h"
#include "host/unoffered.h"

void MQAPICALL MQObj_Delete(MQObject o) {
    if (o && o->document == nullptr) delete o;
}

MQObject MQAPICALL MQObj_Clone(MQObject o) { return o ? o->Clone() : nullptr; }

BOOL MQAPICALL MQObj_Merge(MQObject target, MQObject source) {
    if (!target || !source || target == source) return FALSE;
    const int32_t firstFaceId = target->nextFaceId;
    target->Merge(*source);
    NotifyMerge(target, firstFaceId, target->nextFaceId - firstFaceId);
    return TRUE;
}

void MQAPICALL MQObj_Freeze(MQObject, DWORD) { HOST_UNOFFERED("MQObj_Freeze"); }

void MQAPICALL MQObj_GetName(MQObject o, char* buffer, int size) {
    CopyText(o ? o->name : std::string(), buffer, size);
}

void MQAPICALL MQObj_SetName(MQObject o, const char* name) {
    if (o) o->name = name ? name : "";
}

// ---- vertices

int MQAPICALL MQObj_GetVertexCount(MQObject o) { return o ? o->VertexCount() : 0; }

void MQAPICALL MQObj_GetVertex(MQObject o, int v, MQPoint* p) {
    if (!p) return;
    *p = o && o->IsVertex(v) ? o->positions[v] : MQPoint{0.0f, 0.0f, 0.0f};
}

void MQAPICALL MQObj_SetVertex(MQObject o, int v, MQPoint* p) {
    if (o && p && o->IsLiveVertex(v)) o->positions[v] = *p;
}

void MQAPICALL MQObj_GetVertexArray(MQObject o, MQPoint* points) {
    if (o && points && !o->positions.empty())
        std::memcpy(points, o->positions.data(), o->positions.size() * sizeof(MQPoint));
}

int MQAPICALL MQObj_AddVertex(MQObject o, MQPoint* p) { return o && p ? o->AddVertex(*p) : -1; }

BOOL MQAPICALL MQObj_DeleteVertex(MQObject o, int v) { return o && o->DeleteVertex(v) ? TRUE : FALSE; }

int MQAPICALL MQObj_GetVertexRefCount(MQObject o, int v) {
    return o && o->IsLiveVertex(v) ? o->vertexRefs[v] : 0;
}

int MQAPICALL MQObj_GetVertexUniqueID(MQObject o, int v) {
    return o && o->IsVertex(v) ? o->vertexIds[v] : 0;
}

int MQAPICALL MQObj_GetVertexIndexFromUniqueID(MQObject o, int id) {
    return o ? o->VertexIndexFromUniqueId(id) : -1;
}

float MQAPICALL MQObj_GetVertexWeight(MQObject o, int v) {
    return o && o->IsVertex(v) ? o->weights[v] : 0.0f;
}

void MQAPICALL MQObj_SetVertexWeight(MQObject o, int v, float weight) {
    if (o && o->IsVertex(v)) o->weights[v] = weight;
}

void MQAPICALL MQObj_CopyVertexAttribute(MQObject target, int tv, MQObject source, int sv) {
    if (target && source) target->CopyVertexAttribute(tv, *source, sv);
}

BOOL MQAPICALL MQObj_OptimizeVertex(MQObject o, float distance, unsigned char* apply) {
    if (!o) return FALSE;
    o->Weld(distance, apply);
    return TRUE;
}

void MQAPICALL MQObj_Compact(MQObject o) {
    if (o) o->Compact();
}

// ---- faces

int MQAPICALL MQObj_GetFaceCount(MQObject o) { return o ? o->FaceCount() : 0; }

int MQAPICALL MQObj_GetFacePointCount(MQObject o, int f) {
    return o && o->IsFace(f) ? o->faces[f].count : 0;
}

void MQAPICALL MQObj_GetFacePointArray(MQObject o, int f, int* points) {
    if (!o || !points || !o->IsFace(f)) return;
    const HostFace& face = o->faces[f];
    for (int i = 0; i < face.count; ++i) points[i] = face.points[i];
}

void MQAPICALL MQObj_GetFaceCoordinateArray(MQObject o, int f, MQCoordinate* uvs) {
    if (!o || !uvs || !o->IsFace(f)) return;
    const HostFace& face = o->faces[f];
    for (int i = 0; i < face.count; ++i) uvs[i] = face.uvs[i];
}

void MQAPICALL MQObj_SetFaceCoordinateArray(MQObject o, int f, MQCoordinate* uvs) {
    if (!o || !uvs || !o->IsFace(f)) return;
    HostFace& face = o->faces[f];
    for (int i = 0; i < face.count; ++i) face.uvs[i] = uvs[i];
}

int MQAPICALL MQObj_GetFaceMaterial(MQObject o, int f) {
    return o && o->IsFace(f) ? o->faces[f].material : -1;
}

void MQAPICALL MQObj_SetFaceMaterial(MQObject o, int f, int material) {
    if (o && o->IsFace(f)) o->faces[f].material = material;
}

int MQAPICALL MQObj_GetFaceUniqueID(MQObject o, int f) {
    return o && o->IsFace(f) ? o->faces[f].uniqueId : 0;
}

int MQAPICALL MQObj_GetFaceIndexFromUniqueID(MQObject o, int id) {
    return o ? o->FaceIndexFromUniqueId(id) : -1;
}

int MQAPICALL MQObj_AddFace(MQObject o, int count, int* points) {
    return o ? o->AddFace(count, points) : -1;
}

BOOL MQAPICALL MQObj_DeleteFace(MQObject o, int f, BOOL deleteUnusedVertices) {
    return o && o->DeleteFace(f, deleteUnusedVertices != 0) ? TRUE : FALSE;
}

BOOL MQAPICALL MQObj_InvertFace(MQObject o, int f) { return o && o->InvertFace(f) ? TRUE : FALSE; }

DWORD MQAPICALL MQObj_GetFaceVertexColor(MQObject, int, int) {
    HOST_UNOFFERED("MQObj_GetFaceVertexColor");
    return 0;
}

void MQAPICALL MQObj_SetFaceVertexColor(MQObject, int, int, DWORD) {
    HOST_UNOFFERED("MQObj_SetFaceVertexColor");
}

// ---- properties

BOOL MQAPICALL MQObj_GetVisible(MQObject o) { return o && o->visible ? TRUE : FALSE; }

void MQAPICALL MQObj_SetVisible(MQObject o, DWORD visible) {
    if (o) o->visible = visible != 0;
}

int MQAPICALL MQObj_GetIntValue(MQObject o, int type) {
    if (type == MQOBJ_ID_LOCKING) return o && o->locked ? 1 : 0;
    HOST_UNOFFERED("MQObj_GetIntValue (ids other than locking)");
    return 0;
}

void MQAPICALL MQObj_SetIntValue(MQObject o, int type, int value) {
    if (type == MQOBJ_ID_LOCKING) {
        if (o) o->locked = value != 0;
        return;
    }
    HOST_UNOFFERED("MQObj_SetIntValue (ids other than locking)");
}

void MQAPICALL MQObj_GetFloatArray(MQObject, int, float*) { HOST_UNOFFERED("MQObj_GetFloatArray"); }

void MQAPICALL MQObj_SetFloatArray(MQObject, int, const float*) { HOST_UNOFFERED("MQObj_SetFloatArray"); }

#define HOST_UNOFFERED_GET(fn, type)     \
    type MQAPICALL fn(MQObject) {        \
        HOST_UNOFFERED(#fn);             \
        return 0;                        \
    }
#define HOST_UNOFFERED_SET(fn, type) \
    void MQAPICALL fn(MQObject, type) { HOST_UNOFFERED(#fn); }

HOST_UNOFFERED_GET(MQObj_GetPatchType, int)
HOST_UNOFFERED_SET(MQObj_SetPatchType, int)
HOST_UNOFFERED_GET(MQObj_GetPatchSegment, int)
HOST_UNOFFERED_SET(MQObj_SetPatchSegment, int)
HOST_UNOFFERED_GET(MQObj_GetShading, int)
HOST_UNOFFERED_SET(MQObj_SetShading, int)
HOST_UNOFFERED_GET(MQObj_GetSmoothAngle, float)
HOST_UNOFFERED_SET(MQObj_SetSmoothAngle, float)
HOST_UNOFFERED_GET(MQObj_GetMirrorType, int)
HOST_UNOFFERED_SET(MQObj_SetMirrorType, int)
HOST_UNOFFERED_GET(MQObj_GetMirrorAxis, DWORD)
HOST_UNOFFERED_SET(MQObj_SetMirrorAxis, DWORD)
HOST_UNOFFERED_GET(MQObj_GetMirrorDistance, float)
HOST_UNOFFERED_SET(MQObj_SetMirrorDistance, float)
HOST_UNOFFERED_GET(MQObj_GetLatheType, int)
HOST_UNOFFERED_SET(MQObj_SetLatheType, int)
HOST_UNOFFERED_GET(MQObj_GetLatheAxis, DWORD)
HOST_UNOFFERED_SET(MQObj_SetLatheAxis, DWORD)
HOST_UNOFFERED_GET(MQObj_GetLatheSegment, int)
HOST_UNOFFERED_SET(MQObj_SetLatheSegment, int)
