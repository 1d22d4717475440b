// EdgeObject: a segment between two vertices of the mesh model, shared by all
// the polygons that run along it. Its ends keep the order given at
// construction, the only direction an edge has.
#pragma once

#include "mesh/element_list.h"

class VertexObject;
class PolygonObject;

class EdgeObject {
public:
    typedef ListView<PolygonObject*> PolygonList;

    // An edge with the given index from `first` to `second` (both non-null),
    // recorded with both ends (once, when they are the same vertex).
    EdgeObject(int index, VertexObject* first, VertexObject* second);
    // Inline, so that a model's release destroys its edges without a call each.
    virtual ~EdgeObject() { polygons.release(polygonCount); }
    EdgeObject(const EdgeObject&) = delete;
    EdgeObject& operator=(const EdgeObject&) = delete;

    int Index() const { return index; }

    // End k (0 = first, 1 = second); null for any other k.
    VertexObject* VertexAt(int k) const { return (k == 0 || k == 1) ? vertices[k] : nullptr; }

    // The end opposite the one whose index is `vertexIndex` (the first end is
    // tested first); null when neither end has that index.
    VertexObject* OtherVertex(int vertexIndex) const;

    // Number of polygons on this edge: 0 for a line, 1 for an open edge.
    int PolygonCount() const { return static_cast<int>(polygonCount); }
    // The polygons on this edge, in order of attachment, each once.
    PolygonList Polygons() const { return polygons.view(polygonCount); }

    // Records `polygon` when one of its edges has this edge's index and it is
    // not recorded yet, then offers it to both ends. Called only by the
    // polygon constructor.
    bool AttachPolygon(PolygonObject* polygon);

private:
    int index;
    uint32_t polygonCount = 0;
    VertexObject* vertices[2];
    SmallStorage<PolygonObject*, 2> polygons;
};
