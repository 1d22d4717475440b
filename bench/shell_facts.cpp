#include "bench/shell_facts.h"

#include <unordered_map>

#include "host/object.h"

ShellFacts FactsOf(const MQObjectRec& object) {
    ShellFacts facts;
    // Directed sides: a closed, consistently turned shell has every side
    // once, and its reverse once.
    std::unordered_map<uint64_t, int> sides;
    sides.reserve(object.faces.size() * 4);
    auto key = [](uint32_t a, uint32_t b) { return (uint64_t(a) << 32) | b; };
    for (const HostFace& f : object.faces) {
        if (f.count < 3) continue;
        ++facts.polygons;
        const MQPoint& p0 = object.positions[f.points[0]];
        for (int k = 0; k < f.count; ++k) {
            const uint32_t a = f.points[k], b = f.points[(k + 1) % f.count];
            ++sides[key(a, b)];
            if (k == 0 || k == f.count - 1) continue;
            // The fan from point 0; clockwise seen from outside is a negative
            // right-handed volume.
            const MQPoint& p1 = object.positions[a];
            const MQPoint& p2 = object.positions[b];
            facts.volume -= (double(p0.x) * (double(p1.y) * p2.z - double(p1.z) * p2.y) +
                             double(p0.y) * (double(p1.z) * p2.x - double(p1.x) * p2.z) +
                             double(p0.z) * (double(p1.x) * p2.y - double(p1.y) * p2.x)) /
                            6.0;
        }
    }
    facts.closed = !sides.empty();
    for (const auto& [side, uses] : sides) {
        const auto reverse = sides.find(key(uint32_t(side), uint32_t(side >> 32)));
        if (uses != 1 || reverse == sides.end() || reverse->second != 1) {
            facts.closed = false;
            break;
        }
    }
    return facts;
}
