#include "plugin/thicken_command.h"

#include <vector>

#include "platform/stage_marks.h"
#include "plugin/host_api.h"
#include "plugin/module_instance.h"
#include "plugin/resource_ids.h"
#include "plugin/thicken_dialog.h"
#include "thicken/thicken_object.h"
#include "thicken/weld_distances.h"

namespace {

// One face's data on its way from a source object to the work object, reused
// from face to face and grown to the largest point count met.
struct FaceBuffers {
    std::vector<int> sourcePoints;
    std::vector<int> copies;
    std::vector<MQCoordinate> uvs;

    void Resize(int points) {
        sourcePoints.resize(points);
        copies.resize(points);
        uvs.resize(points);
    }
};

// Appends face `face` of `source` to `work` with fresh vertices of its own,
// its UV pairs point by point and its material.
void CopyFace(MQObject source, int face, int points, MQObject work, FaceBuffers& buffers) {
    buffers.Resize(points);
    HostApi.MQObj_GetFaceCoordinateArray(source, face, buffers.uvs.data());
    const int material = HostApi.MQObj_GetFaceMaterial(source, face);
    HostApi.MQObj_GetFacePointArray(source, face, buffers.sourcePoints.data());
    for (int j = 0; j < points; ++j) {
        MQPoint point;
        HostApi.MQObj_GetVertex(source, buffers.sourcePoints[j], &point);
        buffers.copies[j] = HostApi.MQObj_AddVertex(work, &point);
        HostApi.MQObj_CopyVertexAttribute(work, buffers.copies[j], source, buffers.sourcePoints[j]);
    }
    HostApi.MQObj_AddFace(work, points, buffers.copies.data());
    const int added = HostApi.MQObj_GetFaceCount(work) - 1;
    HostApi.MQObj_SetFaceCoordinateArray(work, added, buffers.uvs.data());
    HostApi.MQObj_SetFaceMaterial(work, added, material);
}

bool Contributes(MQObject object) {
    return object && HostApi.MQObj_GetVisible(object) &&
           HostApi.MQObj_GetIntValue(object, MQOBJ_ID_LOCKING) == 0;
}

// Copies every selected face with points of every visible, unlocked object
// of `document` into `work`. Merges nothing: shared vertices are copied once
// per face.
void HarvestSelectedFaces(MQDocument document, MQObject work) {
    FaceBuffers buffers;
    const int slots = HostApi.MQDoc_GetObjectCount(document);
    for (int slot = 0; slot < slots; ++slot) {
        MQObject object = HostApi.MQDoc_GetObject(document, slot);
        if (!Contributes(object)) continue;
        const int faces = HostApi.MQObj_GetFaceCount(object);
        for (int face = 0; face < faces; ++face) {
            if (!HostApi.MQDoc_IsSelectFace(document, slot, face)) continue;
            const int points = HostApi.MQObj_GetFacePointCount(object, face);
            if (points <= 0) continue;
            CopyFace(object, face, points, work, buffers);
        }
    }
}

// Owns the work object until it is handed to the document: any way out of
// the command before that releases it.
struct WorkObject {
    MQObject object = nullptr;

    ~WorkObject() {
        if (object) HostApi.MQObj_Delete(object);
    }
    MQObject Release() {
        MQObject handed = object;
        object = nullptr;
        return handed;
    }
};

}  // namespace

bool RunThickenCommand(MQDocument document) {
    const INT_PTR answer =
        DialogBoxParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_THICKEN),
                        HostApi.MQ_GetWindowHandle(), ThickenDialogProc, 0);
    // -1: the dialog could not be created, so nobody confirmed anything.
    if (answer == 0 || answer == -1) return false;

    MarkStage("harvest");
    WorkObject work{HostApi.MQ_CreateObject()};
    if (!work.object) return false;
    HarvestSelectedFaces(document, work.object);
    if (HostApi.MQObj_GetFaceCount(work.object) <= 0) return true;
    MarkStage("first weld");
    HostApi.MQObj_OptimizeVertex(work.object, kHarvestWeldDistance, nullptr);
    if (!ThickenObject(work.object)) return false;
    MarkStage("final weld");
    HostApi.MQObj_Compact(work.object);
    HostApi.MQObj_OptimizeVertex(work.object, kShellWeldDistance, nullptr);
    HostApi.MQDoc_AddObject(document, work.Release());
    return true;
}
