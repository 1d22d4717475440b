// Counts and shape of one object's mesh: is it a closed, consistently
// oriented shell, and what volume does it enclose.
#pragma once

#include <cstddef>

#include "formats/scene.h"

struct MeshStats {
    size_t vertices = 0;
    size_t triangles = 0;
    size_t quads = 0;
    size_t lines = 0;   // two-point faces
    size_t others = 0;  // faces of one point or of more than four
    // Every edge of the faces of three or more points is used by exactly two
    // of them, and there is at least one such face.
    bool closed = false;
    // Every edge used by two faces is used once in each direction, and there
    // is at least one face of three or more points.
    bool oriented = false;
    // Edges of the faces of three or more points used by one face, and used
    // by more than two.
    size_t openEdges = 0;
    size_t overusedEdges = 0;
    // Positive when the faces point outward, their corners running clockwise
    // seen from the front as the host's do. Meaningful for a closed,
    // oriented shell.
    double signedVolume = 0;
};

// Computes the statistics of `object`. Faces of three or more points count
// towards edges and volume; the volume fans each face from its first point.
MeshStats ComputeMeshStats(const SceneObject& object);
