// Writes a generated benchmark input to a mesh file, so that the command-line
// tool can be timed on it: write_bench_input SHAPE FACES OUTPUT.mqo|.obj, with
// SHAPE one of quads, hemisphere, mixed.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/generated_mesh.h"
#include "cli/scene_file.h"

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
    const GeneratedMesh mesh = MakeMesh(*shape, faces);
    Scene scene;
    scene.encoding = TextEncoding::Utf8;
    for (int m = 0; m < mesh.materials; ++m)
        scene.materials.push_back({"mat" + std::to_string(m), DefaultMaterialParams()});
    SceneObject object;
    object.name = mesh.name;
    for (const MQPoint& p : mesh.vertices) object.vertices.push_back({p.x, p.y, p.z});
    for (const GeneratedFace& f : mesh.faces) {
        int32_t points[4];
        SceneUv uvs[4];
        for (int k = 0; k < f.count; ++k) {
            points[k] = f.points[k];
            uvs[k] = {f.uvs[k].u, f.uvs[k].v};
        }
        object.AddFace(points, uvs, static_cast<uint32_t>(f.count), f.material);
    }
    scene.objects.push_back(std::move(object));
    std::vector<std::string> lossy;
    std::string error;
    if (!SaveScene(argv[3], scene, lossy, error)) {
        std::fprintf(stderr, "write_bench_input: %s\n", error.c_str());
        return 2;
    }
    return 0;
}
