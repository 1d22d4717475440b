#include "mesh/polygon_object.h"

#include <cmath>

#include "mesh/edge_object.h"
#include "mesh/mesh_messages.h"
#include "mesh/vertex_object.h"

namespace {

// A component within 0.00001 of a whole number becomes that number. The
// components of a unit normal lie in [-1, 1], where the nearest whole number
// is found by comparisons instead of a call to floor; it matters only when c
// is that close to it, and then both ways give the same.
double Snap(double c) {
    // On a curved surface nearly every component is far from every whole
    // number, and on a flat one the same components are whole corner after
    // corner: this one test, with a margin beyond 0.00001 (a - 1 is exact
    // near 1), is taken or not in a pattern the processor foresees, where
    // the comparisons below fall either way from one corner to the next.
    const double a = std::fabs(c);
    if (a >= 0.00002 && std::fabs(a - 1.0) >= 0.00002 && a < 1.5) return c;
    double r;
    if (c >= -1.5 && c < 1.5)
        r = c < -0.5 ? -1.0 : (c < 0.5 ? 0.0 : 1.0);
    else
        r = std::floor(c + 0.5);
    return (r - 0.00001 < c && c < r + 0.00001) ? r : c;
}

}  // namespace

PolygonObject::PolygonObject(int index_, EdgeObject* e0, EdgeObject* e1, EdgeObject* e2, EdgeObject* e3)
    : index(index_), material(-1) {
    if (!e0 || !e1 || !e2) {
        mesh_messages::Show(mesh_messages::kPolygonCaption, mesh_messages::kPolygonNotBuilt);
        return;
    }
    edges[edgeCount++] = e0;
    edges[edgeCount++] = e1;
    edges[edgeCount++] = e2;
    if (e3) edges[edgeCount++] = e3;
    const EdgeObject* last = e3 ? e3 : e2;

    // First corner: the end(s) of e0 shared with the last edge. A proper
    // chain shares exactly one; an edge repeated as first and last shares two.
    for (int i = 0; i < 2; ++i) {
        VertexObject* p = e0->VertexAt(i);
        if (p == last->VertexAt(0) || p == last->VertexAt(1)) AppendCorner(p);
    }
    if (cornerCount == 0) {
        mesh_messages::Show(mesh_messages::kPolygonCaption, mesh_messages::kPolygonNotBuilt);
        return;
    }

    // Walk every edge but the last from the corner it starts at.
    const int steps = e3 ? 3 : 2;
    for (int s = 0; s < steps; ++s) {
        VertexObject* next = edges[s]->OtherVertex(corners[s]->Index());
        if (!next) {
            // The chain breaks here: rather than keep an empty corner, the
            // polygon gives up all of them and is recorded nowhere.
            cornerCount = 0;
            mesh_messages::Show(mesh_messages::kPolygonCaption, mesh_messages::kCornersNotBuilt);
            return;
        }
        AppendCorner(next);
    }
    if (cornerCount != 3 && cornerCount != 4)
        mesh_messages::Show(mesh_messages::kPolygonCaption, mesh_messages::kCornersNotBuilt);

    for (int k = 0; k < edgeCount; ++k) edges[k]->AttachPolygon(this);
}

EdgeObject* PolygonObject::FindEdge(int edgeIndex) const {
    for (int k = 0; k < edgeCount; ++k)
        if (edges[k]->Index() == edgeIndex) return edges[k];
    return nullptr;
}

ZUM_MQVector& PolygonObject::CornerNormal(const VertexObject* vertex) {
    normal.Zero();
    if (!vertex) return normal;
    const int n = cornerCount;
    int k = 0;
    while (k < n && corners[k] != vertex && corners[k]->Index() != vertex->Index()) ++k;
    if (k == n) return normal;
    const int prev = k == 0 ? n - 1 : k - 1;
    const int next = k == n - 1 ? 0 : k + 1;

    const ZUM_MQVector& here = corners[k]->Position();
    const ZUM_MQVector back = ZUM_MQVector::Negated(here);
    const ZUM_MQVector u = ZUM_MQVector::Sum(corners[prev]->Position(), back);
    const ZUM_MQVector w = ZUM_MQVector::Sum(corners[next]->Position(), back);
    normal.Assign(ZUM_MQVector::Cross(u, w));
    normal.Normalize();
    normal.Set(Snap(normal.x), Snap(normal.y), Snap(normal.z));
    return normal;
}

void PolygonObject::WidenUVs() {
    UVPair* wide = new UVPair[kMaxUVs];
    for (int k = 0; k < uvCount; ++k) wide[k] = UVPair{uv.narrow[k][0], uv.narrow[k][1]};
    uv.wide = wide;
    wideUVs = true;
    element_heap::Took();
}

void PolygonObject::AddUV(double u, double v) {
    if (uvCount == kMaxUVs) {
        mesh_messages::Show(mesh_messages::kUVCaption, mesh_messages::kUVBeyondFour);
        return;
    }
    if (uvCount == cornerCount) {
        mesh_messages::Show(mesh_messages::kUVCaption, mesh_messages::kUVBeyondCorners);
        return;
    }
    const float nu = static_cast<float>(u);
    const float nv = static_cast<float>(v);
    // A NaN never equals itself, so it is kept in double, bits and all.
    if (!wideUVs && (static_cast<double>(nu) != u || static_cast<double>(nv) != v)) WidenUVs();
    if (wideUVs) {
        uv.wide[uvCount] = UVPair{u, v};
    } else {
        uv.narrow[uvCount][0] = nu;
        uv.narrow[uvCount][1] = nv;
    }
    ++uvCount;
}

double PolygonObject::UAt(int k) const {
    if (k < 0 || k >= uvCount) {
        mesh_messages::Show(mesh_messages::kUVCaption, mesh_messages::kInvalidUIndex);
        return 0.0;
    }
    return wideUVs ? uv.wide[k].u : uv.narrow[k][0];
}

double PolygonObject::VAt(int k) const {
    if (k < 0 || k >= uvCount) {
        mesh_messages::Show(mesh_messages::kUVCaption, mesh_messages::kInvalidVIndex);
        return 0.0;
    }
    return wideUVs ? uv.wide[k].v : uv.narrow[k][1];
}
