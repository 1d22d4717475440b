// PolygonObject: a triangle or quadrilateral of the mesh model, built from a
// closed chain of three or four edges. Its corners are derived from the
// chain: edge k joins corner k and corner k + 1, the last edge joins the last
// corner and corner 0. It keeps a UV table (one pair per corner, at most 4)
// and a material index (-1 = none).
//
// The UV values come from the host as floats nearly always: they are kept as
// floats while every value given is one exactly, and in doubles from the
// first value that is not, so that a table reads back what was given.
#pragma once

#include <cstdint>

#include "mesh/element_heap.h"
#include "mesh/uv_pair.h"
#include "mesh/zum_mq_vector.h"

class VertexObject;
class EdgeObject;

class PolygonObject {
public:
    // Builds the polygon from edges e0, e1, e2 and e3 (null for a triangle),
    // derives its corners and records it with its edges and, through them,
    // with its corners.
    //
    // A chain that cannot be walked (the first and last edge share no end, an
    // edge that does not continue from the previous corner, or a missing edge)
    // is reported in a message box and abandoned: the polygon keeps its index
    // and edges but no corners, and it is recorded nowhere, so no reader ever
    // meets an empty corner. Callers recognise it by VertexCount() == 0.
    PolygonObject(int index, EdgeObject* e0, EdgeObject* e1, EdgeObject* e2, EdgeObject* e3);
    // Inline, so that a model's release destroys its polygons without a
    // call each.
    virtual ~PolygonObject() {
        if (!wideUVs) return;
        delete[] uv.wide;
        element_heap::Gave();
    }
    PolygonObject(const PolygonObject&) = delete;
    PolygonObject& operator=(const PolygonObject&) = delete;

    int Index() const { return index; }

    int VertexCount() const { return cornerCount; }
    // Corner k; null when k is outside 0 .. VertexCount() - 1.
    VertexObject* VertexAt(int k) const {
        return static_cast<uint32_t>(k) < cornerCount && k < kMaxCorners ? corners[k] : nullptr;
    }

    int EdgeCount() const { return edgeCount; }
    // Edge k as given at construction; null when k is out of range.
    EdgeObject* EdgeAt(int k) const {
        return static_cast<uint32_t>(k) < edgeCount && k < kMaxEdges ? edges[k] : nullptr;
    }
    // The first of the polygon's edges whose index is `edgeIndex`, or null.
    EdgeObject* FindEdge(int edgeIndex) const;

    // The unit normal of the polygon at the corner that is `vertex` (matched
    // by index), snapped to whole numbers within 0.00001, stored in the
    // normal slot and returned. The normal faces the side from which the
    // corners are seen running clockwise. (0, 0, 0) when the corner's
    // neighbours are collinear with it or coincide with it, or when `vertex`
    // is not a corner.
    ZUM_MQVector& CornerNormal(const VertexObject* vertex);
    const ZUM_MQVector& Normal() const { return normal; }

    // Appends a UV pair; refused with a message when 4 pairs are stored or
    // when there is already one pair per corner.
    void AddUV(double u, double v);
    bool HasUV() const { return uvCount != 0; }
    int UVCount() const { return uvCount; }
    // U or V of UV entry k; for k out of range a message and 0.0.
    double UAt(int k) const;
    double VAt(int k) const;

    void SetMaterial(int m) { material = m; }
    int Material() const { return material; }

private:
    static constexpr uint8_t kMaxEdges = 4;
    // A chain whose first and last edge share both ends yields two first
    // corners, hence room for 5 corners.
    static constexpr uint8_t kMaxCorners = 5;
    static constexpr uint8_t kMaxUVs = 4;

    void AppendCorner(VertexObject* corner) { corners[cornerCount++] = corner; }
    void WidenUVs();

    int index;
    int material;
    ZUM_MQVector normal;
    uint8_t cornerCount = 0;
    uint8_t edgeCount = 0;
    uint8_t uvCount = 0;
    bool wideUVs = false;
    union {
        float narrow[kMaxUVs][2];
        UVPair* wide;  // kMaxUVs pairs
    } uv;
    VertexObject* corners[kMaxCorners];
    EdgeObject* edges[kMaxEdges];
};
