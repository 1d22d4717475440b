#include "tool/host_document.h"

#include <cassert>
#include <sstream>

#include "formats/scene_file.h"
#include "platform/text_encoding.h"

namespace {

std::string Utf8Name(const std::string& name, TextEncoding encoding) {
    return NameAsUtf8(name, encoding);
}

// The host holds names in code page 932.
std::string HostName(const std::string& name, TextEncoding encoding) {
    if (encoding == TextEncoding::Cp932) return name;
    std::string converted;
    Cp932FromUtf8(NameAsUtf8(name, encoding), converted);
    return converted;
}

MQMaterialRec* HostMaterial(const SceneMaterial& material, TextEncoding encoding) {
    MQMaterialRec* host = new MQMaterialRec();
    host->name = HostName(material.name, encoding);
    for (const MaterialParam& param : material.params) {
        if (param.key != "col") continue;
        std::istringstream values(param.args);
        values.imbue(std::locale::classic());
        float r, g, b, a;
        if (values >> r >> g >> b >> a) {
            host->color = {r, g, b};
            host->alpha = a;
        }
    }
    return host;
}

bool FaceIsSelected(const SceneObject& object, size_t f, const FaceSelection& selection,
                    bool objectMatches, int material) {
    switch (selection.kind) {
        case FaceSelection::All: return true;
        case FaceSelection::Object: return objectMatches;
        case FaceSelection::Material: return material >= 0 && object.faceMaterial[f] == material;
    }
    return false;
}

// The host faces a scene face of `n` points goes over as: itself, up to four
// points, else the fan (0, i, i + 1) of n - 2 triangles, which keeps its
// winding.
uint32_t HostPieces(uint32_t n) { return n <= kMaxFacePoints ? 1 : n - 2; }

// The flags the host shows for `object`: the command takes the faces of
// visible, unlocked objects, and `include` lets it take those of hidden or
// locked ones too.
bool HostVisible(const SceneObject& object, const IncludedObjects& include) {
    return object.visible || include.hidden;
}
bool HostLocked(const SceneObject& object, const IncludedObjects& include) {
    return object.locked && !include.locked;
}

// The number of the material that `selection` names, or -1.
int SelectedMaterial(const Scene& scene, const FaceSelection& selection) {
    if (selection.kind != FaceSelection::Material) return -1;
    if (selection.name.empty())
        return selection.material < static_cast<int>(scene.materials.size()) ? selection.material
                                                                             : -1;
    for (size_t m = 0; m < scene.materials.size(); ++m)
        if (Utf8Name(scene.materials[m].name, scene.encoding) == selection.name)
            return static_cast<int>(m);
    return -1;
}

}  // namespace

HostDocumentSummary BuildHostDocument(const Scene& scene, const FaceSelection& selection,
                                      const IncludedObjects& include, MQDocumentRec& document) {
    assert(document.ObjectCount() == 0 && document.MaterialCount() == 0);
    HostDocumentSummary summary;
    for (const SceneMaterial& material : scene.materials)
        document.AddMaterial(HostMaterial(material, scene.encoding));
    const int material = SelectedMaterial(scene, selection);
    summary.selectionMatched = selection.kind == FaceSelection::All || material >= 0;

    for (const SceneObject& object : scene.objects) {
        MQObjectRec* host = new MQObjectRec();
        host->name = HostName(object.name, scene.encoding);
        host->visible = HostVisible(object, include);
        host->locked = HostLocked(object, include);
        size_t hostFaces = 0;
        for (size_t f = 0; f < object.FaceCount(); ++f) hostFaces += HostPieces(object.FaceSize(f));
        host->Reserve(object.vertices.size(), hostFaces);
        for (const ScenePoint& p : object.vertices) host->AddVertex({p.x, p.y, p.z});
        const bool objectMatches = selection.kind == FaceSelection::Object &&
                                   Utf8Name(object.name, scene.encoding) == selection.name;
        summary.selectionMatched = summary.selectionMatched || objectMatches;
        const bool eligible = host->visible && !host->locked;
        const int slot = document.AddObject(host);

        for (size_t f = 0; f < object.FaceCount(); ++f) {
            const uint32_t begin = object.faceStart[f], n = object.FaceSize(f);
            const int32_t* points = &object.points[begin];
            const SceneUv* sceneUvs = &object.uvs[begin];
            const bool selected = FaceIsSelected(object, f, selection, objectMatches, material);
            const uint32_t pieces = HostPieces(n);
            if (pieces > 1) ++summary.splitFaces;
            for (uint32_t piece = 0; piece < pieces; ++piece) {
                int corner[kMaxFacePoints];
                MQCoordinate uv[kMaxFacePoints];
                const uint32_t count = pieces == 1 ? n : 3;
                for (uint32_t k = 0; k < count; ++k) {
                    const uint32_t from = pieces == 1 ? k : (k == 0 ? 0 : piece + k);
                    corner[k] = points[from];
                    uv[k] = {sceneUvs[from].u, sceneUvs[from].v};
                }
                const int face = host->AddFace(static_cast<int>(count), corner, uv);
                assert(face >= 0);
                host->faces[face].material = object.faceMaterial[f];
                if (selected) document.SelectFace(slot, face, true);
            }
            if (selected) {
                ++summary.selectedFaces;
                if (eligible) {
                    ++summary.eligibleFaces;
                    summary.eligibleLines += n == 2;
                    summary.eligiblePoints += n == 1;
                }
            }
        }
    }
    return summary;
}

