// Writer of Wavefront .obj files.
#include <cassert>
#include <cstring>
#include <unordered_map>

#include "cli/number_text.h"
#include "cli/obj_format.h"

namespace {

uint64_t UvKey(SceneUv uv) {
    uint32_t u, v;
    std::memcpy(&u, &uv.u, 4);
    std::memcpy(&v, &uv.v, 4);
    return (uint64_t(u) << 32) | v;
}

class ObjWriter {
public:
    explicit ObjWriter(const Scene& scene) : scene_(scene) {}

    std::string Write() {
        out_ = "# written by mqthicken\n";
        for (const std::string& library : scene_.materialLibraries)
            out_.append("mtllib ").append(library).append("\n");
        // The material list, so that numbering and unused materials survive.
        for (const SceneMaterial& material : scene_.materials)
            out_.append("# mqthicken: material ").append(material.name).append("\n");
        for (const SceneObject& object : scene_.objects) WriteObject(object);
        return std::move(out_);
    }

private:
    void WriteObject(const SceneObject& object) {
        out_.append("o ").append(object.name).append("\n");
        if (!object.visible) out_ += "# mqthicken: hidden\n";
        if (object.locked) out_ += "# mqthicken: locked\n";
        for (const ScenePoint& v : object.vertices) {
            out_ += "v ";
            AppendFloat(out_, v.x);
            out_ += ' ';
            AppendFloat(out_, v.y);
            out_ += ' ';
            AppendFloat(out_, v.z);
            out_ += '\n';
        }
        // One vt per distinct UV pair of the object.
        textureOf_.clear();
        faceTextures_.assign(object.points.size(), 0);
        for (size_t f = 0; f < object.FaceCount(); ++f) {
            if (!object.faceHasUv[f]) continue;
            for (uint32_t p = object.faceStart[f]; p < object.faceStart[f + 1]; ++p) {
                auto [it, inserted] = textureOf_.try_emplace(UvKey(object.uvs[p]), textureCount_ + 1);
                if (inserted) {
                    ++textureCount_;
                    out_ += "vt ";
                    AppendFloat(out_, object.uvs[p].u);
                    out_ += ' ';
                    AppendFloat(out_, 1 - object.uvs[p].v);
                    out_ += '\n';
                }
                faceTextures_[p] = it->second;
            }
        }
        for (size_t f = 0; f < object.FaceCount(); ++f) WriteFace(object, f);
        vertexBase_ += object.vertices.size();
    }

    void WriteFace(const SceneObject& object, size_t f) {
        const int32_t material = object.faceMaterial[f];
        if (material != material_) {
            material_ = material;
            out_ += "usemtl ";
            if (material >= 0 && size_t(material) < scene_.materials.size() &&
                !scene_.materials[material].name.empty())
                out_.append(scene_.materials[material].name);
            else
                out_.append(kObjNoMaterial);
            out_ += '\n';
        }
        const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
        const uint32_t n = end - begin;
        out_ += n == 1 ? "p" : n == 2 ? "l" : "f";
        // Reversed: OBJ runs counter-clockwise seen from the front.
        for (uint32_t p = end; p-- > begin;) {
            out_ += ' ';
            AppendInt(out_, int64_t(vertexBase_) + object.points[p] + 1);
            if (object.faceHasUv[f]) {
                out_ += '/';
                AppendInt(out_, faceTextures_[p]);
            }
        }
        out_ += '\n';
    }

    const Scene& scene_;
    std::string out_;
    size_t vertexBase_ = 0;
    int64_t textureCount_ = 0;
    int32_t material_ = -1;
    std::unordered_map<uint64_t, int64_t> textureOf_;
    std::vector<int64_t> faceTextures_;
};

}  // namespace

std::string WriteObj(const Scene& scene) {
    assert(scene.encoding == TextEncoding::Utf8);
    return ObjWriter(scene).Write();
}
