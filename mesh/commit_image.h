// CommitImage: what a model writes into its host object, read out of the
// model: the vertex positions as host points, the lines, and the triangles
// and quads with their UV pairs and materials, in the order of the write.
// Holding the image instead of the model lets the model's memory go to
// another model before the write; an image of the points alone goes with the
// elements themselves, read at the write from the model that holds them.
#pragma once

#include <cstdint>
#include <vector>

#include "plugin/mq_host.h"

struct CommitImage {
    struct Face {
        int32_t count;     // 3 or 4
        int32_t material;  // -1: the host's default
        bool hasUV;
        int32_t points[4];
        MQCoordinate uvs[4];  // the first `count`, when hasUV
    };

    std::vector<MQPoint> points;  // per model vertex, in index order
    std::vector<int32_t> lines;   // two vertex indices per 2-point face, in edge order
    std::vector<Face> faces;      // per writable polygon, in polygon order
    uint64_t stamp = 0;           // the elements read (0: none)
};
