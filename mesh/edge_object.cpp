#include "mesh/edge_object.h"

#include <cassert>

#include "mesh/polygon_object.h"
#include "mesh/vertex_object.h"

EdgeObject::EdgeObject(int index_, VertexObject* first, VertexObject* second) : index(index_), vertices{first, second} {
    assert(first && second);
    // The edge is new, so neither end lists it yet; an edge from a vertex to
    // itself is listed there once.
    first->RegisterNewEdge(this);
    if (second != first) second->RegisterNewEdge(this);
}

VertexObject* EdgeObject::OtherVertex(int vertexIndex) const {
    if (vertices[0]->Index() == vertexIndex) return vertices[1];
    if (vertices[1]->Index() == vertexIndex) return vertices[0];
    return nullptr;
}

bool EdgeObject::AttachPolygon(PolygonObject* polygon) {
    assert(polygon);
    if (!polygon || !polygon->FindEdge(index)) return false;
    // Polygons are recorded only while they are built, and the one being
    // built is the newest: if it is listed already, it is the last entry.
    if (polygonCount != 0 && Polygons().back() == polygon) return false;
    polygons.push_back(polygonCount, polygon);
    vertices[0]->AttachPolygon(polygon);
    vertices[1]->AttachPolygon(polygon);
    return true;
}
