#include "mesh/polygon_object.h"

#include <cmath>

#include "mesh/edge_object.h"
#include "mesh/mesh_messages.h"
#include "mesh/vertex_object.h"

namespace {

// A component within 0.00001 of a whole number becomes that number.
double Snap(double c) {
    const double r = std::floor(c + 0.5);
    return (r - 0.00001 < c && c < r + 0.00001) ? r : c;
}

}  // namespace

PolygonObject::PolygonObject(int index_, EdgeObject* e0, EdgeObject* e1, EdgeObject* e2, EdgeObject* e3)
    : index(index_), material(-1) {
    if (!e0 || !e1 || !e2) {
        mesh_messages::Show(mesh_messages::kPolygonCaption, mesh_messages::kPolygonNotBuilt);
        return;
    }
    edges.push_back(e0);
    edges.push_back(e1);
    edges.push_back(e2);
    if (e3) edges.push_back(e3);
    const EdgeObject* last = e3 ? e3 : e2;

    // First corner: the end(s) of e0 shared with the last edge. A proper
    // chain shares exactly one; an edge repeated as first and last shares two.
    for (int i = 0; i < 2; ++i) {
        VertexObject* p = e0->VertexAt(i);
        if (p == last->VertexAt(0) || p == last->VertexAt(1)) vertices.push_back(p);
    }
    if (vertices.empty()) {
        mesh_messages::Show(mesh_messages::kPolygonCaption, mesh_messages::kPolygonNotBuilt);
        return;
    }

    // Walk every edge but the last from the corner it starts at.
    const uint32_t steps = e3 ? 3 : 2;
    for (uint32_t s = 0; s < steps; ++s) {
        VertexObject* next = edges[s]->OtherVertex(vertices[s]->Index());
        if (!next) {
            // The chain breaks here: rather than keep an empty corner, the
            // polygon gives up all of them and is recorded nowhere.
            vertices.clear();
            mesh_messages::Show(mesh_messages::kPolygonCaption, mesh_messages::kCornersNotBuilt);
            return;
        }
        vertices.push_back(next);
    }
    if (vertices.size() != 3 && vertices.size() != 4)
        mesh_messages::Show(mesh_messages::kPolygonCaption, mesh_messages::kCornersNotBuilt);

    for (EdgeObject* edge : edges) edge->AttachPolygon(this);
}

EdgeObject* PolygonObject::FindEdge(int edgeIndex) const {
    for (EdgeObject* edge : edges)
        if (edge->Index() == edgeIndex) return edge;
    return nullptr;
}

ZUM_MQVector& PolygonObject::CornerNormal(const VertexObject* vertex) {
    normal.Zero();
    if (!vertex) return normal;
    const uint32_t n = vertices.size();
    uint32_t k = 0;
    while (k < n && vertices[k]->Index() != vertex->Index()) ++k;
    if (k == n) return normal;
    const uint32_t prev = k == 0 ? n - 1 : k - 1;
    const uint32_t next = k == n - 1 ? 0 : k + 1;

    const ZUM_MQVector& here = vertices[k]->Position();
    const ZUM_MQVector back = ZUM_MQVector::Negated(here);
    const ZUM_MQVector u = ZUM_MQVector::Sum(vertices[prev]->Position(), back);
    const ZUM_MQVector w = ZUM_MQVector::Sum(vertices[next]->Position(), back);
    normal.Assign(ZUM_MQVector::Cross(u, w));
    normal.Normalize();
    normal.Set(Snap(normal.x), Snap(normal.y), Snap(normal.z));
    return normal;
}

void PolygonObject::AddUV(double u, double v) {
    if (uvs.full()) {
        mesh_messages::Show(mesh_messages::kUVCaption, mesh_messages::kUVBeyondFour);
        return;
    }
    if (uvs.size() == vertices.size()) {
        mesh_messages::Show(mesh_messages::kUVCaption, mesh_messages::kUVBeyondCorners);
        return;
    }
    uvs.push_back(UVPair{u, v});
}

double PolygonObject::UAt(int k) const {
    if (k < 0 || k >= UVCount()) {
        mesh_messages::Show(mesh_messages::kUVCaption, mesh_messages::kInvalidUIndex);
        return 0.0;
    }
    return uvs[static_cast<uint32_t>(k)].u;
}

double PolygonObject::VAt(int k) const {
    if (k < 0 || k >= UVCount()) {
        mesh_messages::Show(mesh_messages::kUVCaption, mesh_messages::kInvalidVIndex);
        return 0.0;
    }
    return uvs[static_cast<uint32_t>(k)].v;
}
