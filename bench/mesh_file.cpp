#include "bench/mesh_file.h"

#include <vector>

#include "formats/scene_file.h"

bool WriteMeshFile(const GeneratedMesh& mesh, const std::string& path, std::string& error) {
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
    SaveReport report;
    return SaveScene(path, scene, {}, report, error);
}
