// Writer of the modeller's text documents.
#include <cassert>

#include "cli/mqo_format.h"
#include "cli/number_text.h"

namespace {

constexpr const char* kEol = "\r\n";

void AppendLines(std::string& out, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) out.append(line).append(kEol);
}

void AppendMaterials(std::string& out, const std::vector<SceneMaterial>& materials) {
    if (materials.empty()) return;
    out += "Material ";
    AppendInt(out, static_cast<int64_t>(materials.size()));
    out.append(" {").append(kEol);
    for (const SceneMaterial& material : materials) {
        out.append("\t\"").append(material.name).append("\"");
        for (const MaterialParam& param : material.params)
            out.append(" ").append(param.key).append("(").append(param.args).append(")");
        out += kEol;
    }
    out.append("}").append(kEol);
}

void AppendFace(std::string& out, const SceneObject& object, size_t f, size_t& extra) {
    const uint32_t begin = object.faceStart[f], end = object.faceStart[f + 1];
    out += "\t\t";
    AppendInt(out, end - begin);
    out += " V(";
    for (uint32_t p = begin; p < end; ++p) {
        if (p > begin) out += ' ';
        AppendInt(out, object.points[p]);
    }
    out += ")";
    if (object.faceMaterial[f] >= 0) {
        out += " M(";
        AppendInt(out, object.faceMaterial[f]);
        out += ")";
    }
    if (object.faceHasUv[f]) {
        out += " UV(";
        for (uint32_t p = begin; p < end; ++p) {
            if (p > begin) out += ' ';
            AppendFloat(out, object.uvs[p].u);
            out += ' ';
            AppendFloat(out, object.uvs[p].v);
        }
        out += ")";
    }
    if (extra < object.faceExtras.size() && object.faceExtras[extra].first == f) {
        out.append(" ").append(object.faceExtras[extra].second);
        ++extra;
    }
    out += kEol;
}

void AppendObject(std::string& out, const SceneObject& object) {
    out.append("Object \"").append(object.name).append("\" {").append(kEol);
    AppendLines(out, object.leadingLines);
    out.append("\tvisible ").append(object.visible ? "15" : "0").append(kEol);
    out.append("\tlocking ").append(object.locked ? "1" : "0").append(kEol);
    out += "\tvertex ";
    AppendInt(out, static_cast<int64_t>(object.vertices.size()));
    out.append(" {").append(kEol);
    for (const ScenePoint& v : object.vertices) {
        out += "\t\t";
        AppendFloat(out, v.x);
        out += ' ';
        AppendFloat(out, v.y);
        out += ' ';
        AppendFloat(out, v.z);
        out += kEol;
    }
    out.append("\t}").append(kEol);
    out += "\tface ";
    AppendInt(out, static_cast<int64_t>(object.FaceCount()));
    out.append(" {").append(kEol);
    size_t extra = 0;
    for (size_t f = 0; f < object.FaceCount(); ++f) AppendFace(out, object, f, extra);
    out.append("\t}").append(kEol);
    AppendLines(out, object.trailingLines);
    out.append("}").append(kEol);
}

// A generous guess at the document's size, so that the text grows in place.
size_t EstimatedSize(const Scene& scene) {
    size_t bytes = 4096;
    for (const SceneObject& object : scene.objects)
        bytes += 36 * object.vertices.size() + 24 * object.points.size() + 16 * object.FaceCount();
    return bytes;
}

}  // namespace

std::string WriteMqo(const Scene& scene) {
    assert(scene.encoding == TextEncoding::Cp932);
    std::string out;
    out.reserve(EstimatedSize(scene));
    out.append("Metasequoia Document").append(kEol);
    out.append("Format Text Ver 1.0").append(kEol).append(kEol);
    AppendLines(out, scene.leadingLines);
    AppendMaterials(out, scene.materials);
    for (const SceneObject& object : scene.objects) AppendObject(out, object);
    AppendLines(out, scene.trailingLines);
    out.append("Eof").append(kEol);
    return out;
}
