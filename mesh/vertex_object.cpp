#include "mesh/vertex_object.h"

#include <cassert>

#include "mesh/edge_object.h"
#include "mesh/polygon_object.h"

VertexObject::VertexObject(int index_, const ZUM_MQVector& p) : index(index_), position(p.x, p.y, p.z) {}

void VertexObject::RegisterNewEdge(EdgeObject* edge) { edges.push_back(edgeCount, edge); }

bool VertexObject::AttachEdge(EdgeObject* edge) {
    assert(edge);
    if (!edge) return false;
    VertexObject* a = edge->VertexAt(0);
    VertexObject* b = edge->VertexAt(1);
    // Every edge is recorded with its own ends while it is built, so an edge
    // that has this very vertex as an end is listed already; only a foreign
    // edge that merely shares the index needs the scan.
    if (a == this || b == this) return false;
    if (a->Index() != index && b->Index() != index) return false;
    if (Edges().contains(edge)) return false;
    edges.push_back(edgeCount, edge);
    return true;
}

bool VertexObject::AttachPolygon(PolygonObject* polygon) {
    assert(polygon);
    if (!polygon) return false;
    // Polygons are recorded only while they are built, and the one being
    // built is the newest: if it is listed already, it is the last entry.
    if (polygonCount != 0 && Polygons().back() == polygon) return false;
    const int corners = polygon->VertexCount();
    bool isCorner = false;
    for (int k = 0; k < corners && !isCorner; ++k) {
        const VertexObject* corner = polygon->VertexAt(k);
        isCorner = corner == this || corner->Index() == index;
    }
    if (!isCorner) return false;
    polygons.push_back(polygonCount, polygon);
    const int edgeCount = polygon->EdgeCount();
    for (int k = 0; k < edgeCount; ++k) AttachEdge(polygon->EdgeAt(k));
    return true;
}

ZUM_MQVector& VertexObject::ComputeVertexNormal() {
    normal.Zero();
    for (PolygonObject* polygon : Polygons()) normal.Add(polygon->CornerNormal(this));
    normal.Normalize();
    return normal;
}
