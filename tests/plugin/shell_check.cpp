#include "tests/plugin/shell_check.h"

#include <cmath>
#include <map>
#include <utility>

std::vector<FaceView> LiveFaces(const MQObjectRec& object) {
    std::vector<FaceView> faces;
    for (const HostFace& face : object.faces) {
        if (face.count == 0) continue;
        FaceView view{{}, {}, face.material};
        for (int k = 0; k < face.count; ++k) {
            view.points.push_back(object.positions[face.points[k]]);
            view.uvs.push_back(face.uvs[k]);
        }
        faces.push_back(view);
    }
    return faces;
}

std::vector<MQPoint> LivePositions(const MQObjectRec& object) {
    std::vector<MQPoint> positions;
    for (int v = 0; v < object.VertexCount(); ++v)
        if (object.IsLiveVertex(v)) positions.push_back(object.positions[v]);
    return positions;
}

bool IsClosedAndConsistentlyOriented(const MQObjectRec& object) {
    std::map<std::pair<int, int>, int> directed;
    bool any = false;
    for (const HostFace& face : object.faces) {
        if (face.count < 3) continue;  // a line bounds nothing
        for (int k = 0; k < face.count; ++k) {
            ++directed[{face.points[k], face.points[(k + 1) % face.count]}];
            any = true;
        }
    }
    if (!any) return false;
    for (const auto& [edge, uses] : directed) {
        if (uses != 1) return false;
        auto reverse = directed.find({edge.second, edge.first});
        if (reverse == directed.end() || reverse->second != 1) return false;
    }
    return true;
}

double SignedVolume(const MQObjectRec& object) {
    // Fan triangles (p0, pk, pk+1); a·(c×b) is the usual a·(b×c) for the
    // opposite winding, which is the host's.
    double volume = 0.0;
    for (const HostFace& face : object.faces) {
        if (face.count < 3) continue;
        const MQPoint& a = object.positions[face.points[0]];
        for (int k = 1; k + 1 < face.count; ++k) {
            const MQPoint& b = object.positions[face.points[k]];
            const MQPoint& c = object.positions[face.points[k + 1]];
            const double cx = double(c.y) * b.z - double(c.z) * b.y;
            const double cy = double(c.z) * b.x - double(c.x) * b.z;
            const double cz = double(c.x) * b.y - double(c.y) * b.x;
            volume += a.x * cx + a.y * cy + a.z * cz;
        }
    }
    return volume / 6.0;
}

bool SameCycle(const std::vector<MQPoint>& a, const std::vector<MQPoint>& b, float tolerance) {
    if (a.size() != b.size()) return false;
    const size_t n = a.size();
    auto near = [tolerance](const MQPoint& p, const MQPoint& q) {
        return std::fabs(p.x - q.x) <= tolerance && std::fabs(p.y - q.y) <= tolerance &&
               std::fabs(p.z - q.z) <= tolerance;
    };
    for (size_t start = 0; start < n; ++start) {
        bool all = true;
        for (size_t k = 0; k < n && all; ++k) all = near(a[(start + k) % n], b[k]);
        if (all) return true;
    }
    return n == 0;
}
