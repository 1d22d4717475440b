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

// Moves every vertex of the front copy along its normal.
void MoveFront(const std::vector<ZUM_MQVector>& normals, ZUM_MQObject& frontModel, double offset) {
    const int n = static_cast<int>(normals.size());
    assert(frontModel.VertexCount() == n);
    for (int i = 0; i < n; ++i) frontModel.VertexAt(i)->Translate(ZUM_MQVector::Scaled(normals[i], offset));
}

// Moves every vertex of the back copy against its normal.
void MoveBack(const std::vector<ZUM_MQVector>& normals, ZUM_MQObject& backModel, double offset) {
    const int n = static_cast<int>(normals.size());
    assert(backModel.VertexCount() == n);
    for (int i = 0; i < n; ++i)
        backModel.VertexAt(i)->Translate(ZUM_MQVector::Scaled(ZUM_MQVector::Negated(normals[i]), offset));
}

// An open edge of the front copy (one used by exactly one polygon): its
// index and the positions of its ends, end 1 first, as the wall runs.
struct OpenEdge {
    int index;
    ZUM_MQVector end1;
    ZUM_MQVector end0;
};

std::vector<OpenEdge> OpenEdgesOf(const ZUM_MQObject& frontModel) {
    std::vector<OpenEdge> open;
    const int m = frontModel.EdgeCount();
    for (int i = 0; i < m; ++i) {
        const EdgeObject* front = frontModel.EdgeAt(i);
        if (front->PolygonCount() != 1) continue;
        open.push_back({i, front->VertexAt(1)->Position(), front->VertexAt(0)->Position()});
    }
    return open;
}

// One quad per open edge of the surface, joining the front copy's edge, run
// backwards, to the back copy's edge, so that the walls face the way the
// front and the turned back copy face.
void BuildSideWalls(const std::vector<OpenEdge>& frontOpenEdges, ZUM_MQObject& backModel,
                    ZUM_MQObject& sideModel) {
    for (const OpenEdge& front : frontOpenEdges) {
        EdgeObject* back = backModel.EdgeAt(front.index);
        VertexObject* a = sideModel.AddVertex(front.end1);
        VertexObject* b = sideModel.AddVertex(front.end0);
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
    // they are computed before the copies are made. The copies are clones of
    // the work object, so their models would come out the same as the work
    // model but for the positions: the front model takes over the work
    // model's elements and reads the positions again, is moved and read out
    // (what its commit writes, and the ends of its open edges), and hands
    // the elements on to the back model in the same way. So one model of the
    // surface is built and held at a time.
    MarkStage("normals");
    const std::vector<ZUM_MQVector> normals = VertexNormals(workModel);
    const int surfaceEdges = workModel.EdgeCount();
    static_cast<void>(surfaceEdges);  // the copies must have the same edges
    ZUM_MQObject frontModel;
    MarkStage("loads");

    // Nothing is changed before the three objects exist: a host that cannot
    // deliver one leaves the work object as it came.
    TemporaryObjects temporary;
    temporary.front = HostApi.MQObj_Clone(work);
    if (temporary.front) temporary.back = HostApi.MQObj_Clone(work);
    if (temporary.back) temporary.side = HostApi.MQ_CreateObject();
    if (!temporary.side) return false;

    const bool makeFront = ThickenSettings.makeFront;
    const bool makeSide = ThickenSettings.makeSide;
    const bool makeBack = ThickenSettings.makeBack;
    const Offsets offsets = OffsetsFor(ThickenSettings.thickness, ThickenSettings.direction);

    frontModel.LoadCopyFromHost(temporary.front, workModel);
    assert(frontModel.EdgeCount() == surfaceEdges);
    MarkStage("move and commit");
    MoveFront(normals, frontModel, offsets.front);
    CommitImage frontImage = frontModel.CaptureCommit();
    const std::vector<OpenEdge> frontOpenEdges = OpenEdgesOf(frontModel);
    ZUM_MQObject backModel;

    MarkStage("loads");
    ZUM_MQObject sideModel;
    backModel.LoadCopyFromHost(temporary.back, frontModel);
    assert(backModel.EdgeCount() == surfaceEdges);
    sideModel.LoadFromHost(temporary.side);

    MarkStage("move and commit");
    MoveBack(normals, backModel, offsets.back);
    frontModel.WriteCommit(frontImage);
    // The back copy's commit, in the room the front image had.
    backModel.CaptureCommit(frontImage);
    backModel.WriteCommit(frontImage);
    frontImage = CommitImage();

    MarkStage("sides");
    BuildSideWalls(frontOpenEdges, backModel, sideModel);
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
