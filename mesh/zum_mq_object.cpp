// ZUM_MQObject: construction, the load from the host object, the lookups and
// the append operations.
#include "mesh/zum_mq_object.h"

#include <cassert>
#include <utility>

#include "plugin/host_api.h"

namespace {

// The edge between two vertices is looked for on the edge list of the one
// with fewer edges, while that list has at most this many entries: it is
// short and close in memory. The edges of busier vertices are kept in the
// pair index as well, so that no search is longer than this.
constexpr uint32_t kListSearchLimit = 12;

// The last stamp given to a set of elements, by any model.
uint64_t lastStamp = 0;

}  // namespace

void ZUM_MQObject::Restamp() { stamp = ++lastStamp; }

ZUM_MQObject::ZUM_MQObject() : hostObject(nullptr) {}

ZUM_MQObject::~ZUM_MQObject() {
    ClearModel();
    hostObject = nullptr;
}

bool ZUM_MQObject::LoadFromHost(MQObject object) {
    hostObject = object;
    return Reload();
}

bool ZUM_MQObject::Reload() {
    ClearModel();
    if (!hostObject) return true;
    HostApi.MQObj_Compact(hostObject);
    LoadVertices();
    LoadFaces();
    return true;
}

void ZUM_MQObject::ClearModel() {
    Restamp();
    vertices.Clear();
    edges.Clear();
    polygons.Clear();
    edgeIndex.Clear();
}

void ZUM_MQObject::ReleaseModel() {
    Restamp();
    vertices.Release();
    edges.Release();
    polygons.Release();
    edgeIndex.Clear();
}

void ZUM_MQObject::TakeStorage(ZUM_MQObject& donor) {
    assert(&donor != this && vertices.Empty() && edges.Empty() && polygons.Empty());
    Restamp();
    donor.Restamp();
    vertices.TakeBlocks(donor.vertices);
    edges.TakeBlocks(donor.edges);
    polygons.TakeBlocks(donor.polygons);
    donor.edgeIndex.Clear();
}

bool ZUM_MQObject::LoadCopyFromHost(MQObject copy, ZUM_MQObject& donor) {
    assert(&donor != this && vertices.Empty() && edges.Empty() && polygons.Empty());
    hostObject = copy;
    if (!copy || !donor.hostObject) {
        TakeStorage(donor);
        Reload();
        return false;
    }
    HostApi.MQObj_Compact(copy);
    const int n = HostApi.MQObj_GetVertexCount(copy);
    if (n != donor.VertexCount() ||
        HostApi.MQObj_GetFaceCount(copy) != HostApi.MQObj_GetFaceCount(donor.hostObject)) {
        TakeStorage(donor);
        LoadVertices();
        LoadFaces();
        return false;
    }
    vertices.Swap(donor.vertices);
    edges.Swap(donor.edges);
    polygons.Swap(donor.polygons);
    std::swap(edgeIndex, donor.edgeIndex);
    std::swap(stamp, donor.stamp);
    donor.Restamp();
    MQPoint point{};
    ZUM_MQVector position;
    int i = 0;
    vertices.ForEach([&](VertexObject* v) {
        HostApi.MQObj_GetVertex(hostObject, i++, &point);
        position.FromPoint(point);
        v->SetPosition(position);
    });
    return true;
}

void ZUM_MQObject::LoadVertices() {
    const int n = HostApi.MQObj_GetVertexCount(hostObject);
    if (n <= 0) return;
    vertices.Reserve(static_cast<size_t>(n));
    MQPoint point{};
    ZUM_MQVector position;
    for (int i = 0; i < n; ++i) {
        HostApi.MQObj_GetVertex(hostObject, i, &point);
        position.FromPoint(point);
        NewVertex(position);
    }
}

void ZUM_MQObject::ReserveForFaces(int faceCount) {
    if (faceCount <= 0) return;
    // Every edge inside a surface is shared by two of its faces' sides, so
    // half the sides (and one edge per line) is the edge count of a closed
    // surface; the few more along a border come in smaller blocks. A
    // reservation of the edges of quads for a mesh of triangles would hold
    // a quarter of the room it takes for nothing.
    size_t polygonsAtMost = 0, sides = 0, lines = 0;
    for (int f = 0; f < faceCount; ++f) {
        const int c = HostApi.MQObj_GetFacePointCount(hostObject, f);
        if (c == 2) ++lines;
        if (c != 3 && c != 4) continue;
        ++polygonsAtMost;
        sides += static_cast<size_t>(c);
    }
    polygons.Reserve(polygonsAtMost);
    edges.Reserve(lines + (sides + 1) / 2);
}

