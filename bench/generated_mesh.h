// The generated inputs of the benchmarks and of the reference tests: open
// surfaces of a chosen number of faces, the same bits on every run and on
// every machine (a fixed seed and a generator of our own, no library
// distributions).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/mq_host.h"

struct MQDocumentRec;
struct MQObjectRec;

// One face of a generated mesh: 2 to 4 points, a UV pair per point and a
// material (-1 for none).
struct GeneratedFace {
    int count;
    int points[4];
    MQCoordinate uvs[4];
    int material;
};

struct GeneratedMesh {
    std::string name;
    std::vector<MQPoint> vertices;
    std::vector<GeneratedFace> faces;
    int materials = 0;  // material numbers used run from 0 to materials - 1
};

enum class MeshShape {
    BumpyGrid,   // a square grid of quads over a bumpy height field
    Hemisphere,  // a triangulated hemisphere with a hole around its pole
    MixedLines,  // quads and triangles with lines along and off the surface
};

// All shapes, in the order the benchmarks report them.
const std::vector<MeshShape>& AllMeshShapes();
// "quads", "hemisphere" or "mixed".
const char* MeshShapeName(MeshShape shape);

// A mesh of `shape` with about `faces` faces (exactly `faces` for the mixed
// shape; the nearest square or ring layout for the others). Expects faces > 0.
GeneratedMesh MakeMesh(MeshShape shape, int faces);

GeneratedMesh MakeBumpyGrid(int faces);
GeneratedMesh MakeHoledHemisphere(int faces);
GeneratedMesh MakeMixedWithLines(int faces);

// The mesh as a host object in no document: vertices in order, faces in
// order with their UV pairs and materials.
MQObjectRec* MakeHostObject(const GeneratedMesh& mesh);

// Adds the mesh to `document` as a new object with every face selected;
// returns its slot.
int AddSelectedObject(MQDocumentRec& document, const GeneratedMesh& mesh);
