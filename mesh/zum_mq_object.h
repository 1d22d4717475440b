// ZUM_MQObject: the mesh model of one host object. It mirrors the object's
// vertices, the edges between them (one per unordered pair of vertices that a
// face joins) and its distinct triangles and quads, stays bound to the object
// and writes itself back into it.
//
// Lookups keep the first-match rules of a scan from the start of the arrays
// but go through indexes: an edge through the edge lists of its ends, or,
// between busy vertices, through a hash of its unordered pair of vertex
// indices; a polygon through the polygon lists of its edges. A load of F
// faces takes O(F) time. Elements live in arenas owned by the model, so element pointers
// stay valid until the model is cleared (a load, InvertHostFaces or
// destruction).
#pragma once

#include <stdexcept>
#include <vector>

#include "mesh/commit_image.h"
#include "mesh/edge_object.h"
#include "mesh/edge_pair_index.h"
#include "mesh/element_arena.h"
#include "mesh/polygon_object.h"
#include "mesh/vertex_object.h"
#include "plugin/mq_host.h"

class ZUM_MQObject {
public:
    // An empty model bound to no host object.
    ZUM_MQObject();
    // Deletes the model and unbinds; the host object is left as it is.
    virtual ~ZUM_MQObject();
    ZUM_MQObject(const ZUM_MQObject&) = delete;
    ZUM_MQObject& operator=(const ZUM_MQObject&) = delete;

    // Binds `object` and mirrors it (Reload). Always true.
    bool LoadFromHost(MQObject object);
    // Compacts the bound host object and rebuilds the model from it: vertex i
    // is host vertex i; 2-point faces become loose edges; triangles and quads
    // become polygons unless they repeat the edges of an earlier polygon;
    // other faces add nothing. Always true. A model bound to nothing is
    // emptied.
    bool Reload();
    // Deletes every element: vertices, then edges, then polygons.
    void ClearModel();
    // ClearModel, and gives the elements' memory back instead of keeping it
    // for a reload. The model stays bound: the operations on the host
    // object's faces still work.
    void ReleaseModel();
    // Deletes every element of `donor` (as ReleaseModel does) but keeps their
    // memory for this model's next load, so that a model loaded after
    // another one is used up does not ask the system for fresh memory.
    // Expects this model to hold no elements; `donor` stays bound.
    void TakeStorage(ZUM_MQObject& donor);
    // Binds `copy`, a clone of the object `donor` is bound to (same vertex
    // and face numbering), and mirrors it by taking over the donor's model
    // instead of building it again from the faces, which would give the
    // very same edges and polygons, UV pairs and materials. As a load does,
    // the copy is compacted and every vertex position read from it; the
    // vertices' and polygons' normal slots keep what they held (they are
    // scratch). A copy whose vertex or face count differs from the donor
    // object's is loaded in full. Expects this model to hold no elements;
    // the donor is left empty and stays bound. True when the donor's
    // elements were taken over, false when the copy was loaded in full.
    bool LoadCopyFromHost(MQObject copy, ZUM_MQObject& donor);

    // Index of the first edge whose ends have the indices a and b, in either
    // order, or -1.
    int FindEdgeByVertices(int a, int b) const;
    // FindEdgeByVertices(a, b), or else the index of a new edge from vertex a
    // to vertex b. a and b must be vertex indices of this model.
    int FindOrAddEdge(int a, int b);
    // Index of the first polygon of 3 or 4 corners that has edges with the
    // indices a, b, c and, when d >= 0, d; or -1.
    int FindPolygonByEdges(int a, int b, int c, int d) const;

    // Counts and range-checked access (std::out_of_range outside 0 .. count - 1).
    int VertexCount() const { return static_cast<int>(vertices.Size()); }
    VertexObject* VertexAt(int i) const { return Checked(vertices, i); }
    int EdgeCount() const { return static_cast<int>(edges.Size()); }
    EdgeObject* EdgeAt(int i) const { return Checked(edges, i); }
    int PolygonCount() const { return static_cast<int>(polygons.Size()); }
    PolygonObject* PolygonAt(int i) const { return Checked(polygons, i); }

    // Appends a vertex at a copy of `position`; its index is the old count.
    VertexObject* AddVertex(const ZUM_MQVector& position);
    // Appends an edge from `first` to `second` (both vertices of this model),
    // without looking for an existing edge between them.
    EdgeObject* AddEdge(VertexObject* first, VertexObject* second);
    // Appends a polygon on the chain e0, e1, e2 (, e3; null for a triangle).
    // It has no UV pairs and material -1. A chain that cannot be walked gives
    // a polygon with no corners (see PolygonObject), which is never written.
    PolygonObject* AddPolygon(EdgeObject* e0, EdgeObject* e1, EdgeObject* e2, EdgeObject* e3);

    // Replaces the host object's vertices and faces by the model: vertices in
    // index order, then one 2-point face per edge without polygons, then one
    // face per polygon with its UV pairs and material. Polygons with other
    // than 3 or 4 corners cannot be written as a host face and are left out.
    void CommitToHost();
    // The points of the commit alone, for a model that hands its elements on
    // (LoadCopyFromHost) before it is written: the lines and faces are read
    // at the write from whichever model holds the elements by then.
    void CapturePoints(CommitImage& image) const;
    // Writes what CommitToHost would have written when `image` was captured:
    // its points, then the lines and faces of `elements`, which must hold
    // the very elements the image was read from, with their UV pairs and
    // materials as they were. Returns false, writing nothing, when
    // `elements` holds other elements.
    bool WriteCommit(const CommitImage& image, const ZUM_MQObject& elements);
    // Deletes every face of the host object (and the vertices they used) and
    // compacts it. The model is not touched.
    void ClearHostFaces();
    // Reverses every face of the host object and reloads the model from it.
    // Element pointers obtained before are invalid afterwards. Always true.
    bool InvertHostFaces();
    // Reverses every face of the host object as InvertHostFaces does, then
    // releases the model (ReleaseModel) instead of rebuilding it, for a
    // caller that reads this model no more: the host object ends up the same.
    void InvertHostFacesAndRelease();

    // The bound host object, or null.
    MQObject HostObject() const { return hostObject; }

private:
    template <class T>
    static T* Checked(const ElementArena<T>& arena, int i) {
        if (i < 0 || static_cast<size_t>(i) >= arena.Size()) throw std::out_of_range("mesh element index");
        return arena.At(static_cast<size_t>(i));
    }
    VertexObject* NewVertex(const ZUM_MQVector& position);
    EdgeObject* NewEdge(VertexObject* first, VertexObject* second);
    PolygonObject* NewPolygon(EdgeObject* e0, EdgeObject* e1, EdgeObject* e2, EdgeObject* e3);
    void LoadVertices();
    void LoadFaces();
    void ReserveForFaces(int faceCount);
    void IndexBusyEnds(EdgeObject* edge);
    void TurnHostFaces();
    void WritePoints(const std::vector<MQPoint>& points);
    void WriteFacesOf(const ZUM_MQObject& elements);
    void Restamp();

    MQObject hostObject;
    // The elements, owned, in index order.
    ElementArena<VertexObject> vertices;
    ElementArena<EdgeObject> edges;
    ElementArena<PolygonObject> polygons;
    EdgePairIndex edgeIndex;
    // Names this model's set of elements: a fresh stamp whenever elements
    // are added or cleared; it goes with the elements when they are handed
    // on. A commit image records the stamp of the elements it was read from.
    uint64_t stamp = 0;
};