void ZUM_MQObject::LoadFaces() {
    const int faceCount = HostApi.MQObj_GetFaceCount(hostObject);
    ReserveForFaces(faceCount);
    int points[4];
    MQCoordinate uvs[4];
    int e[4];
    for (int f = 0; f < faceCount; ++f) {
        const int c = HostApi.MQObj_GetFacePointCount(hostObject, f);
        // Only lines, triangles and quads become elements. The points of any
        // other face are never needed, so they are not read at all and a face
        // of more points than the buffers hold cannot overrun them.
        if (c < 2 || c > 4) continue;
        HostApi.MQObj_GetFacePointArray(hostObject, f, points);
        if (c == 2) {
            FindOrAddEdge(points[0], points[1]);
            continue;
        }
        for (int k = 0; k < c; ++k) e[k] = FindOrAddEdge(points[k], points[k + 1 < c ? k + 1 : 0]);
        if (FindPolygonByEdges(e[0], e[1], e[2], c == 4 ? e[3] : -1) >= 0) continue;
        PolygonObject* polygon =
            NewPolygon(edges.At(e[0]), edges.At(e[1]), edges.At(e[2]), c == 4 ? edges.At(e[3]) : nullptr);
        HostApi.MQObj_GetFaceCoordinateArray(hostObject, f, uvs);
        for (int k = 0; k < c; ++k) polygon->AddUV(uvs[k].u, uvs[k].v);
        polygon->SetMaterial(HostApi.MQObj_GetFaceMaterial(hostObject, f));
    }
}

int ZUM_MQObject::FindEdgeByVertices(int a, int b) const {
    const int n = VertexCount();
    if (a < 0 || a >= n || b < 0 || b >= n) return -1;
    const VertexObject* va = vertices.At(a);
    const VertexObject* vb = vertices.At(b);
    const VertexObject* fewer = va->Edges().size() <= vb->Edges().size() ? va : vb;
    if (fewer->Edges().size() > kListSearchLimit) return edgeIndex.Find(a, b);
    // Every edge of this model is on the lists of its ends, in index order,
    // so the first match on either list is the edge of lowest index.
    for (const EdgeObject* e : fewer->Edges()) {
        const VertexObject* x = e->VertexAt(0);
        const VertexObject* y = e->VertexAt(1);
        if ((x == va && y == vb) || (x == vb && y == va)) return e->Index();
    }
    return -1;
}

int ZUM_MQObject::FindOrAddEdge(int a, int b) {
    // Range-checked: a host point index outside the vertex array is an error.
    VertexObject* first = VertexAt(a);
    VertexObject* second = VertexAt(b);
    const int found = FindEdgeByVertices(a, b);
    return found >= 0 ? found : NewEdge(first, second)->Index();
}

void ZUM_MQObject::IndexBusyEnds(EdgeObject* edge) {
    for (int k = 0; k < 2; ++k) {
        const VertexObject* end = edge->VertexAt(k);
        if (k == 1 && end == edge->VertexAt(0)) break;
        const VertexObject::EdgeList list = end->Edges();
        if (list.size() <= kListSearchLimit) continue;
        if (list.size() == kListSearchLimit + 1) {
            // The vertex has just become busy: all its edges go in.
            for (const EdgeObject* e : list) edgeIndex.InsertMin(e->VertexAt(0)->Index(), e->VertexAt(1)->Index(), e->Index());
        } else {
            edgeIndex.InsertMin(edge->VertexAt(0)->Index(), edge->VertexAt(1)->Index(), edge->Index());
        }
    }
}

int ZUM_MQObject::FindPolygonByEdges(int a, int b, int c, int d) const {
    const int n = EdgeCount();
    auto isEdge = [n](int i) { return i >= 0 && i < n; };
    if (!isEdge(a) || !isEdge(b) || !isEdge(c) || (d >= 0 && !isEdge(d))) return -1;

    // A polygon that has edge i among its edges is on edge i's own polygon
    // list, and the lists are in the order the polygons were built, which is
    // index order. So the first match on any one of the lists is the first
    // match of the whole array; the shortest list is the cheapest to read.
    const EdgeObject* shortest = edges.At(a);
    for (int i : {b, c, d})
        if (i >= 0 && edges.At(i)->PolygonCount() < shortest->PolygonCount()) shortest = edges.At(i);
    for (const PolygonObject* p : shortest->Polygons()) {
        const int corners = p->VertexCount();
        if (corners != 3 && corners != 4) continue;
        if (p->FindEdge(a) && p->FindEdge(b) && p->FindEdge(c) && (d < 0 || p->FindEdge(d))) return p->Index();
    }
    return -1;
}

VertexObject* ZUM_MQObject::NewVertex(const ZUM_MQVector& position) {
    return vertices.Create(VertexCount(), position);
}

EdgeObject* ZUM_MQObject::NewEdge(VertexObject* first, VertexObject* second) {
    const int index = EdgeCount();
    EdgeObject* edge = edges.Create(index, first, second);
    IndexBusyEnds(edge);
    return edge;
}

PolygonObject* ZUM_MQObject::NewPolygon(EdgeObject* e0, EdgeObject* e1, EdgeObject* e2, EdgeObject* e3) {
    return polygons.Create(PolygonCount(), e0, e1, e2, e3);
}

VertexObject* ZUM_MQObject::AddVertex(const ZUM_MQVector& position) {
    Restamp();
    return NewVertex(position);
}

EdgeObject* ZUM_MQObject::AddEdge(VertexObject* first, VertexObject* second) {
    Restamp();
    return NewEdge(first, second);
}

PolygonObject* ZUM_MQObject::AddPolygon(EdgeObject* e0, EdgeObject* e1, EdgeObject* e2, EdgeObject* e3) {
    Restamp();
    return NewPolygon(e0, e1, e2, e3);
}
