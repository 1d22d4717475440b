#include "thicken/thicken_object.h"

#include <cassert>
#include <vector>

#include "mesh/zum_mq_object.h"
#include "platform/stage_marks.h"
#include "plugin/host_api.h"
#include "plugin/thicken_settings.h"

namespace {

// Side quads whose corners lie closer than this are joined into one wall.
constexpr float kSideWeldDistance = 0.001f;

struct Offsets {
    double front;
    double back;
};

Offsets OffsetsFor(double thickness, ThicknessDirection direction) {
    switch (direction) {
    case ThicknessDirection::Front: return {thickness, 0.0};
    case ThicknessDirection::Back: return {0.0, thickness};
    case ThicknessDirection::Center: break;
    }
    return {thickness * 0.5, thickness * 0.5};
}

// The host's temporary objects of one run, released together.
struct TemporaryObjects {
    MQObject front = nullptr;
    MQObject back = nullptr;
    MQObject side = nullptr;

    ~TemporaryObjects() {
        if (front) HostApi.MQObj_Delete(front);
        if (back) HostApi.MQObj_Delete(back);
        if (side) HostApi.MQObj_Delete(side);
    }
};

// The unit normal of every vertex of the unmoved work surface, by index.
std::vector<ZUM_MQVector> VertexNormals(ZUM_MQObject& workModel) {
    const int n = workModel.VertexCount();
    std::vector<ZUM_MQVector> normals(n);
    for (int i = 0; i < n; ++i) normals[i].Assign(workModel.VertexAt(i)->ComputeVertexNormal());
    return normals;
}

// Moves every vertex of the front copy along its normal and every vertex of
// the back copy against it.
void MoveCopies(const std::vector<ZUM_MQVector>& normals, ZUM_MQObject& frontModel,
                ZUM_MQObject& backModel, const Offsets& offsets) {
    const int n = static_cast<int>(normals.size());
    assert(frontModel.VertexCount() == n && backModel.VertexCount() == n);
    for (int i = 0; i < n; ++i) {
        frontModel.VertexAt(i)->Translate(ZUM_MQVector::Scaled(normals[i], offsets.front));
        backModel.VertexAt(i)->Translate(
            ZUM_MQVector::Scaled(ZUM_MQVector::Negated(normals[i]), offsets.back));
    }
}

// One quad per open edge of the surface, joining the front copy's edge, run
// backwards, to the back copy's edge, so that the walls face the way the
// front and the turned back copy face.
void BuildSideWalls(int m, ZUM_MQObject& frontModel, ZUM_MQObject& backModel, ZUM_MQObject& sideModel) {
    assert(frontModel.EdgeCount() == m && backModel.EdgeCount() == m);
    for (int i = 0; i < m; ++i) {
        EdgeObject* front = frontModel.EdgeAt(i);
        if (front->PolygonCount() != 1) continue;
        EdgeObject* back = backModel.EdgeAt(i);
        VertexObject* a = sideModel.AddVertex(front->VertexAt(1)->Position());
        VertexObject* b = sideModel.AddVertex(front->VertexAt(0)->Position());
        VertexObject* c = sideModel.AddVertex(back->VertexAt(0)->Position());
        VertexObject* d = sideModel.AddVertex(back->VertexAt(1)->Position());
        EdgeObject* ab = sideModel.AddEdge(a, b);
        EdgeObject* bc = sideModel.AddEdge(b, c);
        EdgeObject* cd = sideModel.AddEdge(c, d);
        EdgeObject* da = sideModel.AddEdge(d, a);
        sideModel.AddPolygon(ab, bc, cd, da);
    }
}

}  // namespace

bool ThickenObject(MQObject& work) {
    assert(work);
    MarkStage("loads");
    ZUM_MQObject workModel;
    workModel.LoadFromHost(work);

    // The normals read the work model alone and call no host function, so
    // they are computed before the copies are made; then the work model's
    // elements, which nothing reads afterwards, go, and the front model
    // takes their memory. Each model is released as soon as it is no longer
    // read, so that the run never holds more than two models of the surface
    // at once. The host sees the same calls in the same order.
    MarkStage("normals");
    const std::vector<ZUM_MQVector> normals = VertexNormals(workModel);
    const int surfaceEdges = workModel.EdgeCount();
    ZUM_MQObject frontModel;
    frontModel.TakeStorage(workModel);
    MarkStage("loads");

    // Nothing is changed before the three objects exist: a host that cannot
    // deliver one leaves the work object as it came.
    TemporaryObjects temporary;
    temporary.front = HostApi.MQObj_Clone(work);
    if (temporary.front) temporary.back = HostApi.MQObj_Clone(work);
    if (temporary.back) temporary.side = HostApi.MQ_CreateObject();
    if (!temporary.side) return false;

    ZUM_MQObject backModel;
    ZUM_MQObject sideModel;
    frontModel.LoadFromHost(temporary.front);
    backModel.LoadFromHost(temporary.back);
    sideModel.LoadFromHost(temporary.side);

    const bool makeFront = ThickenSettings.makeFront;
    const bool makeSide = ThickenSettings.makeSide;
    const bool makeBack = ThickenSettings.makeBack;
    const Offsets offsets = OffsetsFor(ThickenSettings.thickness, ThickenSettings.direction);

    MarkStage("move and commit");
    MoveCopies(normals, frontModel, backModel, offsets);
    frontModel.CommitToHost();
    backModel.CommitToHost();

    MarkStage("sides");
    BuildSideWalls(surfaceEdges, frontModel, backModel, sideModel);
    frontModel.ReleaseModel();
    sideModel.CommitToHost();
    HostApi.MQObj_OptimizeVertex(temporary.side, kSideWeldDistance, nullptr);
    HostApi.MQObj_Compact(temporary.side);

    MarkStage("inversion");
    backModel.InvertHostFaces();
    backModel.ReleaseModel();
    sideModel.ReleaseModel();
    MarkStage("merges");
    workModel.ClearHostFaces();

    if (makeFront) HostApi.MQObj_Merge(work, temporary.front);
    if (makeBack) HostApi.MQObj_Merge(work, temporary.back);
    if (makeSide) HostApi.MQObj_Merge(work, temporary.side);
    return true;
}
