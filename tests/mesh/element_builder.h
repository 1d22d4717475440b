// Builds mesh elements by hand, without a container, and owns them.
#pragma once

#include <memory>
#include <vector>

#include "mesh/edge_object.h"
#include "mesh/polygon_object.h"
#include "mesh/vertex_object.h"

class ElementBuilder {
public:
    VertexObject* Vertex(double x = 0, double y = 0, double z = 0) {
        vertices.emplace_back(new VertexObject(static_cast<int>(vertices.size()), ZUM_MQVector(x, y, z)));
        return vertices.back().get();
    }
    EdgeObject* Edge(VertexObject* a, VertexObject* b) {
        edges.emplace_back(new EdgeObject(static_cast<int>(edges.size()), a, b));
        return edges.back().get();
    }
    PolygonObject* Polygon(EdgeObject* e0, EdgeObject* e1, EdgeObject* e2, EdgeObject* e3 = nullptr) {
        polygons.emplace_back(new PolygonObject(static_cast<int>(polygons.size()), e0, e1, e2, e3));
        return polygons.back().get();
    }
    // A polygon on a closed loop of corners, one new edge per side.
    PolygonObject* Loop(std::vector<VertexObject*> corners) {
        std::vector<EdgeObject*> sides;
        for (size_t k = 0; k < corners.size(); ++k) sides.push_back(Edge(corners[k], corners[(k + 1) % corners.size()]));
        return Polygon(sides[0], sides[1], sides[2], sides.size() > 3 ? sides[3] : nullptr);
    }

    std::vector<std::unique_ptr<VertexObject>> vertices;
    std::vector<std::unique_ptr<EdgeObject>> edges;
    std::vector<std::unique_ptr<PolygonObject>> polygons;
};

// The indices of the corners of a polygon, in order.
inline std::vector<int> CornerIndices(const PolygonObject* polygon) {
    std::vector<int> out;
    for (int k = 0; k < polygon->VertexCount(); ++k) out.push_back(polygon->VertexAt(k)->Index());
    return out;
}
