#include "thicken/thicken_object.h"

#include <vector>

#include "mesh/zum_mq_object.h"
#include "platform/run_counts.h"
#include "platform/stage_marks.h"
#include "plugin/host_api.h"
#include "plugin/thicken_settings.h"
#include "thicken/even_offsets.h"
#include "thicken/weld_distances.h"

namespace {

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

// The unit normal of every vertex of the unmoved work surface, left in each
// vertex's normal slot: the copies' models take over these very vertices, so
// the slots are the normal array of the run, index-aligned with every model.
// With even thickness the slots hold the even offset vectors instead, and
// the copies are moved by them in the same way.
void ComputeNormals(ZUM_MQObject& workModel) {
    const int n = workModel.VertexCount();
    for (int i = 0; i < n; ++i) workModel.VertexAt(i)->ComputeVertexNormal();
}

// Moves every vertex of the front copy along its normal.
void MoveFront(ZUM_MQObject& frontModel, double offset) {
    const int n = frontModel.VertexCount();
    for (int i = 0; i < n; ++i) {
        VertexObject* v = frontModel.VertexAt(i);
        v->Translate(ZUM_MQVector::Scaled(v->Normal(), offset));
    }
}

// Moves every vertex of the back copy against its normal.
void MoveBack(ZUM_MQObject& backModel, double offset) {
    const int n = backModel.VertexCount();
    for (int i = 0; i < n; ++i) {
        VertexObject* v = backModel.VertexAt(i);
        v->Translate(ZUM_MQVector::Scaled(ZUM_MQVector::Negated(v->Normal()), offset));
    }
}

// An open edge of the front copy (one used by exactly one polygon): its
// index, the positions of its ends as the wall runs along the front copy
// (against its polygon: `to` first), and which end of the edge its polygon
// leaves from, so that the back copy's edge is read the same way.
struct OpenEdge {
    int index;
    ZUM_MQVector to;
    ZUM_MQVector from;
    int fromEnd;
};

// Which end of `edge` its polygon's corner order leaves from: the polygon
// runs from corner k to corner k + 1 along its edge k. An edge's own end
// order is that of the face that first named it, which may have been a line
// running the other way or a polygon whose chain broke; the wall must follow
// the polygon it closes.
int EndThePolygonLeavesFrom(const EdgeObject& edge) {
    const PolygonObject* polygon = edge.Polygons()[0];
    const int edges = polygon->EdgeCount();
    for (int k = 0; k < edges; ++k) {
        if (polygon->EdgeAt(k) != &edge) continue;
        const VertexObject* from = polygon->VertexAt(k);
        const VertexObject* to = polygon->VertexAt(k + 1 < edges ? k + 1 : 0);
        if (from == edge.VertexAt(1) && to == edge.VertexAt(0)) return 1;
        break;
    }
    return 0;
}

std::vector<OpenEdge> OpenEdgesOf(const ZUM_MQObject& frontModel) {
    std::vector<OpenEdge> open;
    const int m = frontModel.EdgeCount();
    for (int i = 0; i < m; ++i) {
        const EdgeObject* front = frontModel.EdgeAt(i);
        if (front->PolygonCount() != 1) continue;
        const int from = EndThePolygonLeavesFrom(*front);
        open.push_back({i, front->VertexAt(1 - from)->Position(), front->VertexAt(from)->Position(), from});
    }
    return open;
}

// One quad per open edge of the surface, joining the front copy's edge, run
// against its polygon, to the back copy's edge, run along it, so that the
// walls face the way the front and the turned back copy face.
void BuildSideWalls(const std::vector<OpenEdge>& frontOpenEdges, ZUM_MQObject& backModel,
                    ZUM_MQObject& sideModel) {
    for (const OpenEdge& front : frontOpenEdges) {
        EdgeObject* back = backModel.EdgeAt(front.index);
        VertexObject* a = sideModel.AddVertex(front.to);
        VertexObject* b = sideModel.AddVertex(front.from);
        VertexObject* c = sideModel.AddVertex(back->VertexAt(front.fromEnd)->Position());
        VertexObject* d = sideModel.AddVertex(back->VertexAt(1 - front.fromEnd)->Position());
        EdgeObject* ab = sideModel.AddEdge(a, b);
        EdgeObject* bc = sideModel.AddEdge(b, c);
        EdgeObject* cd = sideModel.AddEdge(c, d);
        EdgeObject* da = sideModel.AddEdge(d, a);
        sideModel.AddPolygon(ab, bc, cd, da);
    }
}

// The copies are paired with the work model by index: a copy whose model
// came out with other vertex or edge counts (a host whose clone is not a
// faithful copy) cannot be thickened.
bool MatchesSurface(const ZUM_MQObject& copy, int vertices, int edges) {
    return copy.VertexCount() == vertices && copy.EdgeCount() == edges;
}

}  // namespace

bool ThickenObject(MQObject& work) {
    if (!work) return false;
    MarkStage("loads");
    ZUM_MQObject workModel;
    workModel.LoadFromHost(work);

    // The normals read the work model alone and call no host function, so
    // they are computed before the copies are made. The copies are clones of
    // the work object, so their models would come out the same as the work
    // model but for the positions: the front model takes over the work
    // model's elements, normal slots included, and reads the positions
    // again, is moved and read out (the points its commit writes, and the
    // ends of its open edges), and hands the elements on to the back model
    // in the same way. So one model of the surface is built and held at a
    // time.
    MarkStage("normals");
    if (ThickenSettings.evenThickness)
        ReportCount("even offsets capped", ComputeEvenOffsets(workModel));
    else
        ComputeNormals(workModel);
    const int surfaceVertices = workModel.VertexCount();
    const int surfaceEdges = workModel.EdgeCount();
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

    if (!frontModel.LoadCopyFromHost(temporary.front, workModel) ||
        !MatchesSurface(frontModel, surfaceVertices, surfaceEdges))
        return false;
    MarkStage("move and commit");
    MoveFront(frontModel, offsets.front);
    CommitImage frontPoints;
    frontModel.CapturePoints(frontPoints);
    const std::vector<OpenEdge> frontOpenEdges = OpenEdgesOf(frontModel);
    ZUM_MQObject backModel;

    MarkStage("loads");
    ZUM_MQObject sideModel;
    if (!backModel.LoadCopyFromHost(temporary.back, frontModel) ||
        !MatchesSurface(backModel, surfaceVertices, surfaceEdges))
        return false;
    sideModel.LoadFromHost(temporary.side);

    MarkStage("move and commit");
    MoveBack(backModel, offsets.back);
    // The front copy's faces are those of the elements the back model holds.
    if (!frontModel.WriteCommit(frontPoints, backModel)) return false;
    frontPoints = CommitImage();
    backModel.CommitToHost();

    MarkStage("sides");
    BuildSideWalls(frontOpenEdges, backModel, sideModel);
    sideModel.CommitToHost();
    HostApi.MQObj_OptimizeVertex(temporary.side, kShellWeldDistance, nullptr);
    HostApi.MQObj_Compact(temporary.side);

    MarkStage("inversion");
    backModel.InvertHostFacesAndRelease();
    sideModel.ReleaseModel();
    MarkStage("merges");
    workModel.ClearHostFaces();

    if (makeFront) HostApi.MQObj_Merge(work, temporary.front);
    if (makeBack) HostApi.MQObj_Merge(work, temporary.back);
    if (makeSide) HostApi.MQObj_Merge(work, temporary.side);
    return true;
}
