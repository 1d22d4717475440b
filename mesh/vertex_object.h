// VertexObject: a point of the mesh model with its position, its normal slot
// and the edges and polygons that use it.
#pragma once

#include "mesh/element_list.h"
#include "mesh/zum_mq_vector.h"

class EdgeObject;
class PolygonObject;

class VertexObject {
public:
    typedef ListView<EdgeObject*> EdgeList;
    typedef ListView<PolygonObject*> PolygonList;

    // A vertex with the given index at a copy of `position`; normal (0, 0, 0),
    // no edges, no polygons.
    VertexObject(int index, const ZUM_MQVector& position);
    // Inline, so that a model's release destroys its vertices without a call each.
    virtual ~VertexObject() {
        edges.release(edgeCount);
        polygons.release(polygonCount);
    }
    VertexObject(const VertexObject&) = delete;
    VertexObject& operator=(const VertexObject&) = delete;

    int Index() const { return index; }

    // The position; change it through SetPosition and Translate.
    const ZUM_MQVector& Position() const { return position; }
    void SetPosition(const ZUM_MQVector& p) { position.Set(p.x, p.y, p.z); }
    // position += offset.
    void Translate(const ZUM_MQVector& offset) { position.Add(offset); }

    // The unit normal of the vertex: the normalised sum of the corner normals
    // of its polygons, one each. Stores it in the normal slot and returns the
    // slot; overwrites each polygon's normal slot on the way. A vertex without
    // polygons, or whose corner normals cancel, gets (0, 0, 0).
    ZUM_MQVector& ComputeVertexNormal();
    // The normal slot as last computed or set.
    const ZUM_MQVector& Normal() const { return normal; }
    // Puts `n` in the normal slot (an offset direction of another kind than
    // the unit normal, say).
    void SetNormal(const ZUM_MQVector& n) { normal.Set(n.x, n.y, n.z); }

    // Records `edge` when one of its ends has this vertex's index and it is
    // not recorded yet; true when it was recorded now.
    bool AttachEdge(EdgeObject* edge);
    // Records `polygon` when one of its corners has this vertex's index and
    // it is not recorded yet, then offers it each of the polygon's edges.
    // Called only by EdgeObject::AttachPolygon, while the polygon is built.
    bool AttachPolygon(PolygonObject* polygon);

    // Incident edges and polygons, in order of attachment, each once.
    EdgeList Edges() const { return edges.view(edgeCount); }
    PolygonList Polygons() const { return polygons.view(polygonCount); }

private:
    friend class EdgeObject;
    // Records an edge under construction that has this vertex as an end.
    void RegisterNewEdge(EdgeObject* edge);

    int index;
    uint32_t edgeCount = 0;
    uint32_t polygonCount = 0;
    ZUM_MQVector position;
    ZUM_MQVector normal;
    SmallStorage<EdgeObject*, 6> edges;
    SmallStorage<PolygonObject*, 6> polygons;
};