std::vector<std::pair<uint32_t, uint32_t>> EligibleSelectedFaces(const Scene& scene,
                                                                  const FaceSelection& selection,
                                                                  const IncludedObjects& include) {
    std::vector<std::pair<uint32_t, uint32_t>> faces;
    const int material = SelectedMaterial(scene, selection);
    for (uint32_t o = 0; o < scene.objects.size(); ++o) {
        const SceneObject& object = scene.objects[o];
        if (!HostVisible(object, include) || HostLocked(object, include)) continue;
        const bool objectMatches = selection.kind == FaceSelection::Object &&
                                   Utf8Name(object.name, scene.encoding) == selection.name;
        for (uint32_t f = 0; f < object.FaceCount(); ++f)
            if (FaceIsSelected(object, f, selection, objectMatches, material)) faces.emplace_back(o, f);
    }
    return faces;
}

void ScaleHostDocument(MQDocumentRec& document, double scale) {
    for (int slot = 0; slot < document.ObjectCount(); ++slot)
        if (MQObjectRec* object = document.Object(slot))
            for (MQPoint& p : object->positions)
                p = {float(p.x * scale), float(p.y * scale), float(p.z * scale)};
}

void UnscaleSceneObject(SceneObject& object, double scale) {
    for (ScenePoint& p : object.vertices)
        p = {float(p.x / scale), float(p.y / scale), float(p.z / scale)};
}

SceneObject SceneObjectFromHost(const MQObjectRec& object) {
    SceneObject out;
    out.name = object.name;
    out.visible = object.visible;
    out.locked = object.locked;
    // Room for every slot at once: the new object of a large document has
    // millions. (What a triangle leaves unused is never touched.)
    const size_t faces = object.faces.size();
    out.vertices.reserve(object.VertexCount());
    out.faceStart.reserve(faces + 1);
    out.faceMaterial.reserve(faces);
    out.faceHasUv.reserve(faces);
    out.points.reserve(kMaxFacePoints * faces);
    out.uvs.reserve(kMaxFacePoints * faces);
    std::vector<int32_t> index(object.VertexCount(), -1);
    for (int v = 0; v < object.VertexCount(); ++v) {
        if (!object.vertexLive[v]) continue;
        index[v] = static_cast<int32_t>(out.vertices.size());
        const MQPoint& p = object.positions[v];
        out.vertices.push_back({p.x, p.y, p.z});
    }
    for (const HostFace& face : object.faces) {
        if (face.count == 0) continue;
        int32_t points[kMaxFacePoints];
        SceneUv uvs[kMaxFacePoints];
        bool anyUv = false;
        for (int k = 0; k < face.count; ++k) {
            points[k] = index[face.points[k]];
            assert(points[k] >= 0);
            uvs[k] = {face.uvs[k].u, face.uvs[k].v};
            anyUv = anyUv || uvs[k].u != 0 || uvs[k].v != 0;
        }
        out.AddFace(points, anyUv ? uvs : nullptr, face.count, face.material);
    }
    return out;
}
