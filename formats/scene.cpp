#include "formats/scene.h"

#include <cassert>
#include <charconv>

void SceneObject::AddFace(const int32_t* vertexIndices, const SceneUv* faceUvs, uint32_t count,
                          int32_t material) {
    assert(count > 0);
    points.insert(points.end(), vertexIndices, vertexIndices + count);
    if (faceUvs) {
        uvs.insert(uvs.end(), faceUvs, faceUvs + count);
    } else {
        uvs.resize(uvs.size() + count);
    }
    faceStart.push_back(static_cast<uint32_t>(points.size()));
    faceMaterial.push_back(material);
    faceHasUv.push_back(faceUvs != nullptr);
}

void Scene::DropSourceObjects() {
    objects.clear();
    source.objects = 0;
    // Only a .mqo document has chunks of its own besides its objects; an
    // OBJ, STL or PLY file written from the scene is composed.
    if (source.kind != SceneSource::Kind::Mqo) source = SceneSource{};
}

namespace {

std::string Fixed(float value, int decimals) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                decimals);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::vector<MaterialParam> DefaultMaterialParams(float r, float g, float b, float a) {
    return {
        {"shader", "3"},
        {"col", Fixed(r, 3) + " " + Fixed(g, 3) + " " + Fixed(b, 3) + " " + Fixed(a, 3)},
        {"dif", "0.800"},
        {"amb", "0.600"},
        {"emi", "0.000"},
        {"spc", "0.000"},
        {"power", "5.00"},
    };
}
