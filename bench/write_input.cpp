// Writes a generated benchmark input to a mesh file, so that the command-line
// tool can be timed on it: write_bench_input SHAPE FACES OUTPUT.mqo|.obj, with
// SHAPE one of quads, hemisphere, mixed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/generated_mesh.h"
#include "bench/mesh_file.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: write_bench_input quads|hemisphere|mixed FACES OUTPUT\n");
        return 2;
    }
    const std::string shapeName = argv[1];
    const int faces = std::atoi(argv[2]);
    const MeshShape* shape = nullptr;
    for (const MeshShape& s : AllMeshShapes())
        if (shapeName == MeshShapeName(s)) shape = &s;
    if (!shape || faces <= 0) {
        std::fprintf(stderr, "write_bench_input: unknown shape or face count\n");
        return 2;
    }
    std::string error;
    if (!WriteMeshFile(MakeMesh(*shape, faces), argv[3], error)) {
        std::fprintf(stderr, "write_bench_input: %s\n", error.c_str());
        return 2;
    }
    return 0;
}
