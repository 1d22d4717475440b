// A fingerprint of a host object's geometry, for comparing the results of two
// builds bit for bit: the live vertices renumbered in order and the live
// faces in order, every float by its bit pattern.
#pragma once

#include <cstdint>

struct MQObjectRec;

struct ObjectDigest {
    int vertices = 0;  // live vertices
    int faces = 0;     // live faces, lines included
    int lines = 0;     // live faces of two points
    // FNV-1a over, per live vertex, x, y, z and weight; then per live face
    // its point count, its points (renumbered), its UV pairs and material.
    uint64_t hash = 0;

    bool operator==(const ObjectDigest& o) const {
        return vertices == o.vertices && faces == o.faces && lines == o.lines && hash == o.hash;
    }
    bool operator!=(const ObjectDigest& o) const { return !(*this == o); }
};

ObjectDigest DigestOf(const MQObjectRec& object);
